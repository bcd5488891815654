#include "wall_clock.h"

#include <cstddef>
#include <cstdio>

namespace qmsim {
namespace {

bool IsLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

// Reads exactly `width` decimal digits at text[pos]; false on any non-digit
// or when the text is too short.
bool ReadDigits(const std::string& text, std::size_t pos, int width, int* value) {
  if (pos + static_cast<std::size_t>(width) > text.size()) return false;
  int v = 0;
  for (int i = 0; i < width; ++i) {
    const char c = text[pos + static_cast<std::size_t>(i)];
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  *value = v;
  return true;
}

bool IsValidDate(const CivilDate& d) {
  return d.year >= 1 && d.year <= 9999 && d.month >= 1 && d.month <= 12 &&
         d.day >= 1 && d.day <= DaysInMonth(d.year, d.month);
}

// Reads a field of 1 to 4 digits from text[*pos] up to the next '.' or the
// end; advances *pos past the field.
bool ReadDateField(const std::string& text, std::size_t* pos, int* value) {
  int v = 0;
  int digits = 0;
  while (*pos < text.size() && text[*pos] != '.') {
    const char c = text[*pos];
    if (c < '0' || c > '9' || digits == 4) return false;
    v = v * 10 + (c - '0');
    ++digits;
    ++*pos;
  }
  if (digits == 0) return false;
  *value = v;
  return true;
}

}  // namespace

int DaysInMonth(int year, int month) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  if (month == 2 && IsLeapYear(year)) return 29;
  return kDays[month - 1];
}

std::int64_t DayNumber(const CivilDate& date) {
  // Days before the year, then before the month, then within it.
  const std::int64_t y = date.year - 1;
  std::int64_t days = y * 365 + y / 4 - y / 100 + y / 400;
  for (int m = 1; m < date.month; ++m) days += DaysInMonth(date.year, m);
  return days + (date.day - 1);
}

bool ParseWallClock(const std::string& text, WallSeconds* out) {
  CivilDate d;
  int hh = 0, mm = 0, ss = 0;
  if (!ReadDigits(text, 0, 4, &d.year) || text.size() < 19 || text[4] != '-' ||
      !ReadDigits(text, 5, 2, &d.month) || text[7] != '-' ||
      !ReadDigits(text, 8, 2, &d.day) || text[10] != 'T' ||
      !ReadDigits(text, 11, 2, &hh) || text[13] != ':' ||
      !ReadDigits(text, 14, 2, &mm) || text[16] != ':' ||
      !ReadDigits(text, 17, 2, &ss)) {
    return false;
  }
  if (!IsValidDate(d) || hh > 23 || mm > 59 || ss > 59) return false;
  *out = DayNumber(d) * 86400 + std::int64_t{hh} * 3600 + std::int64_t{mm} * 60 + ss;
  return true;
}

bool ParseQueryDate(const std::string& text, CivilDate* out) {
  CivilDate d;
  std::size_t pos = 0;
  if (!ReadDateField(text, &pos, &d.month) || pos >= text.size()) return false;
  ++pos;  // the first '.'
  if (!ReadDateField(text, &pos, &d.day) || pos >= text.size()) return false;
  ++pos;  // the second '.'
  if (!ReadDateField(text, &pos, &d.year) || pos != text.size()) return false;
  if (!IsValidDate(d)) return false;
  *out = d;
  return true;
}

std::string FormatWallClock(WallSeconds seconds) {
  const WallSeconds last = DayNumber(CivilDate{9999, 12, 31}) * 86400 + 86399;
  if (seconds < 0) seconds = 0;
  if (seconds > last) seconds = last;
  std::int64_t days = seconds / 86400;
  const unsigned in_day = static_cast<unsigned>(seconds % 86400);
  // The year from the mean Gregorian year, corrected by a step or two.
  CivilDate d{static_cast<int>(days * 400 / 146097) + 1, 1, 1};
  if (d.year > 9999) d.year = 9999;
  while (d.year > 1 && DayNumber(d) > days) --d.year;
  while (d.year < 9999 && DayNumber(CivilDate{d.year + 1, 1, 1}) <= days) ++d.year;
  days -= DayNumber(CivilDate{d.year, 1, 1});
  while (days >= DaysInMonth(d.year, d.month)) days -= DaysInMonth(d.year, d.month++);
  d.day = static_cast<int>(days) + 1;
  char text[48];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02u:%02u:%02u", d.year, d.month, d.day,
                in_day / 3600, in_day / 60 % 60, in_day % 60);
  return text;
}

}  // namespace qmsim
