#include "protocol/socket.h"

#include <cerrno>
#include <cstring>

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "protocol/fill_addr.h"

namespace {

const int kSuccess = 65535;
const int kFailure = 0;

// Waits until a connect that a signal interrupted has finished and reports
// whether it succeeded. The kernel goes on connecting after EINTR, so
// calling connect again would only report EALREADY.
bool FinishInterruptedConnect(int descriptor) {
  struct pollfd entry;
  entry.fd = descriptor;
  entry.events = POLLOUT;
  entry.revents = 0;
  for (;;) {
    int ready = poll(&entry, 1, -1);
    if (ready > 0) break;
    if (ready < 0 && errno != EINTR) return false;
  }
  int error = 0;
  socklen_t length = sizeof error;
  if (getsockopt(descriptor, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
    return false;
  return error == 0;
}

}  // namespace

Socket::Socket(int type, int protocol)
    : type_(type), protocol_(protocol), descriptor_(-1) {
  NewSocket();
}

Socket::~Socket() { CloseSocket(); }

void Socket::NewSocket() {
  CloseSocket();
  descriptor_ = socket(AF_INET, type_, protocol_);
  if (descriptor_ < 0) descriptor_ = -1;
}

void Socket::CloseSocket() {
  if (descriptor_ != -1) {
    // The descriptor is released even when close reports EINTR (Linux).
    close(descriptor_);
    descriptor_ = -1;
  }
}

CommunicatingSocket::CommunicatingSocket(int type, int protocol)
    : Socket(type, protocol) {}

CommunicatingSocket::~CommunicatingSocket() {}

int CommunicatingSocket::Connect(const wchar_t* address, unsigned short port,
                                 int /*timeout*/) {
  struct sockaddr_in target;
  if (!FillAddr(address, port, &target)) return kFailure;
  if (descriptor_ == -1) return kFailure;
  if (connect(descriptor_, reinterpret_cast<const struct sockaddr*>(&target),
              sizeof target) == 0)
    return kSuccess;
  if (errno == EINTR && FinishInterruptedConnect(descriptor_)) return kSuccess;
  return kFailure;
}

int CommunicatingSocket::Send(const void* buffer, int length, int& sent) {
  if (length < 0) length = 0;
  ssize_t result;
  // MSG_NOSIGNAL: a peer that already closed must not end the process with
  // SIGPIPE; the send fails with EPIPE instead.
  do {
    result = send(descriptor_, buffer, static_cast<size_t>(length),
                  MSG_NOSIGNAL);
  } while (result < 0 && errno == EINTR);
  sent = result < 0 ? -1 : static_cast<int>(result);
  return result < 0 ? kFailure : kSuccess;
}

bool CommunicatingSocket::Receive(void* buffer, int length, int& received,
                                  int /*timeout*/) {
  received = 0;
  if (descriptor_ == -1) return false;
  if (length <= 0) return true;
  ssize_t result;
  do {
    result = recv(descriptor_, buffer, static_cast<size_t>(length), 0);
  } while (result < 0 && errno == EINTR);
  if (result > 0) received = static_cast<int>(result);
  return true;
}

TCPSocket::TCPSocket() : CommunicatingSocket(SOCK_STREAM, IPPROTO_TCP) {}

TCPSocket::~TCPSocket() { Close(); }

void TCPSocket::Close() {
  if (descriptor_ != -1) {
    shutdown(descriptor_, SHUT_RDWR);
    NewSocket();
  }
}
