// Socket helpers of the stand-in: listening, sending without SIGPIPE,
// orderly close.
#ifndef QMSIM_SOCKET_IO_H
#define QMSIM_SOCKET_IO_H

#include <cstddef>
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

// Sets send and receive timeouts on a connected socket.
void SetIoTimeouts(int fd, int milliseconds);

// Sends all len bytes (looping over partial sends, MSG_NOSIGNAL). Returns
// false when the peer went away or a send failed or timed out.
bool SendAll(int fd, const char* data, std::size_t len);

// Sends data in pieces of chunk_size bytes (at least 1) with pause_ms between
// them. Same result as SendAll.
bool SendInChunks(int fd, const char* data, std::size_t len, std::size_t chunk_size,
                  int pause_ms);

// Ends a connection gracefully: shuts down the write side, then reads and
// discards what the peer still sends (at most 64 KiB, until it closes or one
// second passes without data), so that closing never resets the connection
// while the reply is still in flight. The fd stays owned by the caller.
void FinishConnection(int fd);

// Sleeps for the given number of milliseconds (negative: no pause).
void PauseMs(int milliseconds);

}  // namespace qmsim

#endif  // QMSIM_SOCKET_IO_H
