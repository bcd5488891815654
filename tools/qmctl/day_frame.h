// The shape of one calendar day in the site's zone: where it starts and
// ends as instants, and every minute it has, each with the wall-clock minute
// the server's day tracker files it under. An ordinary day has 1,440
// minutes; a day on which the clocks go forward has fewer (the skipped
// wall-clock minutes have no instant), a day on which they go back has more
// (the repeated wall-clock minutes occur twice).
#pragma once

#include <ctime>
#include <string>
#include <vector>

namespace qmctl {

// A date of the proleptic Gregorian calendar.
struct CivilDay {
  int year = 0;
  int month = 0;
  int day = 0;
};

// Days a DVR day may be asked for: the C library's 32-bit calendar time
// holds them whole in every zone.
constexpr int kFirstYear = 1971;
constexpr int kLastYear = 2037;

// Reads "YYYY-MM-DD" (exactly four, two and two digits, a real date from
// kFirstYear to kLastYear). False (out untouched) otherwise.
bool ParseCivilDay(const std::string& text, CivilDay* out);

// "YYYY-MM-DD", "MM.DD.YYYY" (the tracker request's form) and the day after.
std::string IsoText(const CivilDay& day);
std::string TrackerDateText(const CivilDay& day);
CivilDay NextDay(const CivilDay& day);

// One minute of the day.
struct MinuteSlot {
  time_t start = 0;      // instant of its first second
  int wall_minute = 0;   // hour * 60 + minute on the site's clock (0..1439)
  bool repeated = false; // the second occurrence of its wall-clock minute
  bool ambiguous = false;  // its wall-clock minute occurs twice this day
};

struct DayFrame {
  CivilDay day;
  time_t start = 0;  // first instant of the day
  time_t end = 0;    // first instant of the next day
  std::vector<MinuteSlot> minutes;  // in time order, start + 60 * i
  // The offsets in force during the day, in order of appearance, and the
  // instant each takes over (the first at `start`).
  std::vector<long> offsets;
  std::vector<time_t> offset_from;
  // Wall-clock minutes the day does not have (clocks went forward).
  std::vector<int> skipped_wall_minutes;

  // True when a clock change touches the day: the offset changes during it,
  // or it is not 24 hours long (a change at midnight, as in zones that
  // start summer time at 00:00, leaves one offset but 23 hours).
  bool HasChange() const { return offsets.size() > 1 || minutes.size() != 1440; }
  // Length in hours (23, 24 or 25 for the usual changes; 23.5 where the
  // clocks move by half an hour).
  double Hours() const { return static_cast<double>(end - start) / 3600.0; }
};

// "24", "23", "23.5": the length in hours as text.
std::string HoursText(const DayFrame& frame);

// The frame of `day` in the zone in force. False when the day cannot be laid
// out (the C library cannot convert it, or the zone's offset is not a whole
// number of minutes during it).
bool MakeDayFrame(const CivilDay& day, DayFrame* out);

}  // namespace qmctl
