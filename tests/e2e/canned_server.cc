#include "tests/e2e/canned_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace e2e {
namespace {

const size_t kPrefixBytes = 5;
const size_t kMaxFrameBytes = 64 * 1024;
const int kPollMs = 100;

// Reads exactly `count` bytes onto `out`; false on close, error or timeout.
bool ReadExactly(int fd, size_t count, std::string* out) {
  char buffer[4096];
  while (count > 0) {
    const ssize_t got = recv(fd, buffer, std::min(count, sizeof buffer), 0);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    out->append(buffer, static_cast<size_t>(got));
    count -= static_cast<size_t>(got);
  }
  return true;
}

bool SendAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    const ssize_t sent = send(fd, data, size, MSG_NOSIGNAL);
    if (sent < 0 && errno == EINTR) continue;
    if (sent <= 0) return false;
    data += sent;
    size -= static_cast<size_t>(sent);
  }
  return true;
}

}  // namespace

unsigned CommandOf(const std::string& frame) {
  const size_t tag = frame.find("<CommandCode");
  if (tag == std::string::npos) return 0;
  size_t at = frame.find('>', tag);
  if (at == std::string::npos) return 0;
  unsigned code = 0;
  for (++at; at < frame.size() && frame[at] >= '0' && frame[at] <= '9' &&
             code < 100000000u;
       ++at)
    code = code * 10 + static_cast<unsigned>(frame[at] - '0');
  return code;
}

CannedServer::CannedServer(unsigned short port, const CannedScript& script)
    : script_(script) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return;
  const int on = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  struct sockaddr_in addr;
  std::memset(&addr, 0, sizeof addr);
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = htons(port);
  if (bind(fd, reinterpret_cast<struct sockaddr*>(&addr), sizeof addr) != 0 ||
      listen(fd, 8) != 0) {
    close(fd);
    return;
  }
  listener_ = fd;
  thread_ = std::thread(&CannedServer::Run, this);
}

CannedServer::~CannedServer() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  if (listener_ >= 0) close(listener_);
}

std::vector<std::string> CannedServer::Requests() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

void CannedServer::Run() {
  while (!stop_) {
    struct pollfd entry = {listener_, POLLIN, 0};
    const int ready = poll(&entry, 1, kPollMs);
    if (ready <= 0) continue;
    const int fd = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    Serve(fd);
    close(fd);
  }
}

void CannedServer::Serve(int fd) {
  struct timeval limit = {5, 0};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
  setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
  std::string frame;
  bool complete = ReadExactly(fd, kPrefixBytes, &frame);
  if (complete) {
    const unsigned char* p =
        reinterpret_cast<const unsigned char*>(frame.data());
    const size_t length = p[1] | (p[2] << 8) | (p[3] << 16) |
                          (static_cast<size_t>(p[4]) << 24);
    complete = length >= kPrefixBytes && length <= kMaxFrameBytes &&
               ReadExactly(fd, length - kPrefixBytes, &frame);
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.push_back(frame);
  }
  if (!complete) return;
  const auto reply = script_.replies.find(CommandOf(frame));
  if (reply == script_.replies.end()) return;
  const std::string& bytes = reply->second;
  const size_t step = script_.chunk_size == 0 ? bytes.size() : script_.chunk_size;
  for (size_t at = 0; at < bytes.size(); at += step) {
    if (at > 0 && script_.chunk_pause_ms > 0)
      std::this_thread::sleep_for(
          std::chrono::milliseconds(script_.chunk_pause_ms));
    if (!SendAll(fd, bytes.data() + at, std::min(step, bytes.size() - at)))
      return;
  }
}

}  // namespace e2e
