#include "test_peer.h"

#include <cerrno>
#include <chrono>
#include <cstring>

#include <arpa/inet.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

const int kAcceptWaitMs = 20000;

// A TCP socket bound to 127.0.0.1 on an ephemeral port; -1 on failure.
int BoundLoopbackSocket(unsigned short* port) {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) return -1;
  struct sockaddr_in addr;
  std::memset(&addr, 0, sizeof addr);
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = 0;
  socklen_t length = sizeof addr;
  if (bind(fd, reinterpret_cast<struct sockaddr*>(&addr), sizeof addr) != 0 ||
      getsockname(fd, reinterpret_cast<struct sockaddr*>(&addr), &length) !=
          0) {
    close(fd);
    return -1;
  }
  *port = ntohs(addr.sin_port);
  return fd;
}

void ReadInto(int fd, size_t limit, std::string& out) {
  char buffer[4096];
  while (out.size() < limit) {
    size_t want = std::min(sizeof buffer, limit - out.size());
    ssize_t got = recv(fd, buffer, want, 0);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return;
    out.append(buffer, static_cast<size_t>(got));
  }
}

}  // namespace

TestPeer::TestPeer(const PeerScript& script)
    : script_(script), listener_(-1), port_(0) {
  listener_ = BoundLoopbackSocket(&port_);
  if (listener_ >= 0 && listen(listener_, 4) != 0) {
    close(listener_);
    listener_ = -1;
  }
  if (listener_ >= 0) thread_ = std::thread(&TestPeer::Run, this);
}

TestPeer::~TestPeer() {
  if (thread_.joinable()) {
    // Wakes a pending accept if no client ever came.
    shutdown(listener_, SHUT_RDWR);
    thread_.join();
  }
  if (listener_ >= 0) close(listener_);
}

const std::string& TestPeer::Received() {
  if (thread_.joinable()) thread_.join();
  return received_;
}

void TestPeer::Run() {
  // A client that never comes (a broken test) must not hang the suite.
  struct pollfd entry;
  entry.fd = listener_;
  entry.events = POLLIN;
  entry.revents = 0;
  int ready;
  do {
    ready = poll(&entry, 1, kAcceptWaitMs);
  } while (ready < 0 && errno == EINTR);
  if (ready <= 0) return;
  int fd;
  do {
    fd = accept(listener_, nullptr, nullptr);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return;
  ReadInto(fd, script_.read_bytes, received_);
  for (size_t i = 0; i < script_.chunks.size(); ++i) {
    if (i > 0 && script_.chunk_pause_ms > 0)
      std::this_thread::sleep_for(
          std::chrono::milliseconds(script_.chunk_pause_ms));
    const std::string& chunk = script_.chunks[i];
    size_t done = 0;
    while (done < chunk.size()) {
      ssize_t sent = send(fd, chunk.data() + done, chunk.size() - done,
                          MSG_NOSIGNAL);
      if (sent < 0 && errno == EINTR) continue;
      if (sent <= 0) break;
      done += static_cast<size_t>(sent);
    }
  }
  if (script_.read_until_close) ReadInto(fd, static_cast<size_t>(-1), received_);
  close(fd);
}

RefusingPort::RefusingPort() : descriptor_(-1), port_(0) {
  descriptor_ = BoundLoopbackSocket(&port_);
}

RefusingPort::~RefusingPort() {
  if (descriptor_ >= 0) close(descriptor_);
}

SilentListener::SilentListener() : descriptor_(-1), port_(0) {
  descriptor_ = BoundLoopbackSocket(&port_);
  if (descriptor_ >= 0) {
    listen(descriptor_, 4);
    fcntl(descriptor_, F_SETFL, fcntl(descriptor_, F_GETFL) | O_NONBLOCK);
  }
}

SilentListener::~SilentListener() {
  if (descriptor_ >= 0) close(descriptor_);
}

bool SilentListener::WasConnected() {
  int fd = accept(descriptor_, nullptr, nullptr);
  if (fd < 0) return false;
  close(fd);
  return true;
}
