#include "protocol/local_zone.h"

#include <cstdlib>
#include <cstring>

namespace QM {

namespace {

// The C library's default zone file, in the form TZ names a file (a leading
// ':'). It reads exactly this file when TZ is unset, and when the file is
// missing it falls back to UTC in both cases.
const char kDefaultZone[] = ":/etc/localtime";

}  // namespace

ScopedLocalZone::ScopedLocalZone() : pinned_(false) {
  if (std::getenv("TZ") != nullptr) return;
  pinned_ = setenv("TZ", kDefaultZone, 0) == 0;
}

ScopedLocalZone::~ScopedLocalZone() {
  if (!pinned_) return;
  const char* zone = std::getenv("TZ");
  if (zone != nullptr && std::strcmp(zone, kDefaultZone) == 0) unsetenv("TZ");
}

}  // namespace QM
