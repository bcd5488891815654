#include "socket_io.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

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
  if (::listen(fd.Get(), 64) != 0) {
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

}  // namespace qmsim
