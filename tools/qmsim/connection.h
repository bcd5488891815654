// One accepted connection with a deadline: every wait (for data, for room to
// send, a pause) polls the socket together with the stop-signal descriptor,
// for no longer than the deadline leaves, so a stop request or a passed
// deadline ends it whatever the peer does.
#ifndef QMSIM_CONNECTION_H
#define QMSIM_CONNECTION_H

#include <chrono>
#include <cstddef>

#include "unique_fd.h"

namespace qmsim {

// When a connection must end. A request/reply connection has one total
// deadline from its start (Total); a long-lived stream connection has a
// deadline per idle period (PerIdle), which each transfer pushes forward
// (Progress).
class ConnectionDeadline {
 public:
  // Ends `ms` milliseconds from now, whatever happens in between.
  static ConnectionDeadline Total(int ms);
  // Ends after `ms` milliseconds without a transfer.
  static ConnectionDeadline PerIdle(int ms);

  // A transfer happened: restarts the period of a PerIdle deadline; no effect
  // on a Total one.
  void Progress();
  // Milliseconds left, 0 once passed.
  int RemainingMs() const;
  // The configured period in milliseconds (for log lines).
  int LimitMs() const { return limit_ms_; }

 private:
  ConnectionDeadline(int ms, bool per_idle);
  using Clock = std::chrono::steady_clock;
  int limit_ms_;
  bool per_idle_;
  Clock::time_point end_;
};

// How an operation on a connection ended.
enum class IoStatus {
  kOk,        // done (data moved, or the pause completed)
  kClosed,    // the peer closed its write side (receive only)
  kDeadline,  // the deadline passed first
  kStopped,   // SIGTERM/SIGINT arrived first
  kFailed,    // the socket failed (reset, or gone while sending)
};

// Short text of a status for log lines ("deadline passed", ...).
const char* IoStatusText(IoStatus status);

class Connection {
 public:
  // Takes ownership of fd. stop_fd is polled for POLLIN beside it (-1: no
  // stop descriptor). fd may be blocking or not: every transfer is
  // non-blocking after poll said it is ready.
  Connection(UniqueFd fd, int stop_fd, ConnectionDeadline deadline);

  // Receives at most len bytes once data is there; *got is the count (0
  // unless kOk).
  IoStatus Receive(char* buffer, std::size_t len, std::size_t* got);
  // Sends all len bytes; *sent counts what went out, also on failure.
  IoStatus SendAll(const char* data, std::size_t len, std::size_t* sent);
  // Sends data in pieces of chunk_size bytes (at least 1) with pause_ms
  // between them; *sent as SendAll.
  IoStatus SendInChunks(const char* data, std::size_t len, std::size_t chunk_size,
                        int pause_ms, std::size_t* sent);
  // Waits ms milliseconds, or less when a stop request or the deadline comes
  // first (kOk only when the whole pause passed).
  IoStatus Pause(int ms);
  // Ends the connection gracefully: shuts down the write side, then reads and
  // discards what the peer still sends (at most 64 KiB, until it closes, one
  // second passes without data, the deadline passes or a stop request
  // comes), so that closing never resets the connection while the reply is
  // still in flight. The descriptor is closed when the object goes.
  void Finish();

  const ConnectionDeadline& Deadline() const { return deadline_; }
  // Replaces the deadline (a request that turns out to start a stream).
  void SetDeadline(ConnectionDeadline deadline) { deadline_ = deadline; }
  int Fd() const { return fd_.Get(); }

 private:
  // Waits until fd reports `events`, for at most max_ms (-1: up to the
  // deadline). kOk when ready, kDeadline also when max_ms ran out first.
  IoStatus Wait(short events, int max_ms);

  UniqueFd fd_;
  int stop_fd_;
  ConnectionDeadline deadline_;
};

}  // namespace qmsim

#endif  // QMSIM_CONNECTION_H
