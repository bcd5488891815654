#include "frame_reader.h"

namespace qmsim {
namespace {

// Receives into raw until it holds `want` bytes. kOk when complete, else
// how the receiving ended (kClosed: the peer closed its write side first).
IoStatus ReceiveUpTo(Connection& connection, std::string* raw, std::size_t want) {
  char buffer[4096];
  while (raw->size() < want) {
    std::size_t ask = want - raw->size();
    if (ask > sizeof buffer) ask = sizeof buffer;
    std::size_t got = 0;
    const IoStatus status = connection.Receive(buffer, ask, &got);
    if (status != IoStatus::kOk) return status;
    raw->append(buffer, got);
  }
  return IoStatus::kOk;
}

// The status of a read that ended before `want` bytes arrived.
FrameStatus Unfinished(IoStatus status, FrameStatus on_close) {
  switch (status) {
    case IoStatus::kClosed: return on_close;
    case IoStatus::kDeadline: return FrameStatus::kDeadline;
    case IoStatus::kStopped: return FrameStatus::kStopped;
    default: return FrameStatus::kReadError;
  }
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
    case FrameStatus::kDeadline: return "deadline-passed";
    case FrameStatus::kStopped: return "stopped";
  }
  return "unknown";
}

FrameRead ReadRequestFrame(Connection& connection) {
  FrameRead frame;
  const IoStatus prefix = ReceiveUpTo(connection, &frame.raw, kFramePrefixSize);
  if (prefix != IoStatus::kOk) {
    frame.status = Unfinished(prefix, FrameStatus::kNoPrefix);
    return frame;
  }
  frame.declared_length = DecodeFrameLength(
      reinterpret_cast<const unsigned char*>(frame.raw.data()));
  if (!FrameLengthAcceptable(frame.declared_length)) {
    frame.status = FrameStatus::kBadLength;
    return frame;
  }
  const IoStatus body = ReceiveUpTo(connection, &frame.raw, frame.declared_length);
  frame.status = body == IoStatus::kOk ? FrameStatus::kComplete
                                       : Unfinished(body, FrameStatus::kShort);
  return frame;
}

std::string EnvelopeText(const FrameRead& frame) {
  if (frame.raw.size() <= kFramePrefixSize) return std::string();
  return frame.raw.substr(kFramePrefixSize);
}

}  // namespace qmsim
