#include "server_loop.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "common/exit_status.h"
#include "connection_pool.h"
#include "log.h"
#include "preset_store.h"
#include "serve_connection.h"
#include "server_state.h"
#include "socket_io.h"
#include "stop_signal.h"
#include "unique_fd.h"

namespace qmsim {
namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

// Removes the port file when the server leaves, whichever way it leaves.
class PortFileRemover {
 public:
  explicit PortFileRemover(const std::string& path) : path_(path) {}
  ~PortFileRemover() {
    if (!path_.empty()) std::remove(path_.c_str());
  }
  PortFileRemover(const PortFileRemover&) = delete;
  PortFileRemover& operator=(const PortFileRemover&) = delete;

 private:
  std::string path_;
};

// Accepts and serves connections on both listeners until the stop signal or
// the request limit, or until waiting fails (*failed set); returns how many
// connections were accepted.
unsigned long AcceptLoop(int command_listener, int live_listener, const ServerOptions& options,
                         const ServerState& state, ConnectionPool* pool, bool* failed) {
  const int deadline_ms = ConnectionDeadlineMs(options);
  unsigned long accepted = 0;
  while (!StopRequested() && (options.max_requests == 0 || accepted < options.max_requests)) {
    // A full pool leaves new connections in the listen queues.
    const bool room = pool->HasRoom();
    pollfd fds[4] = {{StopSignalFd(), POLLIN, 0},
                     {pool->FinishedFd(), POLLIN, 0},
                     {room ? command_listener : -1, POLLIN, 0},
                     {room ? live_listener : -1, POLLIN, 0}};
    if (::poll(fds, 4, -1) < 0) {
      if (errno == EINTR) continue;
      LogProblem(std::string("poll failed: ") + std::strerror(errno));
      *failed = true;
      break;
    }
    if (fds[0].revents & POLLIN) break;
    if (fds[1].revents & POLLIN) pool->Reap();
    for (int k = 2; k < 4; ++k) {
      if (!(fds[k].revents & POLLIN) || !pool->HasRoom() ||
          (options.max_requests != 0 && accepted >= options.max_requests)) {
        continue;
      }
      UniqueFd fd(::accept4(fds[k].fd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
      if (!fd.Valid()) continue;  // the peer gave up before accept
      const unsigned long n = ++accepted;
      // Request/reply connections get one total deadline (a playback request
      // switches its own to a per-idle one); live-stream connections a
      // deadline per idle period from the start.
      const PortKind port = k == 2 ? PortKind::kCommand : PortKind::kLive;
      const ConnectionDeadline deadline = port == PortKind::kLive
                                              ? ConnectionDeadline::PerIdle(deadline_ms)
                                              : ConnectionDeadline::Total(deadline_ms);
      auto connection = std::make_shared<Connection>(std::move(fd), StopSignalFd(), deadline);
      const bool started = pool->Start([connection, n, &options, &state, port] {
        ServeConnection(*connection, n, options, state, port);
      });
      if (!started) LogLine("#" + std::to_string(n) + " no thread to serve it: closed unread");
    }
  }
  return accepted;
}

}  // namespace

int ConnectionDeadlineMs(const ServerOptions& options) {
  if (options.deadline_ms > 0) return options.deadline_ms;
  const bool stalls = options.fault.mode == FaultMode::kStall;
  return kDefaultDeadlineMs + (stalls && options.fault.stall_ms > 0 ? options.fault.stall_ms : 0);
}

bool WritePortFile(const std::string& path, std::uint16_t port, std::uint16_t live_port,
                   std::string* error) {
  const std::string temporary = path + ".tmp";
  {
    std::unique_ptr<std::FILE, FileCloser> f(std::fopen(temporary.c_str(), "w"));
    if (!f || std::fprintf(f.get(), "%u\n%u\n", static_cast<unsigned>(port),
                           static_cast<unsigned>(live_port)) < 0) {
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
    std::remove(temporary.c_str());
    return false;
  }
  return true;
}

std::uint16_t LivePortFor(const ServerOptions& options) {
  return options.live_port >= 0 ? static_cast<std::uint16_t>(options.live_port) : 0;
}

int RunServer(const ServerOptions& options, const Scenario& scenario) {
  if (!InstallStopSignal()) {
    LogProblem(std::string("cannot set up the stop signals: ") + std::strerror(errno));
    return qmtools::kExitFailure;
  }
  // A file left by a server that was killed must not show a port nobody serves.
  PortFileRemover remover(options.port_file);
  if (!options.port_file.empty()) std::remove(options.port_file.c_str());
  std::string error;
  UniqueFd listener = OpenListener(options.host, options.port, &error);
  if (!listener.Valid()) {
    LogProblem(error);
    return qmtools::kExitFailure;
  }
  const std::uint16_t port = BoundPort(listener.Get());
  UniqueFd live_listener = OpenListener(options.host, LivePortFor(options), &error);
  if (!live_listener.Valid()) {
    LogProblem("live port: " + error);
    return qmtools::kExitFailure;
  }
  const std::uint16_t live_port = BoundPort(live_listener.Get());
  if (!options.port_file.empty() && !WritePortFile(options.port_file, port, live_port, &error)) {
    LogProblem(error);
    return qmtools::kExitFailure;
  }
  ConnectionPool pool(kMaxConcurrentConnections);
  if (!pool.Valid()) {
    LogProblem(std::string("cannot create a pipe: ") + std::strerror(errno));
    return qmtools::kExitFailure;
  }
  LogLine("qmsim listening on " + options.host + ":" + std::to_string(port));
  LogLine("qmsim live streams on " + options.host + ":" + std::to_string(live_port));
  PresetStore presets(scenario);
  const ServerState state{scenario, presets, live_port};
  bool failed = false;
  const unsigned long accepted =
      AcceptLoop(listener.Get(), live_listener.Get(), options, state, &pool, &failed);
  listener.Reset();  // no more connections, also while the last ones finish
  live_listener.Reset();
  pool.JoinAll();    // prompt after a stop signal: every wait watches it
  LogLine("qmsim stopping after " + std::to_string(accepted) + " connections" +
          (StopRequested() ? " (stop signal)" : ""));
  return failed ? qmtools::kExitFailure : qmtools::kExitOk;
}

}  // namespace qmsim
