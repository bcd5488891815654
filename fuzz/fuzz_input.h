// Shared pieces of the fuzz targets: a front-to-back reader of the fuzz
// input, a check that aborts with a message (libFuzzer then saves the input),
// and the time zones the targets run in.
#ifndef QM_FUZZ_FUZZ_INPUT_H_
#define QM_FUZZ_FUZZ_INPUT_H_

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

// Aborts with the failed condition when it does not hold. Unlike assert it
// stays active in optimised builds.
#define FUZZ_CHECK(condition)                                              \
  do {                                                                     \
    if (!(condition)) {                                                    \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, \
                   #condition);                                            \
      std::abort();                                                        \
    }                                                                      \
  } while (0)

namespace qmfuzz {

// Reads the input in pieces, front to back. A read past the end yields what
// is left (zeros for numbers, a shorter or empty text), so every input is a
// valid script. The data must outlive the reader.
class FuzzInput {
 public:
  FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  size_t Left() const { return size_ - at_; }

  uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }

  // Four bytes, little-endian.
  uint32_t U32() {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value |= uint32_t{Byte()} << (8 * i);
    return value;
  }

  uint64_t U64() {
    const uint64_t low = U32();
    return low | uint64_t{U32()} << 32;
  }

  // The next `count` bytes, fewer at the end.
  std::string Bytes(size_t count) {
    if (count > Left()) count = Left();
    std::string bytes(reinterpret_cast<const char*>(data_ + at_), count);
    at_ += count;
    return bytes;
  }

  // A length (U32, cut to `max` and to what is left), then that many bytes.
  std::string Sized(size_t max) {
    size_t length = U32();
    if (length > max) length = max;
    return Bytes(length);
  }

  std::string Rest() { return Bytes(Left()); }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
};

// Time zones a target may run in: fixed offsets without daylight saving
// time, where every local time converts back exactly, and zones with
// daylight saving time, where mktime's normalisation shifts hours.
struct Zone {
  const char* tz;
  bool fixed;  // no daylight saving time
};
inline const Zone& ZoneOf(uint8_t selector) {
  static const Zone kZones[] = {
      {"AST4", true},
      {"UTC0", true},
      {"NPT-5:45", true},
      {"EST5EDT,M3.2.0,M11.1.0", false},
      {"NZST-12NZDT,M9.5.0,M4.1.0/3", false},
      {"LHST-10:30LHDT-11,M10.1.0,M4.1.0", false},
  };
  return kZones[selector % (sizeof kZones / sizeof kZones[0])];
}

// Makes `zone` the process's local time zone.
inline void UseZone(const Zone& zone) {
  setenv("TZ", zone.tz, 1);
  tzset();
}

// Sends what the code under test prints on standard output to /dev/null;
// libFuzzer reports on standard error.
inline void SilenceStdout() {
  if (std::freopen("/dev/null", "w", stdout) == nullptr) std::abort();
}

}  // namespace qmfuzz

#endif  // QM_FUZZ_FUZZ_INPUT_H_
