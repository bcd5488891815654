#include "socket_io.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>

namespace qmsim {

UniqueFd OpenListener(const std::string& host, std::uint16_t port,
                      std::string* error) {
  addrinfo hints;
  std::memset(&hints, 0, sizeof hints);
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_PASSIVE;
  addrinfo* found = nullptr;
  const std::string service = std::to_string(port);
  const int rc = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &found);
  if (rc != 0 || !found) {
    *error = "cannot resolve " + host + ": " + ::gai_strerror(rc);
    return UniqueFd();
  }
  sockaddr_in address;
  std::memcpy(&address, found->ai_addr, sizeof address);
  ::freeaddrinfo(found);

  UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP));
  if (!fd.Valid()) {
    *error = std::string("cannot create socket: ") + std::strerror(errno);
    return UniqueFd();
  }
  const int on = 1;
  ::setsockopt(fd.Get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  if (::bind(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    *error = "cannot bind " + host + ":" + service + ": " + std::strerror(errno);
    return UniqueFd();
  }
  if (::listen(fd.Get(), 16) != 0) {
    *error = std::string("cannot listen: ") + std::strerror(errno);
    return UniqueFd();
  }
  return fd;
}

std::uint16_t BoundPort(int fd) {
  sockaddr_in address;
  socklen_t size = sizeof address;
  if (::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0) return 0;
  return ntohs(address.sin_port);
}

void SetIoTimeouts(int fd, int milliseconds) {
  timeval tv;
  tv.tv_sec = milliseconds / 1000;
  tv.tv_usec = (milliseconds % 1000) * 1000;
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
  ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
}

bool SendAll(int fd, const char* data, std::size_t len) {
  std::size_t sent = 0;
  while (sent < len) {
    const ssize_t n = ::send(fd, data + sent, len - sent, MSG_NOSIGNAL);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    sent += static_cast<std::size_t>(n);
  }
  return true;
}

bool SendInChunks(int fd, const char* data, std::size_t len, std::size_t chunk_size,
                  int pause_ms) {
  if (chunk_size == 0) chunk_size = 1;
  for (std::size_t offset = 0; offset < len; offset += chunk_size) {
    if (offset > 0) PauseMs(pause_ms);
    const std::size_t piece = len - offset < chunk_size ? len - offset : chunk_size;
    if (!SendAll(fd, data + offset, piece)) return false;
  }
  return true;
}

void FinishConnection(int fd) {
  ::shutdown(fd, SHUT_WR);
  timeval tv;
  tv.tv_sec = 1;
  tv.tv_usec = 0;
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
  char sink[4096];
  std::size_t drained = 0;
  while (drained < 64 * 1024) {
    const ssize_t n = ::recv(fd, sink, sizeof sink, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    drained += static_cast<std::size_t>(n);
  }
}

void PauseMs(int milliseconds) {
  if (milliseconds <= 0) return;
  timespec left;
  left.tv_sec = milliseconds / 1000;
  left.tv_nsec = static_cast<long>(milliseconds % 1000) * 1000000L;
  while (::nanosleep(&left, &left) != 0 && errno == EINTR) {
  }
}

}  // namespace qmsim
