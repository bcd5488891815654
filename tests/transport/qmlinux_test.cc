// QMLinux over TCP against one-connection peers on 127.0.0.1 (ephemeral
// ports): bytes on the wire, reply assembly across buffer growth, reply
// limits, failures, and the member connection.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <string>
#include <thread>

#include <arpa/inet.h>
#include <poll.h>
#include <pthread.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "protocol/qmlinux.h"

namespace {

// A socket bound to 127.0.0.1. kRefuse never listens (connects are refused);
// kSilent listens but never accepts; kServe accepts one connection, reads
// `want` bytes (or until the client closes) into `got`, then sends `reply` in
// pieces of `piece` bytes, each after `pause_ms`, and closes.
struct TestPeer {
  enum Mode { kRefuse, kSilent, kServe };
  explicit TestPeer(Mode mode, size_t want = 0, std::string reply = "", size_t piece = 1 << 30,
                    int pause_ms = 0) {
    sockaddr_in a{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
    socklen_t len = sizeof a;
    bind(fd, reinterpret_cast<sockaddr*>(&a), len);
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    port = ntohs(a.sin_port);
    if (mode != kRefuse) listen(fd, 4);
    if (mode == kServe) peer = std::thread([=] { Serve(want, reply, piece, pause_ms); });
  }
  // Shutting the listener down wakes a peer nobody connected to.
  ~TestPeer() { shutdown(fd, SHUT_RDWR); Received(); close(fd); }
  // Waits for the connection to end; the bytes the peer read.
  const std::string& Received() { if (peer.joinable()) peer.join(); return got; }
  bool WasConnected() { pollfd p{fd, POLLIN, 0}; return poll(&p, 1, 0) == 1; }

  void Serve(size_t want, const std::string& reply, size_t piece, int pause_ms) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 20000) != 1) return;  // a client that never comes must not hang
    const int conn = accept(fd, nullptr, nullptr);
    char buf[4096];
    ssize_t n = 1;
    while (n > 0 && got.size() < want)
      if ((n = recv(conn, buf, std::min(sizeof buf, want - got.size()), 0)) > 0) got.append(buf, n);
    for (size_t at = 0; at < reply.size(); at += piece) {
      std::this_thread::sleep_for(std::chrono::milliseconds(pause_ms));
      send(conn, reply.data() + at, std::min(piece, reply.size() - at), MSG_NOSIGNAL);
    }
    close(conn);
  }
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  unsigned short port = 0;
  std::string got;
  std::thread peer;
};

QM::ByteVector Bytes(const std::string& text) { return QM::ByteVector(text.begin(), text.end()); }

// Bytes that differ from their neighbours, so a block copied to the wrong
// offset or twice shows up.
std::string Pattern(size_t length) {
  std::string text(length, '\0');
  for (size_t i = 0; i < length; ++i) text[i] = static_cast<char>((i * 7 + length) % 251);
  return text;
}

// One exchange with `reply` starting as "untouched"; its result.
unsigned int Transact(const wchar_t* host, unsigned short port, const std::string& request,
                      QM::ByteVector& reply, size_t limit = QMLinux::kMaxReplyBytes) {
  QMLinux client(host, port, nullptr, nullptr, 0, 1);
  client.SetReplyLimit(limit);
  QM::ByteVector req = Bytes(request);
  reply = Bytes("untouched");
  return client.TransactCommandChannel(req, reply);
}

// Each exchange runs against a fresh peer; a reply over the reply limit gives
// 0 and leaves the caller's reply untouched.
TEST(Transact, PeerGetsExactRequestAndReplyHoldsExactlyThePeerBytes) {
  const size_t all = 1 << 30;  // one piece
  const struct {
    const char* fault; size_t request; std::string reply; size_t piece; int pause;
    const wchar_t* host = L"127.0.0.1"; size_t limit = QMLinux::kMaxReplyBytes; bool kept = true;
  } cases[] = {
      {"no reply: reply not emptied", 40, "", all, 0},
      {"reply of exactly one block lost at growth", 300, Pattern(1024), all, 0},
      {"last byte over one block lost", 300, Pattern(1025), all, 0},
      {"small chunks out of order", 300, Pattern(5 * 1024 + 77), 97, 1},
      {"chunks straddling block edges", 10, Pattern(4096), 1000, 1},
      {"NUL cuts the reply", 20, std::string("<a>\0</a>tail", 12), all, 0},
      {"many growths", 20, Pattern(300000), all, 0},
      {"large request not sent whole", 2 * 1024 * 1024 + 5, "ok", all, 0},
      {"host name localhost not resolved", 5, "reply", all, 0, L"localhost"},
      {"reply at the limit refused", 3, Pattern(1024), 512, 0, L"127.0.0.1", 1024},
      {"reply one over the limit kept", 3, Pattern(1025), 512, 0, L"127.0.0.1", 1024, false},
      {"reply far over the limit kept", 3, Pattern(20000), 512, 0, L"127.0.0.1", 1000, false},
      {"unaligned limit", 3, Pattern(3000), 512, 0, L"127.0.0.1", 3000},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fault);
    const std::string request = Pattern(c.request);
    TestPeer peer(TestPeer::kServe, request.size(), c.reply, c.piece, c.pause);
    QM::ByteVector reply;
    EXPECT_EQ(Transact(c.host, peer.port, request, reply, c.limit), c.kept ? c.reply.size() : 0);
    EXPECT_EQ(peer.Received(), request);
    EXPECT_EQ(reply, Bytes(c.kept ? c.reply : "untouched"));
  }
  QMLinux client(L"127.0.0.1", 1, nullptr, nullptr, 0, 1);
  client.SetReplyLimit(static_cast<size_t>(-1));
  EXPECT_EQ(client.GetReplyLimit(), QMLinux::kMaxReplyBytes);  // never above the hard limit
}

TEST(Transact, FailuresReportZeroKeepReplyAndUnusableInputsNeverConnect) {
  TestPeer refusing(TestPeer::kRefuse), silent(TestPeer::kSilent);
  const struct { std::wstring host; unsigned short port; std::string request; } cases[] = {
      {L"127.0.0.1", refusing.port, "request"},  // nothing listening
      {L"127.0.0.1", silent.port, ""},           // empty request
      {L"nonexistent.invalid", silent.port, "request"},
      {L"host\u20ac.example", silent.port, "request"},  // no 8-bit form
      {std::wstring(1025, L'a'), silent.port, "request"},  // too long to resolve
      {std::wstring(5000, L'b'), silent.port, "request"},  // longer than the address array
  };
  for (const auto& c : cases) {
    QM::ByteVector reply;
    EXPECT_EQ(Transact(c.host.c_str(), c.port, c.request, reply), 0u) << c.host.size();
    EXPECT_EQ(reply, Bytes("untouched")) << c.host.size();
  }
  EXPECT_FALSE(silent.WasConnected());
}

void IgnoreSignal(int) {}

// A signal during the wait for the reply interrupts recv (handler without
// SA_RESTART); the wait must resume rather than end the reply there.
TEST(Transact, InterruptedReceiveResumesAndKeepsWholeReply) {
  struct sigaction action {}, previous {};
  action.sa_handler = IgnoreSignal;
  ASSERT_EQ(sigaction(SIGUSR1, &action, &previous), 0);
  TestPeer peer(TestPeer::kServe, 3, "late reply", 1 << 30, 300);
  std::atomic<bool> done(false);
  std::thread signaller([&done, waiter = pthread_self()] {
    while (!done) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      pthread_kill(waiter, SIGUSR1);
    }
  });
  QM::ByteVector reply;
  const unsigned int result = Transact(L"127.0.0.1", peer.port, "req", reply);
  done = true;
  signaller.join();
  sigaction(SIGUSR1, &previous, nullptr);
  EXPECT_EQ(result, 10u);
  EXPECT_EQ(reply, Bytes("late reply"));
}

TEST(Channel, WriteReadCloseAndReopenOnTheMemberConnection) {
  TestPeer first(TestPeer::kServe, 6, "abcdefghij", 3, 5);
  TestPeer second(TestPeer::kServe, static_cast<size_t>(-1));
  QMLinux client(L"127.0.0.1", first.port, nullptr, nullptr, 0, 1);
  QM::ByteVector out = Bytes("stream"), in(12, 0xEE);
  ASSERT_TRUE(client.OpenCommandChannel());
  EXPECT_EQ(client.WriteConnection(out), 6u);
  EXPECT_EQ(client.ReadConnection(in), 10u);  // across pieces until the peer closes
  EXPECT_EQ(in, Bytes("abcdefghij\xEE\xEE"));
  client.CloseConnection();
  EXPECT_EQ(first.Received(), "stream");
  ASSERT_TRUE(client.OpenDataChannel(second.port));  // the socket is fresh after close
  EXPECT_EQ(client.WriteConnection(out), 6u);
  client.CloseConnection();
  EXPECT_EQ(second.Received(), "stream");
  EXPECT_EQ(client.WriteConnection(out), 0xFFFFFFFFu);  // unconnected
}

TEST(QMLinuxAddress, AddressCutToArrayMinusOneCharacters) {
  const std::wstring fits(QMLinux::kAddressChars - 1, L'h');
  EXPECT_EQ(QMLinux(fits.c_str(), 1, nullptr, nullptr, 0, 1).GetServerAddress(), fits);
  EXPECT_EQ(QMLinux((fits + L"h").c_str(), 1, nullptr, nullptr, 0, 1).GetServerAddress(), fits);
}

}  // namespace
