// Little-endian binary replies, whatever the host's byte order.
#ifndef QMSIM_BINARY_WRITER_H
#define QMSIM_BINARY_WRITER_H

#include <cstdint>
#include <string>

namespace qmsim {

// Appends numbers and bytes to a growing byte string.
class BinaryWriter {
 public:
  void U8(std::uint8_t v) { bytes_ += static_cast<char>(v); }
  void U16(std::uint32_t v) { U8(v & 0xFF), U8((v >> 8) & 0xFF); }
  void U32(std::uint32_t v) { U16(v & 0xFFFF), U16(v >> 16); }
  void U64(std::uint64_t v) {
    U32(static_cast<std::uint32_t>(v));
    U32(static_cast<std::uint32_t>(v >> 32));
  }
  void Zeros(std::size_t n) { bytes_.append(n, '\0'); }
  void Text(const std::string& text) { bytes_ += text; }
  // The bytes written so far.
  const std::string& Bytes() const { return bytes_; }

 private:
  std::string bytes_;
};

}  // namespace qmsim

#endif  // QMSIM_BINARY_WRITER_H
