// .NET tick conversions through the C library's seconds-since-1970 time
// value, evaluated in UTC by switching TZ to "GMT0" for the call.
#include "protocol/ticks.h"

#include <climits>
#include <cstdlib>
#include <ctime>
#include <cwctype>

namespace QM {

namespace {

const unsigned long long kTicksPerSecond = 10000000ULL;
const unsigned long long kTicksPerMillisecond = 10000ULL;

// Makes the C library evaluate times in UTC.
void EnterUtc() {
  setenv("TZ", "GMT0", 1);
  tzset();
}

// Removes TZ, as every conversion leaves the environment.
void LeaveUtc() {
  unsetenv("TZ");
  tzset();
}

// Stores `value` into `out` when it fits an int.
bool ToInt(long long value, int* out) {
  if (value < INT_MIN || value > INT_MAX) return false;
  *out = static_cast<int>(value);
  return true;
}

// Unsigned decimal at text[pos, pos + len): leading white space skipped,
// reading stops at the first non-digit; 0 when no digit starts the piece.
unsigned int ReadField(const std::wstring& text, size_t pos, size_t len) {
  const size_t end = pos + len < text.size() ? pos + len : text.size();
  size_t i = pos;
  while (i < end && std::iswspace(static_cast<wint_t>(text[i]))) ++i;
  unsigned int value = 0;  // at most four digits: no overflow
  for (; i < end && text[i] >= L'0' && text[i] <= L'9'; ++i) {
    value = value * 10 + static_cast<unsigned int>(text[i] - L'0');
  }
  return value;
}

}  // namespace

unsigned long long DateTimeToDotNetDateTime(unsigned int year,
                                            unsigned int month,
                                            unsigned int day,
                                            unsigned int hour,
                                            unsigned int minute,
                                            unsigned int second,
                                            unsigned int millisecond) {
  EnterUtc();
  struct tm broken = {};
  // Fields that an int cannot hold are dates the platform cannot represent:
  // they take mktime's error value.
  const bool fits =
      ToInt(static_cast<long long>(second), &broken.tm_sec) &&
      ToInt(static_cast<long long>(minute), &broken.tm_min) &&
      ToInt(static_cast<long long>(hour), &broken.tm_hour) &&
      ToInt(static_cast<long long>(day), &broken.tm_mday) &&
      ToInt(static_cast<long long>(month) - 1, &broken.tm_mon) &&
      ToInt(static_cast<long long>(year) - 1900, &broken.tm_year);
  const time_t seconds = fits ? mktime(&broken) : static_cast<time_t>(-1);
  LeaveUtc();

  // Unsigned (modular) arithmetic: a negative seconds value subtracts from
  // the epoch offset, and no signed overflow is possible.
  const unsigned long long whole =
      static_cast<unsigned long long>(static_cast<long long>(seconds)) *
      kTicksPerSecond;
  return whole + static_cast<unsigned long long>(millisecond) *
                     kTicksPerMillisecond +
         kUnixEpochTicks;
}

void DotNetDateTimeToDateTime(unsigned long long ticks, unsigned int* year,
                              unsigned int* month, unsigned int* day,
                              unsigned int* hour, unsigned int* minute,
                              unsigned int* second,
                              unsigned int* millisecond) {
  const unsigned long long remainder = ticks % kTicksPerSecond;
  const unsigned long long whole = ticks - remainder;
  *millisecond = static_cast<unsigned int>(remainder / kTicksPerMillisecond);

  // Both `whole` and the epoch offset are whole seconds, so the difference
  // divides exactly; ticks before 1970 give a negative time value.
  time_t seconds;
  if (whole >= kUnixEpochTicks) {
    seconds = static_cast<time_t>((whole - kUnixEpochTicks) / kTicksPerSecond);
  } else {
    seconds =
        -static_cast<time_t>((kUnixEpochTicks - whole) / kTicksPerSecond);
  }

  EnterUtc();
  struct tm broken = {};
  const bool converted = localtime_r(&seconds, &broken) != nullptr;
  LeaveUtc();
  if (!converted) return;

  *month = static_cast<unsigned int>(broken.tm_mon + 1);
  *day = static_cast<unsigned int>(broken.tm_mday);
  *year = static_cast<unsigned int>(broken.tm_year + 1900);
  *hour = static_cast<unsigned int>(broken.tm_hour);
  *minute = static_cast<unsigned int>(broken.tm_min);
  *second = static_cast<unsigned int>(broken.tm_sec);
}

unsigned long long XMLDateTimeToDotNetDateTime(std::wstring text) {
  if (text.size() < 20) return 0;
  const unsigned int year = ReadField(text, 0, 4);
  const unsigned int month = ReadField(text, 5, 2);
  const unsigned int day = ReadField(text, 8, 2);
  const unsigned int hour = ReadField(text, 11, 2);
  const unsigned int minute = ReadField(text, 14, 2);
  const unsigned int second = ReadField(text, 17, 2);
  // The fraction's first three characters are whole milliseconds.
  const unsigned int millisecond = text[19] == L'.' ? ReadField(text, 20, 3) : 0;
  return DateTimeToDotNetDateTime(year, month, day, hour, minute, second,
                                  millisecond);
}

}  // namespace QM
