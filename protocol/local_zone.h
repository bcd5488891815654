// Pins the process's local time zone for a stretch of local-time
// conversions. With TZ unset, the C library looks at its default zone file
// (/etc/localtime) again on every mktime, one stat per conversion; naming that
// same file in TZ lets it keep the zone it has read. The zone in force is the
// same either way, so every conversion gives the same result.
#ifndef QM_PROTOCOL_LOCAL_ZONE_H_
#define QM_PROTOCOL_LOCAL_ZONE_H_

namespace QM {

// While an object lives, TZ names the C library's default zone file when it
// was unset at construction; otherwise nothing changes. The destructor
// removes that TZ again, unless something else has changed TZ meanwhile
// (the tick conversions remove TZ by design: the zone is then the default
// one again, as it would have been). Objects nest; single-threaded use only.
class ScopedLocalZone {
 public:
  ScopedLocalZone();
  ~ScopedLocalZone();

  ScopedLocalZone(const ScopedLocalZone&) = delete;
  ScopedLocalZone& operator=(const ScopedLocalZone&) = delete;

 private:
  bool pinned_;
};

}  // namespace QM

#endif  // QM_PROTOCOL_LOCAL_ZONE_H_
