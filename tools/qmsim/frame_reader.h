// Reading one request frame from a connection.
//
// A frame is: byte 0 the client type, bytes 1-4 the frame length L as
// unsigned 32-bit little-endian counting the whole frame, then L - 5 bytes of
// 8-bit envelope text.
#ifndef QMSIM_FRAME_READER_H
#define QMSIM_FRAME_READER_H

#include <cstddef>
#include <cstdint>
#include <string>

#include "connection.h"

namespace qmsim {

// Size of the binary prefix (client type byte and length).
constexpr std::uint32_t kFramePrefixSize = 5;
// Largest frame length accepted; the client never sends more than about 4 KiB.
constexpr std::uint32_t kMaxFrameLength = 1024 * 1024;

// Decodes the little-endian length of bytes 1-4; prefix must hold at least
// kFramePrefixSize bytes.
std::uint32_t DecodeFrameLength(const unsigned char* prefix);

// True when length lies within kFramePrefixSize..kMaxFrameLength.
bool FrameLengthAcceptable(std::uint32_t length);

enum class FrameStatus {
  kComplete,      // all L bytes arrived
  kShort,         // valid prefix, but the peer stopped sending before L bytes
  kNoPrefix,      // fewer than 5 bytes arrived
  kBadLength,     // the length field is outside the accepted bounds
  kReadError,     // the connection failed (reset)
  kDeadline,      // the connection's deadline passed first
  kStopped,       // SIGTERM/SIGINT arrived first
};

// Short name of a status for log lines ("complete", "short", ...).
const char* FrameStatusName(FrameStatus status);

// What ReadRequestFrame saw.
struct FrameRead {
  FrameStatus status = FrameStatus::kNoPrefix;
  std::uint32_t declared_length = 0;  // length field, when the prefix arrived
  std::string raw;                    // every byte received, prefix included
};

// Reads one frame from the connection: the prefix, then until the declared
// length has arrived or the peer shuts down its write side. Never reads more
// than the declared length (or the prefix alone when the length is
// rejected). The connection's deadline and a stop request end the read.
FrameRead ReadRequestFrame(Connection& connection);

// The envelope text of a frame read with a valid prefix: raw without the
// 5-byte prefix; empty when raw is shorter.
std::string EnvelopeText(const FrameRead& frame);

}  // namespace qmsim

#endif  // QMSIM_FRAME_READER_H
