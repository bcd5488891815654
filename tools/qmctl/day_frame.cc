#include "day_frame.h"

#include <cstdio>
#include <cstring>

namespace qmctl {

namespace {

constexpr int kWallMinutes = 1440;
// Most minutes a day may have: no zone has moved its clock by a whole day.
constexpr long kMaxDayMinutes = 2 * kWallMinutes;

bool IsLeap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysIn(int year, int month) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeap(year) ? 29 : kDays[month - 1];
}

// Reads exactly `width` digits at `at`.
bool Digits(const std::string& text, size_t at, size_t width, int* out) {
  int value = 0;
  for (size_t i = at; i < at + width; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    value = value * 10 + (text[i] - '0');
  }
  *out = value;
  return true;
}

// The local date of `t` as one comparable number YYYYMMDD; -1 when the
// instant cannot be broken down.
long LocalDate(time_t t, struct tm* local) {
  std::memset(local, 0, sizeof *local);
  if (localtime_r(&t, local) == nullptr) return -1;
  return (local->tm_year + 1900L) * 10000 + (local->tm_mon + 1) * 100 + local->tm_mday;
}

long DateNumber(const CivilDay& day) {
  return day.year * 10000L + day.month * 100 + day.day;
}

// The first instant whose local date is `day`, stepping by minutes from
// where mktime puts 00:00:00 (which may not exist, or exist twice). False
// when the C library cannot place the day.
bool FirstInstant(const CivilDay& day, time_t* out) {
  struct tm midnight;
  std::memset(&midnight, 0, sizeof midnight);
  midnight.tm_year = day.year - 1900;
  midnight.tm_mon = day.month - 1;
  midnight.tm_mday = day.day;
  midnight.tm_isdst = -1;
  time_t t = mktime(&midnight);
  if (t == static_cast<time_t>(-1)) return false;
  const long wanted = DateNumber(day);
  struct tm local;
  for (int step = 0; step <= kMaxDayMinutes; ++step, t += 60) {
    const long date = LocalDate(t, &local);
    if (date < 0) return false;
    if (date >= wanted) break;
  }
  t -= local.tm_sec;  // the start of its minute
  for (int step = 0; step <= kMaxDayMinutes; ++step, t -= 60) {
    if (LocalDate(t - 60, &local) != wanted) break;
  }
  if (LocalDate(t, &local) != wanted) return false;
  *out = t;
  return true;
}

}  // namespace

bool ParseCivilDay(const std::string& text, CivilDay* out) {
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return false;
  CivilDay day;
  if (!Digits(text, 0, 4, &day.year) || !Digits(text, 5, 2, &day.month) ||
      !Digits(text, 8, 2, &day.day))
    return false;
  if (day.year < kFirstYear || day.year > kLastYear || day.month < 1 || day.month > 12 ||
      day.day < 1 || day.day > DaysIn(day.year, day.month))
    return false;
  *out = day;
  return true;
}

std::string IsoText(const CivilDay& day) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", day.year % 10000, day.month % 100,
                day.day % 100);
  return text;
}

std::string TrackerDateText(const CivilDay& day) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d.%02d.%04d", day.month % 100, day.day % 100,
                day.year % 10000);
  return text;
}

CivilDay NextDay(const CivilDay& day) {
  CivilDay next = day;
  if (++next.day > DaysIn(next.year, next.month)) {
    next.day = 1;
    if (++next.month > 12) next.month = 1, ++next.year;
  }
  return next;
}

std::string HoursText(const DayFrame& frame) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", frame.Hours());
  return text;
}

bool MakeDayFrame(const CivilDay& day, DayFrame* out) {
  DayFrame frame;
  frame.day = day;
  if (!FirstInstant(day, &frame.start) || !FirstInstant(NextDay(day), &frame.end)) return false;
  const time_t length = frame.end - frame.start;
  if (length <= 0 || length % 60 != 0 || length / 60 > kMaxDayMinutes) return false;

  std::vector<int> seen(kWallMinutes, 0);
  for (time_t t = frame.start; t < frame.end; t += 60) {
    struct tm local;
    if (LocalDate(t, &local) < 0 || local.tm_sec != 0) return false;
    MinuteSlot slot;
    slot.start = t;
    slot.wall_minute = local.tm_hour * 60 + local.tm_min;
    slot.repeated = seen[static_cast<size_t>(slot.wall_minute)]++ > 0;
    frame.minutes.push_back(slot);
    if (frame.offsets.empty() || frame.offsets.back() != local.tm_gmtoff) {
      frame.offsets.push_back(local.tm_gmtoff);
      frame.offset_from.push_back(t);
    }
  }
  for (MinuteSlot& slot : frame.minutes)
    slot.ambiguous = seen[static_cast<size_t>(slot.wall_minute)] > 1;
  for (int m = 0; m < kWallMinutes; ++m)
    if (seen[static_cast<size_t>(m)] == 0) frame.skipped_wall_minutes.push_back(m);
  *out = frame;
  return true;
}

}  // namespace qmctl
