#include "connection.h"

#include <cerrno>
#include <poll.h>
#include <sys/socket.h>

#include <utility>

namespace qmsim {

ConnectionDeadline::ConnectionDeadline(int ms, bool per_idle)
    : limit_ms_(ms < 0 ? 0 : ms), per_idle_(per_idle),
      end_(Clock::now() + std::chrono::milliseconds(limit_ms_)) {}

ConnectionDeadline ConnectionDeadline::Total(int ms) { return ConnectionDeadline(ms, false); }

ConnectionDeadline ConnectionDeadline::PerIdle(int ms) { return ConnectionDeadline(ms, true); }

void ConnectionDeadline::Progress() {
  if (per_idle_) end_ = Clock::now() + std::chrono::milliseconds(limit_ms_);
}

int ConnectionDeadline::RemainingMs() const {
  const auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(end_ - Clock::now()).count();
  if (left <= 0) return 0;
  return left > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(left);
}

const char* IoStatusText(IoStatus status) {
  switch (status) {
    case IoStatus::kOk: return "done";
    case IoStatus::kClosed: return "peer closed";
    case IoStatus::kDeadline: return "deadline passed";
    case IoStatus::kStopped: return "stopped by signal";
    case IoStatus::kFailed: return "peer gone";
  }
  return "?";
}

Connection::Connection(UniqueFd fd, int stop_fd, ConnectionDeadline deadline)
    : fd_(std::move(fd)), stop_fd_(stop_fd), deadline_(deadline) {}

IoStatus Connection::Wait(short events, int max_ms) {
  for (;;) {
    const int remaining = deadline_.RemainingMs();
    const bool capped = max_ms >= 0 && max_ms < remaining;
    const int timeout = capped ? max_ms : remaining;
    pollfd fds[2] = {{fd_.Get(), events, 0}, {stop_fd_, POLLIN, 0}};
    const int ready = ::poll(fds, stop_fd_ >= 0 ? 2 : 1, timeout);
    if (ready < 0) {
      if (errno == EINTR) continue;
      return IoStatus::kFailed;
    }
    if (stop_fd_ >= 0 && (fds[1].revents & POLLIN)) return IoStatus::kStopped;
    if (ready == 0) return IoStatus::kDeadline;
    // Errors and hang-ups count as ready: the transfer that follows reports them.
    if (fds[0].revents != 0) return IoStatus::kOk;
  }
}

IoStatus Connection::Receive(char* buffer, std::size_t len, std::size_t* got) {
  *got = 0;
  for (;;) {
    const IoStatus waited = Wait(POLLIN, -1);
    if (waited != IoStatus::kOk) return waited;
    const ssize_t n = ::recv(fd_.Get(), buffer, len, MSG_DONTWAIT);
    if (n > 0) {
      *got = static_cast<std::size_t>(n);
      deadline_.Progress();
      return IoStatus::kOk;
    }
    if (n == 0) return IoStatus::kClosed;
    if (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK) return IoStatus::kFailed;
  }
}

IoStatus Connection::SendAll(const char* data, std::size_t len, std::size_t* sent) {
  *sent = 0;
  while (*sent < len) {
    const IoStatus waited = Wait(POLLOUT, -1);
    if (waited != IoStatus::kOk) return waited;
    const ssize_t n = ::send(fd_.Get(), data + *sent, len - *sent, MSG_DONTWAIT | MSG_NOSIGNAL);
    if (n < 0) {
      if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK) continue;
      return IoStatus::kFailed;
    }
    *sent += static_cast<std::size_t>(n);
    deadline_.Progress();
  }
  return IoStatus::kOk;
}

IoStatus Connection::SendInChunks(const char* data, std::size_t len, std::size_t chunk_size,
                                  int pause_ms, std::size_t* sent) {
  *sent = 0;
  if (chunk_size == 0) chunk_size = 1;
  for (std::size_t offset = 0; offset < len; offset += chunk_size) {
    if (offset > 0) {
      const IoStatus paused = Pause(pause_ms);
      if (paused != IoStatus::kOk) return paused;
    }
    const std::size_t piece = len - offset < chunk_size ? len - offset : chunk_size;
    std::size_t piece_sent = 0;
    const IoStatus status = SendAll(data + offset, piece, &piece_sent);
    *sent += piece_sent;
    if (status != IoStatus::kOk) return status;
  }
  return IoStatus::kOk;
}

IoStatus Connection::Pause(int ms) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point end = Clock::now() + std::chrono::milliseconds(ms < 0 ? 0 : ms);
  for (;;) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
    if (left <= 0) return IoStatus::kOk;
    const int remaining = deadline_.RemainingMs();
    if (remaining == 0) return IoStatus::kDeadline;
    pollfd stop = {stop_fd_, POLLIN, 0};
    const int ready = ::poll(&stop, 1, left < remaining ? static_cast<int>(left) : remaining);
    if (ready > 0 && (stop.revents & POLLIN)) return IoStatus::kStopped;
  }
}

void Connection::Finish() {
  ::shutdown(fd_.Get(), SHUT_WR);
  char sink[4096];
  std::size_t drained = 0;
  while (drained < std::size_t{64} * 1024) {
    if (Wait(POLLIN, 1000) != IoStatus::kOk) return;
    const ssize_t n = ::recv(fd_.Get(), sink, sizeof sink, MSG_DONTWAIT);
    if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) continue;
    if (n <= 0) return;
    drained += static_cast<std::size_t>(n);
  }
}

}  // namespace qmsim
