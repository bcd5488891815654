// Conversions between the server's date-time texts, calendar time and
// broken-down time. Everything runs in the process's local time zone
// (mktime / localtime_r); nothing here changes the zone.
#include "client/datetime_text.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <ctime>
#include <string>

#include "client/server.h"

namespace {

// Capacity of the decimal text of an unsigned 32-bit value: ten digits and
// the terminating zero.
const size_t kDecimalBufferSize = 11;
// Longest numeric piece of a date-time text (the year).
const size_t kMaxPiece = 4;

// Writes the decimal digits of `value` (no sign, no padding) ending just
// before `end`; returns the first digit.
wchar_t* FormatDecimal(unsigned int value, wchar_t* end) {
  wchar_t* p = end;
  do {
    *--p = static_cast<wchar_t>(L'0' + value % 10);
    value /= 10;
  } while (value != 0);
  return p;
}

// Appends exactly `width` digits of `value` taken as unsigned 32-bit: the
// least significant ones, zero padded. Nothing for a width of 0 or less.
void AppendPadded(std::wstring& out, int value, int width) {
  if (width <= 0) return;
  wchar_t digits[kDecimalBufferSize];
  wchar_t* const end = digits + kDecimalBufferSize;
  const wchar_t* first = FormatDecimal(static_cast<unsigned int>(value), end);
  const size_t count = static_cast<size_t>(end - first);
  const size_t wanted = static_cast<size_t>(width);
  if (count >= wanted) {
    out.append(end - wanted, wanted);
  } else {
    out.append(wanted - count, L'0');
    out.append(first, count);
  }
}

// Reads one numeric piece of a date-time text: `length` characters of the
// part [part, part + size) from `start`. A piece starting exactly at the end
// is empty and reads as 0; one cut short by the end keeps what there is; one
// starting beyond the end fails. The piece is read on its own (wcstol in
// base 10) so that no digit of the next piece is consumed. Returns false
// only for a piece beyond the end.
bool ReadPiece(const wchar_t* part, size_t size, size_t start, size_t length,
               int* value) {
  if (start > size) return false;
  if (length > kMaxPiece) length = kMaxPiece;  // pieces are 2 or 4 long
  const size_t count = size - start < length ? size - start : length;
  const wchar_t* piece = part + start;
  // Plain digits read as wcstol reads them; anything else (blanks, signs,
  // other characters) goes through wcstol itself.
  int digits_value = 0;
  size_t i = 0;
  for (; i < count && piece[i] >= L'0' && piece[i] <= L'9'; ++i) {
    digits_value = digits_value * 10 + static_cast<int>(piece[i] - L'0');
  }
  if (i == count) {
    *value = digits_value;
    return true;
  }
  wchar_t copy[kMaxPiece + 1];
  std::wmemcpy(copy, piece, count);
  copy[count] = L'\0';
  // The piece is at most four characters, so the value always fits an int.
  *value = static_cast<int>(std::wcstol(copy, nullptr, 10));
  return true;
}

// Position of the first `c` in [text, text + size), or `size`.
size_t Find(const wchar_t* text, size_t size, wchar_t c) {
  for (size_t i = 0; i < size; ++i) {
    if (text[i] == c) return i;
  }
  return size;
}

}  // namespace

std::wstring to_wstring(unsigned int value) {
  wchar_t digits[kDecimalBufferSize];
  wchar_t* const end = digits + kDecimalBufferSize;
  const wchar_t* first = FormatDecimal(value, end);
  return std::wstring(first, static_cast<size_t>(end - first));
}

namespace QM {

std::wstring Server::ConvToStrAddZero(int value, int width) {
  std::wstring out;
  AppendPadded(out, value, width);
  return out;
}

void Server::ConvToTimeString(const struct tm* time, std::wstring& out) {
  out.clear();
  if (time == nullptr) return;
  AppendPadded(out, time->tm_hour, 2);
  out += L':';
  AppendPadded(out, time->tm_min, 2);
  out += L':';
  AppendPadded(out, time->tm_sec, 2);
}

void Server::ConvToDateTimeStr(time_t time, std::wstring& out,
                               std::wstring suffix) {
  out.clear();
  struct tm local;
  std::memset(&local, 0, sizeof(local));
  // A calendar time the C library cannot break down (far outside the years
  // an int holds) leaves the text empty rather than printing garbage.
  if (localtime_r(&time, &local) == nullptr) return;
  out.reserve(19 + suffix.size());
  AppendPadded(out, local.tm_year + 1900, 4);
  out += L'-';
  AppendPadded(out, local.tm_mon + 1, 2);
  out += L'-';
  AppendPadded(out, local.tm_mday, 2);
  out += L'T';
  AppendPadded(out, local.tm_hour, 2);
  out += L':';
  AppendPadded(out, local.tm_min, 2);
  out += L':';
  AppendPadded(out, local.tm_sec, 2);
  if (!suffix.empty()) out += suffix;
}

void Server::ConvToTimeT(const std::wstring& text, time_t* out) {
  if (out == nullptr) return;
  *out = 0;

  // Split into the date part and the time part (views into the text).
  const wchar_t* const chars = text.c_str();
  const size_t size = text.size();
  const wchar_t* date = chars;
  size_t date_size = 0;
  const wchar_t* time_of_day = chars;
  size_t time_size = 0;
  size_t separator = Find(chars, size, L'T');
  if (separator == size) separator = Find(chars, size, L' ');
  if (separator != size) {
    date_size = separator;
    time_of_day = chars + separator + 1;
    time_size = size - separator - 1;
  } else if (Find(chars, size, L':') != size) {
    return;  // a time with colons needs an explicit separator
  } else {
    date_size = size < 8 ? size : 8;
    if (size > 8) {
      time_of_day = chars + 8;
      time_size = size - 8;
    }
  }

  int year = 0;
  int month = 0;
  int day = 0;
  if (date_size == 8) {
    ReadPiece(date, date_size, 0, 4, &year);
    ReadPiece(date, date_size, 4, 2, &month);
    ReadPiece(date, date_size, 6, 2, &day);
  } else if (date_size == 10) {
    ReadPiece(date, date_size, 0, 4, &year);
    ReadPiece(date, date_size, 5, 2, &month);
    ReadPiece(date, date_size, 8, 2, &day);
  } else {
    return;
  }

  const bool with_colons = Find(time_of_day, time_size, L':') != time_size;
  const size_t step = with_colons ? 3 : 2;
  int hour = 0;
  int minute = 0;
  int second = 0;
  if (!ReadPiece(time_of_day, time_size, 0, 2, &hour) ||
      !ReadPiece(time_of_day, time_size, step, 2, &minute) ||
      !ReadPiece(time_of_day, time_size, 2 * step, 2, &second)) {
    return;
  }

  struct tm broken;
  std::memset(&broken, 0, sizeof(broken));
  broken.tm_year = year - 1900;
  broken.tm_mon = month - 1;
  broken.tm_mday = day;
  broken.tm_hour = hour;
  broken.tm_min = minute;
  broken.tm_sec = second;
  *out = std::mktime(&broken);
}

std::wstring Server::GetTimeZoneString(std::wstring text) {
  if (text.find(L'Z') != std::wstring::npos) return L"Z";

  // Search only after the date-time separator, so that the dashes of a
  // YYYY-MM-DD date are not taken for a zone.
  size_t from = 0;
  size_t separator = text.find(L'T');
  if (separator == std::wstring::npos) separator = text.find(L' ');
  if (separator != std::wstring::npos) from = separator + 1;

  size_t sign = text.find(L'+', from);
  if (sign == std::wstring::npos) sign = text.find(L'-', from);
  if (sign == std::wstring::npos) return std::wstring();
  return text.substr(sign);
}

}  // namespace QM
