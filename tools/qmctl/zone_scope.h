// Time zones for qmctl's day commands: which zone a day is read in, a scope
// that holds the process's TZ on a zone, and the texts of instants and
// offsets in the zone in force.
//
// The C library knows one zone at a time (TZ, or the system's local zone
// when TZ is unset), so every conversion below reads the zone in force when
// it is called. The client library's tick conversions remove TZ from the
// environment: whoever holds a ZoneScope calls Reapply after any of them.
#pragma once

#include <ctime>
#include <string>

namespace qmctl {

// True when `zone` names a zone the C library reads as meant: a zone file
// below the zone directory (TZDIR, else /usr/share/zoneinfo), written with
// or without a leading ':' and without "..", or a POSIX rule that starts
// with a name of three or more letters (or a quoted <...> name) and an
// offset ("AST4", "<+02>-2", "CET-1CEST,M3.5.0,M10.5.0/3"). The C library
// quietly reads any other text as UTC, so --tz is checked with this first.
bool IsKnownZone(const std::string& zone);

// The name to show for the local zone when no --tz was given: TZ when it is
// set and not empty, else the zone file /etc/localtime links to (relative to
// the zone directory), else "local".
std::string LocalZoneName();

// Holds TZ on one zone from construction until destruction, then puts the
// environment back as it was (TZ restored, or removed when it had none) and
// lets the C library read it again. An empty zone text means "the zone in
// force when the scope was made": TZ as it was then, or none. Scopes nest;
// destroy them in reverse order of construction. Not copyable.
class ZoneScope {
 public:
  explicit ZoneScope(const std::string& zone);
  ~ZoneScope();
  ZoneScope(const ZoneScope&) = delete;
  ZoneScope& operator=(const ZoneScope&) = delete;

  // Sets TZ to the scope's zone again (or removes it, for a scope made on
  // an unset TZ) and re-reads it. Call after any library call that touches
  // TZ, such as the tick conversions.
  void Reapply() const;

 private:
  bool had_previous_;     // TZ was set when the scope was made
  std::string previous_;  // its value then
  bool has_zone_;         // the scope sets TZ (false: keeps it unset)
  std::string zone_;      // the value it sets
};

// UTC offset in seconds of the zone in force at instant `t` (east of UTC
// positive); 0 when the instant cannot be broken down.
long OffsetAt(time_t t);

// "+HH:MM" or "-HH:MM" of an offset in seconds (seconds beyond whole
// minutes are dropped; "+00:00" for 0).
std::string OffsetText(long offset_seconds);

// "YYYY-MM-DDTHH:MM:SS+HH:MM": instant `t` in the zone in force, with the
// offset in force at that instant. Empty when `t` cannot be broken down.
std::string LocalText(time_t t);

// "YYYY-MM-DDTHH:MM:SS" of the UTC date and time of `t`; empty when it
// cannot be broken down.
std::string UtcWallText(time_t t);

// A POSIX TZ holding a fixed offset and no daylight-saving rule, for an
// offset in seconds east of UTC: "<-0400>4", "<+0530>-5:30", "<+0000>0".
std::string FixedOffsetZone(long offset_seconds);

}  // namespace qmctl
