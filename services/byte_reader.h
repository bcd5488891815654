// Bounded reading of little-endian numbers from a binary reply.
#ifndef QM_SERVICES_BYTE_READER_H_
#define QM_SERVICES_BYTE_READER_H_

#include <cstddef>

namespace QM {

// Reads fields one after the other from a byte range it does not own (the
// range must outlive the reader). A read that would pass the end reads
// nothing, gives 0 and makes Failed() true for good; no byte outside the
// range is ever touched.
class ByteReader {
 public:
  // `bytes` may be null only when `length` is 0.
  ByteReader(const void* bytes, size_t length);

  // Little-endian unsigned numbers of 1, 2, 4 and 8 bytes.
  unsigned char U8() { return static_cast<unsigned char>(Read(1)); }
  unsigned short U16() { return static_cast<unsigned short>(Read(2)); }
  unsigned int U32() { return static_cast<unsigned int>(Read(4)); }
  unsigned long long U64() { return Read(8); }
  // Passes over `count` bytes; fails like a read when they are not there.
  void Skip(size_t count);
  // The next `count` bytes, passed over; null (and failed) when they are
  // not all there.
  const unsigned char* Take(size_t count);

  bool Failed() const { return failed_; }
  size_t Offset() const { return offset_; }
  // Bytes not yet read.
  size_t Remaining() const { return length_ - offset_; }

 private:
  unsigned long long Read(size_t width);

  const unsigned char* bytes_;
  size_t length_;
  size_t offset_;
  bool failed_;
};

}  // namespace QM

#endif  // QM_SERVICES_BYTE_READER_H_
