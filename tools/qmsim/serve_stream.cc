#include "serve_stream.h"

#include <cstdio>
#include <cstring>

#include "dataset_reply.h"
#include "faults.h"
#include "request_handler.h"
#include "service_handler.h"
#include "stream_frames.h"

namespace qmsim {
namespace {

// Sends the pieces of a stream the way the fault plan says (in small pieces
// for chunked), counting what went out; stops at the first failure.
class StreamSender {
 public:
  StreamSender(Connection& connection, FaultMode fault, const FaultPlan& plan)
      : connection_(connection), fault_(fault), plan_(plan) {}

  // Sends bytes whole; false (and nothing more is sent) once the connection failed.
  bool Send(const std::string& bytes) {
    if (status_ != IoStatus::kOk) return false;
    std::size_t sent = 0;
    status_ = fault_ == FaultMode::kChunked
                  ? connection_.SendInChunks(bytes.data(), bytes.size(), plan_.chunk_size,
                                             plan_.chunk_pause_ms, &sent)
                  : connection_.SendAll(bytes.data(), bytes.size(), &sent);
    sent_ += sent;
    return status_ == IoStatus::kOk;
  }
  // Waits ms before the stream (stall fault); false when it ended early.
  bool Pause(int ms) {
    status_ = connection_.Pause(ms);
    return status_ == IoStatus::kOk;
  }
  // "N bytes sent", or with the reason when the connection failed.
  std::string Result() const {
    std::string text = std::to_string(sent_) + " bytes sent";
    if (status_ == IoStatus::kDeadline) {
      return text + " (deadline of " + std::to_string(connection_.Deadline().LimitMs()) +
             " ms idle passed)";
    }
    return status_ == IoStatus::kOk ? text : text + " (" + IoStatusText(status_) + ")";
  }
  bool Ok() const { return status_ == IoStatus::kOk; }

 private:
  Connection& connection_;
  FaultMode fault_;
  const FaultPlan& plan_;
  IoStatus status_ = IoStatus::kOk;
  std::size_t sent_ = 0;
};

// Handles the faults that replace or delay the whole stream. Returns true
// with *outcome set when the stream must not be sent (it was replaced, or
// the connection ended during the stall); stall text goes into *prefix.
bool ReplaceStream(FaultMode fault, const FaultPlan& plan, StreamSender* sender,
                   std::string* prefix, std::string* outcome) {
  const std::string name = std::string("fault=") + FaultModeName(fault);
  switch (fault) {
    case FaultMode::kClose:
      *outcome = name + ": nothing sent, closed on purpose";
      return true;
    case FaultMode::kLoginRefused:
    case FaultMode::kMalformed:
      sender->Send(fault == FaultMode::kMalformed ? kMalformedDocument : kLoginFailureDocument);
      *outcome = name + " instead of the stream; " + sender->Result();
      return true;
    case FaultMode::kStall:
      *prefix = name + " " + std::to_string(plan.stall_ms) + " ms, then ";
      if (sender->Pause(plan.stall_ms)) return false;
      *outcome = *prefix + sender->Result();
      return true;
    case FaultMode::kNulByte:
    case FaultMode::kTrailingNul:
    case FaultMode::kPad:
      *prefix = name + " not applied (a stream), ";
      return false;
    case FaultMode::kChunked:
      *prefix = name + " " + std::to_string(plan.chunk_size) + "-byte pieces, ";
      return false;
    default:
      return false;
  }
}

// Sends frame i built by make(announced): cut after half its payload for
// cut-frame, announcing kOversizedLength for oversized when i is the
// plan's frame. False when the stream must end after it (spoilt or failed);
// *note then tells which fault struck.
template <typename MakeFrame>
bool SendFrame(StreamSender* sender, FaultMode fault, const FaultPlan& plan, std::uint32_t i,
               std::size_t prefix_size, MakeFrame make, std::string* note) {
  const bool spoilt = i == plan.frame &&
                      (fault == FaultMode::kCutFrame || fault == FaultMode::kOversized);
  if (!spoilt) return sender->Send(make(0));
  if (fault == FaultMode::kOversized) {
    sender->Send(make(kOversizedLength));
  } else {
    const std::string frame = make(0);
    sender->Send(frame.substr(0, prefix_size + (frame.size() - prefix_size) / 2));
  }
  *note = std::string(", fault=") + FaultModeName(fault) + " at frame " + std::to_string(i);
  return false;
}

// Sends the login-failure document in place of the stream; the outcome.
std::string RefuseLogin(const SimRequest& request, StreamSender* sender) {
  const SimReply refused = LoginRefused(request);
  sender->Send(refused.bytes);
  return refused.outcome + "; " + sender->Result();
}

// Reads the 8-byte control message; "" when it is right, else the outcome.
std::string ReadControl(Connection& connection) {
  std::string got;
  char buffer[8];
  IoStatus status = IoStatus::kOk;
  while (got.size() < sizeof buffer && status == IoStatus::kOk) {
    std::size_t n = 0;
    status = connection.Receive(buffer, sizeof buffer - got.size(), &n);
    got.append(buffer, n);
  }
  if (got.size() < sizeof buffer) {
    return "no control message (" + std::to_string(got.size()) + " bytes, " +
           IoStatusText(status) + "); nothing sent";
  }
  if (std::memcmp(got.data(), kPlaybackControl, sizeof kPlaybackControl) == 0) return "";
  std::string hex;
  for (const char c : got) {
    char byte[4];
    std::snprintf(byte, sizeof byte, "%02x", static_cast<unsigned char>(c));
    hex += byte;
  }
  return "bad control message " + hex + "; nothing sent";
}

}  // namespace

std::string ServeLiveStream(Connection& connection, const SimRequest& request,
                            const ServerState& state, const ServerOptions& options) {
  const FaultMode fault = FaultFor(options.fault, kCmdLiveStream);
  StreamSender sender(connection, fault, options.fault);
  if (!CredentialsMatch(request, options.credentials)) return RefuseLogin(request, &sender);
  const SimCamera* camera = nullptr;
  for (const std::int64_t id : request.stream_items) {
    if (!camera && id >= 0) camera = state.scenario.FindCamera(id);
  }
  if (!camera) return "unknown-camera: nothing sent";
  std::string prefix, outcome;
  if (ReplaceStream(fault, options.fault, &sender, &prefix, &outcome)) return outcome;
  const std::uint32_t total = camera->stream.live_frames;
  const std::uint32_t frames = fault == FaultMode::kTruncated ? total / 2 : total;
  std::string note = fault == FaultMode::kTruncated ? ", fault=truncated" : "";
  std::uint32_t i = 0;
  for (; i < frames; ++i) {
    if (!SendFrame(&sender, fault, options.fault, i, kLiveHeaderSize,
                   [&](std::uint32_t announced) { return LiveFrame(*camera, i, announced); },
                   &note)) {
      break;
    }
  }
  const std::string count = sender.Ok() && note.empty() ? "ok " + std::to_string(i) + " frames"
                                                        : std::to_string(i) + " of " +
                                                              std::to_string(total) + " frames";
  return count + " of camera " + std::to_string(camera->id) + note + "; " + prefix +
         sender.Result();
}

std::string ServePlaybackStream(Connection& connection, const SimRequest& request,
                                const ServerState& state, const ServerOptions& options) {
  std::string control = ReadControl(connection);
  if (!control.empty()) return control;
  const FaultMode fault = FaultFor(options.fault, kCmdPlaybackStream);
  StreamSender sender(connection, fault, options.fault);
  if (!CredentialsMatch(request, options.credentials)) return RefuseLogin(request, &sender);
  const SimCamera* camera =
      request.camera_valid ? state.scenario.FindCamera(request.camera) : nullptr;
  const SimFile* file =
      camera && request.int2_valid
          ? state.scenario.FindFile(camera->id, static_cast<std::uint32_t>(request.int2))
          : nullptr;
  std::string prefix, outcome;
  if (ReplaceStream(fault, options.fault, &sender, &prefix, &outcome)) return outcome;
  if (!file) {
    sender.Send(EndWord(SimStream()));
    return "unknown-file: end word only; " + prefix + sender.Result();
  }
  const std::uint32_t frames = fault == FaultMode::kTruncated ? file->frames / 2 : file->frames;
  std::string note = fault == FaultMode::kTruncated ? ", fault=truncated (no end word)" : "";
  std::uint32_t sent = 0;  // frame records sent whole
  for (std::uint32_t i = 0; i < frames; ++i) {
    if (!SendFrame(&sender, fault, options.fault, i, kPlaybackPrefixSize,
                   [&](std::uint32_t announced) {
                     return PlaybackRecord(*camera, *file, i, announced);
                   },
                   &note)) {
      break;
    }
    ++sent;
    if (i == 0 && !sender.Send(SkipRecord(camera->stream))) break;
  }
  const bool whole = sent == file->frames && sender.Ok();
  if (whole && file->frames == 0) sender.Send(SkipRecord(camera->stream));
  const bool ended = whole && sender.Ok() && sender.Send(EndWord(camera->stream));
  return std::string(ended ? "ok " : "") + std::to_string(sent) + " of " +
         std::to_string(file->frames) + " frames of file " + std::to_string(file->id) +
         (ended ? ", end word " + std::to_string(camera->stream.end_word) : "") + note + "; " +
         prefix + sender.Result();
}

}  // namespace qmsim
