#include "protocol/qmlinux.h"

#include <algorithm>
#include <climits>
#include <exception>
#include <vector>

namespace {

// Largest count one socket call is asked to move (its length is an int).
const size_t kMaxCallBytes = static_cast<size_t>(INT_MAX);

// Sends all of `data` on `socket`, continuing after partial sends. False
// when a send fails or moves no byte.
bool SendAll(CommunicatingSocket& socket, const QM::ByteVector& data) {
  size_t done = 0;
  while (done < data.size()) {
    int length = static_cast<int>(std::min(data.size() - done, kMaxCallBytes));
    int sent = 0;
    if (!socket.Send(data.data() + done, length, sent) || sent <= 0)
      return false;
    done += static_cast<size_t>(sent);
  }
  return true;
}

}  // namespace

QMLinux::QMLinux(const wchar_t* address, unsigned short port,
                 const wchar_t* user, const wchar_t* password,
                 unsigned long long clicks, unsigned int cookie)
    : QM::Server(user, password, clicks, cookie),
      command_port_(port),
      socket_(),
      reply_limit_(kMaxReplyBytes) {
  size_t length = 0;
  if (address != nullptr) {
    while (length < kAddressChars - 1 && address[length] != L'\0') {
      server_address_[length] = address[length];
      ++length;
    }
  }
  std::fill(server_address_ + length, server_address_ + kAddressChars, L'\0');
}

QMLinux::~QMLinux() {}

bool QMLinux::OpenCommandChannel() {
  return socket_.Connect(server_address_, command_port_, -1) != 0;
}

bool QMLinux::OpenDataChannel(unsigned short port) {
  return socket_.Connect(server_address_, port, -1) != 0;
}

void QMLinux::CloseConnection() { socket_.Close(); }

unsigned int QMLinux::WriteConnection(QM::ByteVector& data) {
  int length = static_cast<int>(std::min(data.size(), kMaxCallBytes));
  int sent = 0;
  socket_.Send(data.data(), length, sent);
  return static_cast<unsigned int>(sent);
}

unsigned int QMLinux::ReadConnection(QM::ByteVector& data) {
  size_t wanted = std::min(data.size(), static_cast<size_t>(UINT_MAX));
  size_t filled = 0;
  while (filled < wanted) {
    int length = static_cast<int>(std::min(wanted - filled, kMaxCallBytes));
    int received = 0;
    if (!socket_.Receive(data.data() + filled, length, received, -1)) break;
    if (received <= 0) break;
    filled += static_cast<size_t>(received);
  }
  return static_cast<unsigned int>(filled);
}

unsigned int QMLinux::TransactCommandChannel(QM::ByteVector& request,
                                             QM::ByteVector& reply) {
  // A packet that refused to frame a request hands out an empty vector:
  // there is nothing to ask, so no connection is made.
  if (request.empty()) return 0;

  TCPSocket socket;
  if (!socket.Connect(server_address_, command_port_, -1)) return 0;
  if (!SendAll(socket, request)) return 0;

  // The reply collects in a buffer of its own, so that `reply` stays as it
  // was whenever the exchange fails part-way. Each receive takes whatever
  // has arrived, up to one chunk; the buffer grows geometrically and only
  // by the bytes received, so that unused capacity is never touched.
  std::vector<unsigned char> buffer;
  unsigned char chunk[kReceiveChunk];
  size_t total = 0;
  for (;;) {
    int received = 0;
    if (!socket.Receive(chunk, static_cast<int>(sizeof chunk), received, -1))
      break;
    if (received <= 0) break;  // peer closed, or a receive error
    total += static_cast<size_t>(received);
    if (total > reply_limit_) return 0;
    try {
      buffer.insert(buffer.end(), chunk, chunk + received);
    } catch (const std::exception&) {
      return 0;
    }
  }
  reply.swap(buffer);
  return static_cast<unsigned int>(total);
}

bool QMLinux::NewPlaybackFrame(bool, unsigned long long, unsigned int,
                               unsigned int, unsigned int, QM::ByteVector&) {
  return false;
}

bool QMLinux::NewLiveFrame(unsigned int, bool, unsigned int, unsigned int,
                           unsigned int, unsigned short, QM::ByteVector&) {
  return true;
}

void QMLinux::SetReplyLimit(size_t bytes) {
  reply_limit_ = std::min(bytes, kMaxReplyBytes);
}
