#include "zone_scope.h"

#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

namespace qmctl {

namespace {

// Where zone files live unless TZDIR says otherwise.
const char kDefaultZoneDir[] = "/usr/share/zoneinfo";
// Longest zone text looked at (a zone file name or a POSIX rule).
const size_t kMaxZoneText = 255;

std::string ZoneDir() {
  const char* dir = std::getenv("TZDIR");
  return dir != nullptr && dir[0] != '\0' ? std::string(dir) : kDefaultZoneDir;
}

// A zone file starts with the magic "TZif"; a text file of the zone
// directory (zone.tab, for example) does not, and the C library would read
// its name as UTC.
bool IsZoneFile(const std::string& name) {
  if (name.empty() || name[0] == '/' || name.find("..") != std::string::npos)
    return false;
  std::ifstream in(ZoneDir() + "/" + name, std::ios::binary);
  char magic[4] = {};
  return in.read(magic, sizeof magic) && std::memcmp(magic, "TZif", 4) == 0;
}

// The start of a POSIX rule: a name of three or more letters or a quoted
// <...> name of three or more characters, then an offset [+-]hh[:mm[:ss]].
bool IsPosixRule(const std::string& text) {
  size_t at = 0;
  if (!text.empty() && text[0] == '<') {
    const size_t close = text.find('>');
    if (close == std::string::npos || close < 4) return false;
    for (size_t i = 1; i < close; ++i) {
      const unsigned char c = static_cast<unsigned char>(text[i]);
      if (!std::isalnum(c) && c != '+' && c != '-') return false;
    }
    at = close + 1;
  } else {
    while (at < text.size() && std::isalpha(static_cast<unsigned char>(text[at]))) ++at;
    if (at < 3) return false;
  }
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
  size_t digits = 0;
  while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at]))) ++at, ++digits;
  return digits >= 1 && digits <= 2;
}

void SetZone(bool has_zone, const std::string& zone) {
  if (has_zone) {
    setenv("TZ", zone.c_str(), 1);
  } else {
    unsetenv("TZ");
  }
  tzset();
}

}  // namespace

bool IsKnownZone(const std::string& zone) {
  if (zone.empty() || zone.size() > kMaxZoneText) return false;
  const std::string name = zone[0] == ':' ? zone.substr(1) : zone;
  return IsZoneFile(name) || (zone[0] != ':' && IsPosixRule(zone));
}

std::string LocalZoneName() {
  const char* tz = std::getenv("TZ");
  if (tz != nullptr && tz[0] != '\0') return tz;
  char target[kMaxZoneText + 1] = {};
  const ssize_t n = readlink("/etc/localtime", target, kMaxZoneText);
  if (n > 0) {
    const std::string path(target, static_cast<size_t>(n));
    const size_t at = path.find("zoneinfo/");
    if (at != std::string::npos) return path.substr(at + 9);
  }
  return "local";
}

ZoneScope::ZoneScope(const std::string& zone) {
  const char* previous = std::getenv("TZ");
  had_previous_ = previous != nullptr;
  if (had_previous_) previous_ = previous;
  has_zone_ = !zone.empty() || had_previous_;
  zone_ = zone.empty() ? previous_ : zone;
  SetZone(has_zone_, zone_);
}

ZoneScope::~ZoneScope() { SetZone(had_previous_, previous_); }

void ZoneScope::Reapply() const { SetZone(has_zone_, zone_); }

long OffsetAt(time_t t) {
  struct tm local;
  std::memset(&local, 0, sizeof local);
  if (localtime_r(&t, &local) == nullptr) return 0;
  return local.tm_gmtoff;
}

std::string OffsetText(long offset_seconds) {
  const char sign = offset_seconds < 0 ? '-' : '+';
  const long minutes = (offset_seconds < 0 ? -offset_seconds : offset_seconds) / 60;
  char text[48];
  std::snprintf(text, sizeof text, "%c%02ld:%02ld", sign, minutes / 60 % 100, minutes % 60);
  return text;
}

namespace {

// "YYYY-MM-DDTHH:MM:SS" of broken-down time.
std::string WallText(const struct tm& t) {
  char text[80];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", t.tm_year + 1900,
                t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
  return text;
}

}  // namespace

std::string LocalText(time_t t) {
  struct tm local;
  std::memset(&local, 0, sizeof local);
  if (localtime_r(&t, &local) == nullptr) return std::string();
  return WallText(local) + OffsetText(local.tm_gmtoff);
}

std::string UtcWallText(time_t t) {
  struct tm utc;
  std::memset(&utc, 0, sizeof utc);
  if (gmtime_r(&t, &utc) == nullptr) return std::string();
  return WallText(utc);
}

std::string FixedOffsetZone(long offset_seconds) {
  const std::string offset = OffsetText(offset_seconds);  // "+HH:MM"
  const std::string compact = offset.substr(0, 3) + offset.substr(4, 2);
  // POSIX counts west of UTC positive: the sign flips.
  const long minutes = (offset_seconds < 0 ? -offset_seconds : offset_seconds) / 60;
  std::string rule = "<" + compact + ">";
  if (offset_seconds > 0 && minutes > 0) rule += "-";
  rule += std::to_string(minutes / 60);
  if (minutes % 60 != 0) {
    char part[8];
    std::snprintf(part, sizeof part, ":%02ld", minutes % 60);
    rule += part;
  }
  return rule;
}

}  // namespace qmctl
