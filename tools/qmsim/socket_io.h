// Socket helpers of the stand-in: the listening socket.
#ifndef QMSIM_SOCKET_IO_H
#define QMSIM_SOCKET_IO_H

#include <cstdint>
#include <string>

#include "unique_fd.h"

namespace qmsim {

// Opens a TCP listener on the IPv4 address or host name `host` and `port`
// (0 picks an ephemeral port). Returns an invalid UniqueFd and a message in
// *error on failure.
UniqueFd OpenListener(const std::string& host, std::uint16_t port,
                      std::string* error);

// The local port a bound socket listens on; 0 on failure.
std::uint16_t BoundPort(int fd);

}  // namespace qmsim

#endif  // QMSIM_SOCKET_IO_H
