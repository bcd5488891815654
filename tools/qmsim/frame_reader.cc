#include "frame_reader.h"

#include <cerrno>
#include <sys/socket.h>
#include <sys/types.h>

namespace qmsim {
namespace {

// Receives into raw until it holds `want` bytes. Returns 1 when complete,
// 0 when the peer closed its write side first, -1 on error.
int ReceiveUpTo(int fd, std::string* raw, std::size_t want) {
  char buffer[4096];
  while (raw->size() < want) {
    std::size_t ask = want - raw->size();
    if (ask > sizeof buffer) ask = sizeof buffer;
    const ssize_t got = ::recv(fd, buffer, ask, 0);
    if (got < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (got == 0) return 0;
    raw->append(buffer, static_cast<std::size_t>(got));
  }
  return 1;
}

}  // namespace

std::uint32_t DecodeFrameLength(const unsigned char* prefix) {
  return static_cast<std::uint32_t>(prefix[1]) |
         (static_cast<std::uint32_t>(prefix[2]) << 8) |
         (static_cast<std::uint32_t>(prefix[3]) << 16) |
         (static_cast<std::uint32_t>(prefix[4]) << 24);
}

bool FrameLengthAcceptable(std::uint32_t length) {
  return length >= kFramePrefixSize && length <= kMaxFrameLength;
}

const char* FrameStatusName(FrameStatus status) {
  switch (status) {
    case FrameStatus::kComplete: return "complete";
    case FrameStatus::kShort: return "short";
    case FrameStatus::kNoPrefix: return "no-prefix";
    case FrameStatus::kBadLength: return "bad-length";
    case FrameStatus::kReadError: return "read-error";
  }
  return "unknown";
}

FrameRead ReadRequestFrame(int fd) {
  FrameRead frame;
  const int prefix = ReceiveUpTo(fd, &frame.raw, kFramePrefixSize);
  if (prefix < 0) {
    frame.status = FrameStatus::kReadError;
    return frame;
  }
  if (prefix == 0) {
    frame.status = FrameStatus::kNoPrefix;
    return frame;
  }
  frame.declared_length = DecodeFrameLength(
      reinterpret_cast<const unsigned char*>(frame.raw.data()));
  if (!FrameLengthAcceptable(frame.declared_length)) {
    frame.status = FrameStatus::kBadLength;
    return frame;
  }
  const int body = ReceiveUpTo(fd, &frame.raw, frame.declared_length);
  if (body < 0) {
    frame.status = FrameStatus::kReadError;
  } else {
    frame.status = body == 1 ? FrameStatus::kComplete : FrameStatus::kShort;
  }
  return frame;
}

std::string EnvelopeText(const FrameRead& frame) {
  if (frame.raw.size() <= kFramePrefixSize) return std::string();
  return frame.raw.substr(kFramePrefixSize);
}

}  // namespace qmsim
