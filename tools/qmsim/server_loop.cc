#include "server_loop.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <poll.h>
#include <sys/socket.h>

#include "envelope.h"
#include "frame_reader.h"
#include "socket_io.h"
#include "unique_fd.h"

namespace qmsim {
namespace {

volatile std::sig_atomic_t g_stop = 0;

extern "C" void OnStopSignal(int) { g_stop = 1; }

// Installs the stop handlers with SIGTERM/SIGINT blocked; they are let
// through only while waiting in ppoll, so a stop request cannot slip in
// between the check and the wait, and never interrupts a connection.
void InstallStopHandlers(sigset_t* wait_mask) {
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
  std::signal(SIGPIPE, SIG_IGN);
  sigset_t stop_signals;
  sigemptyset(&stop_signals);
  sigaddset(&stop_signals, SIGTERM);
  sigaddset(&stop_signals, SIGINT);
  sigprocmask(SIG_BLOCK, &stop_signals, wait_mask);
  sigdelset(wait_mask, SIGTERM);
  sigdelset(wait_mask, SIGINT);
}

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

// Saves the raw request bytes of connection n under dir.
void RecordRequest(const std::string& dir, unsigned long n, const std::string& raw) {
  const std::string path = dir + "/request-" + std::to_string(n) + ".bin";
  std::unique_ptr<std::FILE, FileCloser> f(std::fopen(path.c_str(), "wb"));
  if (!f || std::fwrite(raw.data(), 1, raw.size(), f.get()) != raw.size()) {
    std::fprintf(stderr, "qmsim: cannot record request to %s\n", path.c_str());
  }
}

void LogLine(const std::string& line) {
  std::fputs(line.c_str(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

// Reads, answers and closes one connection.
void ServeConnection(int fd, unsigned long n, const ServerOptions& options,
                     const Scenario& scenario) {
  SetIoTimeouts(fd, options.io_timeout_ms);
  const FrameRead frame = ReadRequestFrame(fd);
  if (!options.record_dir.empty()) RecordRequest(options.record_dir, n, frame.raw);
  if (frame.status != FrameStatus::kComplete && frame.status != FrameStatus::kShort) {
    std::string line = std::string("- frame ") + FrameStatusName(frame.status) +
                       " (" + std::to_string(frame.raw.size()) + " bytes";
    if (frame.status == FrameStatus::kBadLength) {
      line += ", length " + std::to_string(frame.declared_length);
    }
    LogLine(line + ") closed");
    FinishConnection(fd);
    return;
  }
  SimRequest request;
  std::string error;
  if (!ParseEnvelope(EnvelopeText(frame), &request, &error)) {
    LogLine("- bad-request (" + std::string(FrameStatusName(frame.status)) +
            " frame): " + error + "; closed");
    FinishConnection(fd);
    return;
  }
  SimReply reply = AnswerRequest(request, scenario, options.credentials);
  const FaultMode fault = FaultFor(options.fault, request.command);
  ApplyContentFault(fault, &reply);
  std::string line = reply.summary + " " + reply.outcome;
  if (frame.status == FrameStatus::kShort) line += " short-frame";
  bool sent = true;
  if (fault == FaultMode::kClose) {
    line += " fault=close 0 bytes";
  } else {
    line += " " + std::to_string(reply.bytes.size()) + " bytes";
    if (fault == FaultMode::kStall) {
      line += " fault=stall " + std::to_string(options.fault.stall_ms) + "ms";
      PauseMs(options.fault.stall_ms);
    }
    if (fault == FaultMode::kChunked) {
      line += " fault=chunked";
      sent = SendInChunks(fd, reply.bytes.data(), reply.bytes.size(),
                          options.fault.chunk_size, options.fault.chunk_pause_ms);
    } else {
      sent = SendAll(fd, reply.bytes.data(), reply.bytes.size());
    }
  }
  if (!sent) line += " send-failed";
  LogLine(line);
  FinishConnection(fd);
}

}  // namespace

bool WritePortFile(const std::string& path, std::uint16_t port, std::string* error) {
  const std::string temporary = path + ".tmp";
  {
    std::unique_ptr<std::FILE, FileCloser> f(std::fopen(temporary.c_str(), "w"));
    if (!f || std::fprintf(f.get(), "%u\n", static_cast<unsigned>(port)) < 0) {
      *error = "cannot write port file " + temporary + ": " + std::strerror(errno);
      return false;
    }
    if (std::fclose(f.release()) != 0) {
      *error = "cannot write port file " + temporary;
      return false;
    }
  }
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    *error = "cannot rename port file to " + path + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

int RunServer(const ServerOptions& options, const Scenario& scenario) {
  sigset_t wait_mask;
  InstallStopHandlers(&wait_mask);
  std::string error;
  UniqueFd listener = OpenListener(options.host, options.port, &error);
  if (!listener.Valid()) {
    std::fprintf(stderr, "qmsim: %s\n", error.c_str());
    return 1;
  }
  const std::uint16_t port = BoundPort(listener.Get());
  if (!options.port_file.empty() && !WritePortFile(options.port_file, port, &error)) {
    std::fprintf(stderr, "qmsim: %s\n", error.c_str());
    return 1;
  }
  LogLine("qmsim listening on " + options.host + ":" + std::to_string(port));
  unsigned long served = 0;
  while (!g_stop && (options.max_requests == 0 || served < options.max_requests)) {
    pollfd waiting;
    waiting.fd = listener.Get();
    waiting.events = POLLIN;
    waiting.revents = 0;
    const int ready = ::ppoll(&waiting, 1, nullptr, &wait_mask);
    if (ready < 0) {
      if (errno == EINTR) continue;
      std::fprintf(stderr, "qmsim: poll failed: %s\n", std::strerror(errno));
      return 1;
    }
    UniqueFd connection(::accept4(listener.Get(), nullptr, nullptr, SOCK_CLOEXEC));
    if (!connection.Valid()) continue;  // the peer gave up before accept
    ++served;
    ServeConnection(connection.Get(), served, options, scenario);
  }
  LogLine("qmsim stopping after " + std::to_string(served) + " connections");
  return 0;
}

}  // namespace qmsim
