#include "day_texts.h"

#include <cstring>

#include "client/server.h"
#include "zone_scope.h"

namespace qmctl {

namespace {

// Largest designator offset accepted, in minutes (23:59).
constexpr long kMaxOffsetMinutes = 23 * 60 + 59;

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// Offset of a designator: "Z", or "+"/"-" then hh, hhmm or hh:mm.
bool ParseDesignator(const std::wstring& text, long* offset) {
  if (text == L"Z") {
    *offset = 0;
    return true;
  }
  if (text.size() < 3 || (text[0] != L'+' && text[0] != L'-')) return false;
  if (!IsDigit(text[1]) || !IsDigit(text[2])) return false;
  long minutes = ((text[1] - L'0') * 10 + (text[2] - L'0')) * 60;
  size_t at = 3;
  if (at < text.size() && text[at] == L':') ++at;
  if (at + 2 <= text.size() && IsDigit(text[at]) && IsDigit(text[at + 1])) {
    const long extra = (text[at] - L'0') * 10 + (text[at + 1] - L'0');
    if (extra > 59) return false;
    minutes += extra;
    at += 2;
  } else if (at != 3) {
    return false;  // "+02:" without minutes
  }
  if (at != text.size() || minutes > kMaxOffsetMinutes) return false;
  *offset = (text[0] == L'-' ? -minutes : minutes) * 60;
  return true;
}

}  // namespace

std::vector<TextTime> ReadTexts(const std::vector<std::wstring>& texts) {
  std::vector<TextTime> result;
  result.reserve(texts.size());
  ZoneScope utc("UTC0");
  for (const std::wstring& text : texts) {
    TextTime read;
    time_t wall = 0;
    QM::Server::ConvToTimeT(text, &wall);
    read.converts = wall != 0;
    read.wall = wall;
    read.has_offset = ParseDesignator(QM::Server::GetTimeZoneString(text), &read.offset);
    result.push_back(read);
  }
  return result;
}

bool InstantOf(const TextTime& text, time_t* out) {
  if (!text.converts) return false;
  if (text.has_offset) {
    *out = text.wall - text.offset;
    return true;
  }
  struct tm clock;
  std::memset(&clock, 0, sizeof clock);
  if (gmtime_r(&text.wall, &clock) == nullptr) return false;
  clock.tm_isdst = -1;
  const time_t instant = mktime(&clock);
  if (instant == static_cast<time_t>(-1)) return false;
  *out = instant;
  return true;
}

}  // namespace qmctl
