// Bounded little-endian reads.
#include "services/byte_reader.h"

namespace QM {

ByteReader::ByteReader(const void* bytes, size_t length)
    : bytes_(static_cast<const unsigned char*>(bytes)),
      length_(bytes == nullptr ? 0 : length),
      offset_(0),
      failed_(false) {}

const unsigned char* ByteReader::Take(size_t count) {
  if (failed_ || count > Remaining()) {
    failed_ = true;
    return nullptr;
  }
  const unsigned char* at = bytes_ + offset_;
  offset_ += count;
  return at;
}

void ByteReader::Skip(size_t count) { Take(count); }

unsigned long long ByteReader::Read(size_t width) {
  const unsigned char* at = Take(width);
  if (at == nullptr) return 0;
  unsigned long long value = 0;
  for (size_t i = width; i > 0; --i) value = (value << 8) | at[i - 1];
  return value;
}

}  // namespace QM
