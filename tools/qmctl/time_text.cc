// Proleptic Gregorian arithmetic between wall-clock times and ticks, and the
// two text forms qmctl reads.
#include "time_text.h"

#include <cstdio>

namespace qmctl {

namespace {

constexpr unsigned long long kTicksPerMillisecond = 10000ULL;
constexpr unsigned long long kTicksPerSecond = 10000000ULL;
constexpr unsigned long long kTicksPerDay = 86400ULL * kTicksPerSecond;
// Days from 0001-01-01 to 1970-01-01.
constexpr long long kDaysToUnixEpoch = 719162;
// Ticks of 10000-01-01T00:00:00: the first time past the four-digit years.
constexpr unsigned long long kTicksOfYear10000 = 3652059ULL * kTicksPerDay;

bool IsLeap(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeap(year) ? 29 : kDays[month - 1];
}

// Days since 1970-01-01 of a proleptic Gregorian date (era arithmetic, exact
// for every year of the range).
long long DaysFromCivil(int year, int month, int day) {
  const long long y = year - (month <= 2 ? 1 : 0);
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const long long yoe = y - era * 400;
  const long long doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

// The date of a day count since 1970-01-01 (inverse of DaysFromCivil).
void CivilFromDays(long long days, int& year, int& month, int& day) {
  days += 719468;
  const long long era = (days >= 0 ? days : days - 146096) / 146097;
  const long long doe = days - era * 146097;
  const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long long mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

// `count` decimal digits at `at`; false when one of them is not a digit.
bool Digits(const std::string& text, size_t at, size_t count, int& value) {
  value = 0;
  for (size_t i = at; i < at + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    value = value * 10 + (text[i] - '0');
  }
  return true;
}

// The fixed-position fields of "YYYY-MM-DDTHH:MM:SS" at the start of
// `text` (at least 19 characters), checked for validity.
bool ReadDateTime(const std::string& text, WallClock& time) {
  if (text.size() < 19) return false;
  static const size_t kSeparatorAt[5] = {4, 7, 10, 13, 16};
  static const char kSeparator[5] = {'-', '-', 'T', ':', ':'};
  for (int i = 0; i < 5; ++i) {
    if (text[kSeparatorAt[i]] != kSeparator[i]) return false;
  }
  WallClock read;
  if (!Digits(text, 0, 4, read.year) || !Digits(text, 5, 2, read.month) ||
      !Digits(text, 8, 2, read.day) || !Digits(text, 11, 2, read.hour) ||
      !Digits(text, 14, 2, read.minute) || !Digits(text, 17, 2, read.second) ||
      !IsValid(read)) {
    return false;
  }
  time = read;
  return true;
}

}  // namespace

bool IsValid(const WallClock& t) {
  return t.year >= 1 && t.year <= 9999 && t.month >= 1 && t.month <= 12 &&
         t.day >= 1 && t.day <= DaysInMonth(t.year, t.month) && t.hour >= 0 &&
         t.hour <= 23 && t.minute >= 0 && t.minute <= 59 && t.second >= 0 &&
         t.second <= 59 && t.millisecond >= 0 && t.millisecond <= 999;
}

bool ToTicks(const WallClock& t, unsigned long long& ticks) {
  if (!IsValid(t)) return false;
  const long long days = DaysFromCivil(t.year, t.month, t.day) + kDaysToUnixEpoch;
  const long long seconds = t.hour * 3600LL + t.minute * 60LL + t.second;
  ticks = static_cast<unsigned long long>(days) * kTicksPerDay +
          static_cast<unsigned long long>(seconds) * kTicksPerSecond +
          static_cast<unsigned long long>(t.millisecond) * kTicksPerMillisecond;
  return true;
}

bool FromTicks(unsigned long long ticks, WallClock& t) {
  if (ticks >= kTicksOfYear10000) return false;
  const long long days = static_cast<long long>(ticks / kTicksPerDay);
  const unsigned long long in_day = ticks % kTicksPerDay;
  CivilFromDays(days - kDaysToUnixEpoch, t.year, t.month, t.day);
  const unsigned long long seconds = in_day / kTicksPerSecond;
  t.hour = static_cast<int>(seconds / 3600);
  t.minute = static_cast<int>(seconds / 60 % 60);
  t.second = static_cast<int>(seconds % 60);
  t.millisecond =
      static_cast<int>(in_day % kTicksPerSecond / kTicksPerMillisecond);
  return true;
}

std::string FormatWallClock(const WallClock& t) {
  char text[32];
  int n = std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d",
                        t.year, t.month, t.day, t.hour, t.minute, t.second);
  if (t.millisecond != 0 && n > 0 && static_cast<size_t>(n) < sizeof text) {
    std::snprintf(text + n, sizeof text - static_cast<size_t>(n), ".%03d",
                  t.millisecond);
  }
  return text;
}

bool ParseWallClock(const std::string& text, WallClock& time) {
  return text.size() == 19 && ReadDateTime(text, time);
}

bool ParseServerTime(const std::string& text, WallClock& time) {
  WallClock read;
  if (!ReadDateTime(text, read)) return false;
  if (text.size() > 19 && text[19] == '.') {
    int scale = 100;
    for (size_t i = 20; i < text.size() && text[i] >= '0' && text[i] <= '9';
         ++i, scale /= 10) {
      read.millisecond += (text[i] - '0') * scale;
      if (scale == 1) break;
    }
  }
  time = read;
  return true;
}

}  // namespace qmctl
