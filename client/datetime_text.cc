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

// Reads one numeric piece of a date-time text: `length` characters of `part`
// from `start`. A piece starting exactly at the end is empty and reads as 0;
// one cut short by the end keeps what there is; one starting beyond the end
// fails. The piece is copied on its own so that wcstol never consumes digits
// that belong to the next piece. Returns false only for a piece beyond the
// end.
bool ReadPiece(const std::wstring& part, size_t start, size_t length,
               int* value) {
  if (start > part.size()) return false;
  const std::wstring piece = part.substr(start, length);
  // The piece is at most four characters, so the value always fits an int.
  *value = static_cast<int>(std::wcstol(piece.c_str(), nullptr, 10));
  return true;
}

}  // namespace

std::wstring to_wstring(unsigned int value) {
  wchar_t buffer[kDecimalBufferSize] = {0};
  const int written = std::swprintf(buffer, kDecimalBufferSize, L"%lu",
                                    static_cast<unsigned long>(value));
  if (written < 0) return std::wstring();
  return std::wstring(buffer);
}

namespace QM {

std::wstring Server::ConvToStrAddZero(int value, int width) {
  if (width <= 0) return std::wstring();
  const std::wstring digits = ::to_wstring(static_cast<unsigned int>(value));
  const size_t wanted = static_cast<size_t>(width);
  if (digits.size() >= wanted) {
    // Keep the least significant digits.
    return digits.substr(digits.size() - wanted);
  }
  return std::wstring(wanted - digits.size(), L'0') + digits;
}

void Server::ConvToTimeString(const struct tm* time, std::wstring& out) {
  out.clear();
  if (time == nullptr) return;
  out = ConvToStrAddZero(time->tm_hour, 2) + L":" +
        ConvToStrAddZero(time->tm_min, 2) + L":" +
        ConvToStrAddZero(time->tm_sec, 2);
}

void Server::ConvToDateTimeStr(time_t time, std::wstring& out,
                               std::wstring suffix) {
  out.clear();
  struct tm local;
  std::memset(&local, 0, sizeof(local));
  // A calendar time the C library cannot break down (far outside the years
  // an int holds) leaves the text empty rather than printing garbage.
  if (localtime_r(&time, &local) == nullptr) return;
  out = ConvToStrAddZero(local.tm_year + 1900, 4) + L"-" +
        ConvToStrAddZero(local.tm_mon + 1, 2) + L"-" +
        ConvToStrAddZero(local.tm_mday, 2) + L"T" +
        ConvToStrAddZero(local.tm_hour, 2) + L":" +
        ConvToStrAddZero(local.tm_min, 2) + L":" +
        ConvToStrAddZero(local.tm_sec, 2);
  if (!suffix.empty()) out += suffix;
}

void Server::ConvToTimeT(const std::wstring& text, time_t* out) {
  if (out == nullptr) return;
  *out = 0;

  // Split into the date part and the time part.
  std::wstring date;
  std::wstring time_of_day;
  size_t separator = text.find(L'T');
  if (separator == std::wstring::npos) separator = text.find(L' ');
  if (separator != std::wstring::npos) {
    date = text.substr(0, separator);
    time_of_day = text.substr(separator + 1);
  } else if (text.find(L':') != std::wstring::npos) {
    return;  // a time with colons needs an explicit separator
  } else {
    date = text.substr(0, 8);
    if (text.size() > 8) time_of_day = text.substr(8);
  }

  int year = 0;
  int month = 0;
  int day = 0;
  if (date.size() == 8) {
    ReadPiece(date, 0, 4, &year);
    ReadPiece(date, 4, 2, &month);
    ReadPiece(date, 6, 2, &day);
  } else if (date.size() == 10) {
    ReadPiece(date, 0, 4, &year);
    ReadPiece(date, 5, 2, &month);
    ReadPiece(date, 8, 2, &day);
  } else {
    return;
  }

  const bool with_colons = time_of_day.find(L':') != std::wstring::npos;
  const size_t step = with_colons ? 3 : 2;
  int hour = 0;
  int minute = 0;
  int second = 0;
  if (!ReadPiece(time_of_day, 0, 2, &hour) ||
      !ReadPiece(time_of_day, step, 2, &minute) ||
      !ReadPiece(time_of_day, 2 * step, 2, &second)) {
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
