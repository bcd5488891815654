// Deliberate misbehaviour, so that tests and integrators can see how a client
// copes with a server that fails.
#ifndef QMSIM_FAULTS_H
#define QMSIM_FAULTS_H

#include <cstdint>
#include <string>

#include "request_handler.h"

namespace qmsim {

enum class FaultMode {
  kNone,
  kClose,         // close without answering
  kChunked,       // send the reply in small pieces with a pause between them
  kStall,         // wait before answering
  kMalformed,     // answer with a document that is not well-formed
  kTruncated,     // answer with the first half of the reply
  kLoginRefused,  // always answer the login-failure document
  kNulByte,       // insert a NUL byte in the middle of the reply
  kTrailingNul,   // append a NUL byte and garbage after the reply
  kPad,           // pad a DataSet reply beyond 1024 bytes with a comment
  kCutFrame,      // streams: end the stream in the middle of a frame
  kOversized,     // streams: announce a frame far larger than any real one
};

// Names accepted by ParseFaultMode, separated by ", " (for help texts).
const char* FaultModeNames();

// Maps a name ("none", "close", "chunked", "stall", "malformed", "truncated",
// "login-refused", "nul", "trailing-nul", "pad", "cut-frame", "oversized") to
// its mode; false when the name is unknown.
bool ParseFaultMode(const std::string& name, FaultMode* out);

// The name of a mode.
const char* FaultModeName(FaultMode mode);

// What to do wrong, and to which command.
struct FaultPlan {
  FaultMode mode = FaultMode::kNone;
  bool only_one_command = false;
  std::uint32_t command = 0;   // the command, when only_one_command
  int stall_ms = 1000;         // pause of kStall
  std::size_t chunk_size = 7;  // bytes per send of kChunked
  int chunk_pause_ms = 5;      // pause between sends of kChunked
  std::uint32_t frame = 1;     // the frame (from 0) that kCutFrame/kOversized spoil
};

// The length a kOversized frame announces (2 GiB - 1: no client buffers it).
constexpr std::uint32_t kOversizedLength = 0x7FFFFFFF;

// The mode that applies to a request of the given command (kNone when the
// plan is limited to another command).
FaultMode FaultFor(const FaultPlan& plan, std::uint32_t command);

// Size of the padding comment of kPad; with it every DataSet reply is longer
// than 1024 bytes.
constexpr std::size_t kPadBytes = 1500;

// Applies the content-changing modes (malformed, truncated, login-refused,
// nul, trailing-nul, pad) to reply->bytes and notes the fault in
// reply->outcome; the delivery modes (close, chunked, stall) are left to the
// sender. The stream modes (cut-frame, oversized) leave a reply as it is and
// say so in the outcome.
void ApplyContentFault(FaultMode mode, SimReply* reply);

// The malformed document that kMalformed sends.
extern const char kMalformedDocument[];

}  // namespace qmsim

#endif  // QMSIM_FAULTS_H
