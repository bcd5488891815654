// Times as qmctl reads and writes them: .NET ticks (100-nanosecond steps
// since 0001-01-01T00:00:00) and the text YYYY-MM-DDTHH:MM:SS[.fff]. The
// server reports its own wall clock and no zone is ever applied, so the
// calendar arithmetic here is plain proleptic Gregorian, independent of the
// process's time zone and environment.
#pragma once

#include <string>

namespace qmctl {

// A calendar date and time of day, as the server's clock shows it.
struct WallClock {
  int year = 0;    // 1 to 9999
  int month = 0;   // 1 to 12
  int day = 0;     // 1 to the month's length
  int hour = 0;    // 0 to 23
  int minute = 0;  // 0 to 59
  int second = 0;  // 0 to 59
  int millisecond = 0;  // 0 to 999
};

// True when every field lies in the range given above.
bool IsValid(const WallClock& time);

// Ticks of a valid time; false (out untouched) for an invalid one.
bool ToTicks(const WallClock& time, unsigned long long& ticks);

// The time of any tick value (sub-millisecond steps dropped). Ticks past
// 9999-12-31T23:59:59.999 give false.
bool FromTicks(unsigned long long ticks, WallClock& time);

// "YYYY-MM-DDTHH:MM:SS", plus ".fff" when the millisecond is not 0. The
// time must be valid.
std::string FormatWallClock(const WallClock& time);

// Reads exactly "YYYY-MM-DDTHH:MM:SS" (the form of --from and --to): fixed
// digit positions, no sign, no blanks, no zone. False for anything else,
// including an impossible date such as 2013-02-29.
bool ParseWallClock(const std::string& text, WallClock& time);

// Reads a time as the server writes it: "YYYY-MM-DDTHH:MM:SS", then an
// optional fraction ".d..." (read as a decimal fraction, cut to
// milliseconds), then anything (a zone designator, ignored). False when the
// first 19 characters are not a valid time.
bool ParseServerTime(const std::string& text, WallClock& time);

}  // namespace qmctl
