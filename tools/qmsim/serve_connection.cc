#include "serve_connection.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

#include "envelope.h"
#include "faults.h"
#include "frame_reader.h"
#include "log.h"
#include "request_handler.h"
#include "serve_stream.h"
#include "service_handler.h"

namespace qmsim {
namespace {

// The text of an errno value (strerror is not safe from several threads).
std::string ErrorText(int error) { return std::generic_category().message(error); }

// Why a transfer or pause ended early, for log lines.
std::string Problem(IoStatus status, const Connection& connection) {
  if (status == IoStatus::kDeadline) {
    return "deadline of " + std::to_string(connection.Deadline().LimitMs()) + " ms passed";
  }
  return IoStatusText(status);
}

// "192 bytes sent", "nothing sent (peer gone)", "80 of 192 bytes sent (...)".
std::string SendResult(IoStatus status, std::size_t sent, std::size_t total,
                       const Connection& connection) {
  if (status == IoStatus::kOk) {
    return total == 0 ? "nothing sent" : std::to_string(total) + " bytes sent";
  }
  const std::string what = sent == 0 ? "nothing sent"
                                     : std::to_string(sent) + " of " + std::to_string(total) +
                                           " bytes sent";
  return what + " (" + Problem(status, connection) + ")";
}

// Sends the reply as the fault plan says; returns the log text of what went out.
std::string Deliver(Connection& connection, FaultMode fault, const FaultPlan& plan,
                    const std::string& bytes) {
  if (fault == FaultMode::kClose) return "fault=close: nothing sent, closed on purpose";
  std::string text;
  if (fault == FaultMode::kStall) {
    text = "fault=stall " + std::to_string(plan.stall_ms) + " ms";
    const IoStatus paused = connection.Pause(plan.stall_ms);
    if (paused != IoStatus::kOk) return text + ": " + SendResult(paused, 0, bytes.size(), connection);
    text += ", then ";
  }
  std::size_t sent = 0;
  IoStatus status;
  if (fault == FaultMode::kChunked) {
    text += "fault=chunked " + std::to_string(plan.chunk_size) + "-byte pieces, ";
    status = connection.SendInChunks(bytes.data(), bytes.size(), plan.chunk_size,
                                     plan.chunk_pause_ms, &sent);
  } else {
    status = connection.SendAll(bytes.data(), bytes.size(), &sent);
  }
  return text + SendResult(status, sent, bytes.size(), connection);
}

// The log line of a frame that could not be read whole.
std::string FrameFailure(const FrameRead& frame, const Connection& connection) {
  std::string line = std::string("frame ") + FrameStatusName(frame.status) + " (" +
                     std::to_string(frame.raw.size()) + " bytes";
  if (frame.status == FrameStatus::kBadLength) {
    line += ", length " + std::to_string(frame.declared_length);
  }
  if (frame.status == FrameStatus::kDeadline) {
    line += ", " + Problem(IoStatus::kDeadline, connection);
  }
  return line + "): nothing sent";
}

}  // namespace

bool RecordRequest(const std::string& dir, unsigned long n, const std::string& raw,
                   std::string* error) {
  const std::string path = dir + "/request-" + std::to_string(n) + ".bin";
  UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600));
  // The umask may have taken bits away, and an existing file keeps its mode:
  // set it outright.
  if (!fd.Valid() || ::fchmod(fd.Get(), 0600) != 0) {
    *error = "cannot record request to " + path + ": " + ErrorText(errno);
    return false;
  }
  std::size_t done = 0;
  while (done < raw.size()) {
    const ssize_t written = ::write(fd.Get(), raw.data() + done, raw.size() - done);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      *error = "cannot record request to " + path + ": " +
               (written < 0 ? ErrorText(errno) : std::string("nothing written"));
      return false;
    }
    done += static_cast<std::size_t>(written);
  }
  return true;
}

void ServeConnection(Connection& connection, unsigned long n, const ServerOptions& options,
                     const ServerState& state, PortKind port) {
  const std::string tag = "#" + std::to_string(n) + " ";
  const FrameRead frame = ReadRequestFrame(connection);
  std::string error;
  if (!options.record_dir.empty() && !RecordRequest(options.record_dir, n, frame.raw, &error)) {
    LogProblem(error);
  }
  if (frame.status != FrameStatus::kComplete && frame.status != FrameStatus::kShort) {
    LogLine(tag + FrameFailure(frame, connection));
    connection.Finish();
    return;
  }
  SimRequest request;
  if (!ParseEnvelope(EnvelopeText(frame), &request, &error)) {
    LogLine(tag + "bad-request (" + FrameStatusName(frame.status) + " frame): " + error +
            ": nothing sent");
    connection.Finish();
    return;
  }
  const std::string command =
      std::to_string(request.command) + " " + CommandName(request.command);
  LogLine(tag + DescribeRequest(request) +
          (frame.status == FrameStatus::kShort ? " (short frame)" : ""));
  const bool live = request.command == kCmdLiveStream;
  if (port == PortKind::kLive || live) {
    const std::string outcome =
        port == PortKind::kLive && live ? ServeLiveStream(connection, request, state, options)
        : live ? "not served on the command port (the live port is " +
                     std::to_string(state.live_port) + "); nothing sent"
               : "not served on the live port; nothing sent";
    LogLine(tag + command + ": " + outcome);
    connection.Finish();
    return;
  }
  if (request.command == kCmdPlaybackStream) {
    connection.SetDeadline(ConnectionDeadline::PerIdle(connection.Deadline().LimitMs()));
    LogLine(tag + command + ": " + ServePlaybackStream(connection, request, state, options));
    connection.Finish();
    return;
  }
  SimReply reply = AnswerRequest(request, state, options.credentials);
  const FaultMode fault = FaultFor(options.fault, request.command);
  ApplyContentFault(fault, &reply);
  const std::string delivery = Deliver(connection, fault, options.fault, reply.bytes);
  LogLine(tag + command + ": " + reply.outcome + "; " + delivery);
  connection.Finish();
}

}  // namespace qmsim
