// Wall-clock date-time texts as the stand-in server reads them.
//
// The stand-in reports its own local time: it compares and bins the date and
// time-of-day fields of a text and ignores any zone designator behind them.
// All arithmetic is plain integer arithmetic on the proleptic Gregorian
// calendar, so results never depend on the process's time zone.
#ifndef QMSIM_WALL_CLOCK_H
#define QMSIM_WALL_CLOCK_H

#include <cstdint>
#include <string>

namespace qmsim {

// A calendar date (year 1..9999, month 1..12, day valid for the month).
struct CivilDate {
  int year = 0;
  int month = 0;
  int day = 0;
};

// Seconds since 0001-01-01T00:00:00 of the wall clock; only differences and
// order matter.
using WallSeconds = std::int64_t;

// Number of days in month (1..12) of year; 0 for a month out of range.
int DaysInMonth(int year, int month);

// Days from 0001-01-01 to the given date; the date must be valid.
std::int64_t DayNumber(const CivilDate& date);

// Parses "YYYY-MM-DDTHH:MM:SS" at the start of text (exact widths, ranges
// checked; any suffix such as "-04:00" or "Z" is ignored). On success stores
// the wall-clock seconds in *out and returns true; otherwise returns false and
// leaves *out unchanged.
bool ParseWallClock(const std::string& text, WallSeconds* out);

// Parses a query date "MM.DD.YYYY": exactly three dot-separated decimal
// numbers of 1 to 4 digits each (so "5.7.2013" is accepted), forming a valid
// date. Returns false (and leaves *out unchanged) otherwise.
bool ParseQueryDate(const std::string& text, CivilDate* out);

// "YYYY-MM-DDTHH:MM:SS" of wall-clock seconds from 0001-01-01T00:00:00 up
// to 9999-12-31T23:59:59 (clamped to that range).
std::string FormatWallClock(WallSeconds seconds);

}  // namespace qmsim

#endif  // QMSIM_WALL_CLOCK_H
