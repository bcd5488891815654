// QMLinux over TCP against one-connection peers on loopback (ephemeral
// ports; a private hosts file for a name with two addresses): bytes on the
// wire, address choice, reply assembly across buffer growth, reply limits and
// failures.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <string>
#include <thread>

#include <arpa/inet.h>
#include <poll.h>
#include <pthread.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "protocol/qmlinux.h"

namespace {

const size_t kAll = 1 << 30;  // the whole reply in one piece

// A socket bound to `ip` (127.0.0.1 unless given) that never listens when `listens` is false. With
// `want` > 0 it accepts one connection, reads `want` bytes into `got`, then
// sends `reply` in pieces of `piece` bytes, each after `pause_ms`, and closes.
struct TestPeer {
  TestPeer(bool listens, size_t want = 0, std::string reply = "", size_t piece = kAll,
           int pause_ms = 0, const char* ip = "127.0.0.1") {
    sockaddr_in a{AF_INET, 0, {inet_addr(ip)}, {}};
    socklen_t len = sizeof a;
    bind(fd, reinterpret_cast<sockaddr*>(&a), len);
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    port = ntohs(a.sin_port);
    if (listens) listen(fd, 4);
    if (want > 0) peer = std::thread([=] { Serve(want, reply, piece, pause_ms); });
  }
  ~TestPeer() { shutdown(fd, SHUT_RDWR); Received(); close(fd); }  // wakes an idle peer
  // Waits for the connection to end; the bytes the peer read.
  const std::string& Received() { if (peer.joinable()) peer.join(); return got; }
  void Serve(size_t want, const std::string& reply, size_t piece, int pause_ms) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 20000) != 1) return;  // a client that never comes must not hang
    const int conn = accept(fd, nullptr, nullptr);
    char buf[4096];
    for (ssize_t n = 1; n > 0 && got.size() < want;)
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

// A name that the private hosts file resolves to two loopback addresses.
const wchar_t kTwoAddressHost[] = L"qm-two-addresses.test";

// Gives this process its own mount namespace whose /etc/hosts names
// kTwoAddressHost 127.0.0.2 first and 127.0.0.3 last (localhost stays
// 127.0.0.1). Must run before the process starts a thread; needs the
// privileges of the namespace wrapper the transport tests run in.
bool UsePrivateHostsFile() {
  if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
    return false;
  char path[] = "/tmp/qm-hosts-XXXXXX";
  const int fd = mkstemp(path);
  if (fd < 0) return false;
  const std::string hosts = "127.0.0.1 localhost\n127.0.0.2 qm-two-addresses.test\n"
                            "127.0.0.3 qm-two-addresses.test\n";
  const bool written = write(fd, hosts.data(), hosts.size()) == ssize_t(hosts.size());
  close(fd);
  const bool mounted = written && mount(path, "/etc/hosts", nullptr, MS_BIND, nullptr) == 0;
  unlink(path);  // the bind mount keeps the file's contents
  return mounted;
}

QM::ByteVector Bytes(const std::string& text) { return QM::ByteVector(text.begin(), text.end()); }

// Bytes that differ from their neighbours, so a block copied to the wrong
// offset or twice shows up.
std::string Pattern(size_t length) {
  std::string text(length, '\0');
  for (size_t i = 0; i < length; ++i) text[i] = static_cast<char>((i * 7 + length) % 251);
  return text;
}

// One exchange with `reply` starting as "untouched" and a reply limit of
// `limit` (0: the default); its result.
unsigned int Transact(const wchar_t* host, unsigned short port, const std::string& request,
                      QM::ByteVector& reply, size_t limit = 0) {
  QMLinux client(host, port, nullptr, nullptr, 0, 1);
  if (limit > 0) client.SetReplyLimit(limit);
  QM::ByteVector req = Bytes(request);
  reply = Bytes("untouched");
  return client.TransactCommandChannel(req, reply);
}

// Each exchange runs against a fresh peer; a reply over the reply limit gives
// 0 and leaves the caller's reply untouched. With `signals`, a signal handled
// without SA_RESTART keeps interrupting the wait for the reply, which must
// resume rather than end the reply there.
TEST(Transact, PeerGetsExactRequestAndReplyHoldsExactlyThePeerBytes) {
  const struct {
    const char* fault; size_t request; std::string reply; size_t piece; int pause;
    const wchar_t* host = L"127.0.0.1"; size_t limit = 0; bool kept = true, signals = false;
    const char* peer_ip = "127.0.0.1";
  } cases[] = {
      {"no reply: reply not emptied", 40, "", kAll, 0},
      {"reply of exactly one block lost at growth", 300, Pattern(1024), kAll, 0},
      {"last byte over one block lost", 300, Pattern(1025), kAll, 0},
      {"small chunks out of order", 300, Pattern(5 * 1024 + 77), 97, 1},
      {"reply over several receive chunks cut or reordered", 300,
       Pattern(3 * QMLinux::kReceiveChunk + 5), kAll, 0},
      {"NUL cuts the reply", 20, std::string("<a>\0</a>tail", 12), kAll, 0},
      {"large request not sent whole", 2 * 1024 * 1024 + 5, "ok", kAll, 0},
      {"host name localhost not resolved", 5, "reply", kAll, 0, L"localhost"},
      // Only the last address listens: taking any other one fails.
      {"not the last of several addresses taken", 5, "reply", kAll, 0, kTwoAddressHost, 0, true,
       false, "127.0.0.3"},
      {"reply at the limit refused", 3, Pattern(1024), 512, 0, L"127.0.0.1", 1024},
      {"reply one over the limit kept", 3, Pattern(1025), 512, 0, L"127.0.0.1", 1024, false},
      {"interrupted receive ends reply", 3, "late reply", kAll, 300, L"127.0.0.1", 0, true, true},
  };
  ASSERT_TRUE(UsePrivateHostsFile());
  struct sigaction action {}, previous {};
  action.sa_handler = [](int) {};
  ASSERT_EQ(sigaction(SIGUSR1, &action, &previous), 0);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fault);
    const std::string request = Pattern(c.request);
    TestPeer peer(true, request.size(), c.reply, c.piece, c.pause, c.peer_ip);
    std::atomic<bool> done(!c.signals);
    std::thread signaller([&done, waiter = pthread_self()] {
      for (; !done; std::this_thread::sleep_for(std::chrono::milliseconds(20)))
        pthread_kill(waiter, SIGUSR1);
    });
    QM::ByteVector reply;
    const unsigned int result = Transact(c.host, peer.port, request, reply, c.limit);
    done = true;
    signaller.join();
    EXPECT_EQ(result, c.kept ? c.reply.size() : 0);
    EXPECT_EQ(peer.Received(), request);
    EXPECT_EQ(reply, Bytes(c.kept ? c.reply : "untouched"));
  }
  sigaction(SIGUSR1, &previous, nullptr);
}

TEST(Transact, FailuresReportZeroKeepReplyAndUnusableInputsNeverConnect) {
  TestPeer refusing(false), silent(true);  // silent listens but never accepts
  const struct { std::wstring host; unsigned short port; std::string request; } cases[] = {
      {L"127.0.0.1", refusing.port, "request"},  // nothing listening
      {L"127.0.0.1", silent.port, ""},           // empty request
      {L"nonexistent.invalid", silent.port, "request"},
      {L"host\u20ac.example", silent.port, "request"},  // no 8-bit form
      {std::wstring(1025, L'a'), silent.port, "request"},  // too long to resolve
  };
  for (const auto& c : cases) {
    QM::ByteVector reply;
    EXPECT_EQ(Transact(c.host.c_str(), c.port, c.request, reply), 0u) << c.host.size();
    EXPECT_EQ(reply, Bytes("untouched")) << c.host.size();
  }
  pollfd p{silent.fd, POLLIN, 0};
  EXPECT_EQ(poll(&p, 1, 0), 0);  // no connection waiting
}

TEST(QMLinuxAddress, AddressCutToArrayMinusOneCharacters) {
  const std::wstring fits(QMLinux::kAddressChars - 1, L'h');
  EXPECT_EQ(QMLinux(fits.c_str(), 1, nullptr, nullptr, 0, 1).GetServerAddress(), fits);
  EXPECT_EQ(QMLinux((fits + L"h").c_str(), 1, nullptr, nullptr, 0, 1).GetServerAddress(), fits);
}

}  // namespace

// The member connection: a read spans several pieces until the peer closes,
// and after CloseConnection the socket is fresh for another connect.
TEST(Channel, WriteReadCloseAndReopenOnTheMemberConnection) {
  TestPeer first(true, 6, "abcdefghij", 3, 5), second(true, 6);
  QMLinux client(L"127.0.0.1", first.port, nullptr, nullptr, 0, 1);
  QM::ByteVector out = Bytes("stream"), in(12, 0xEE);
  ASSERT_TRUE(client.OpenCommandChannel());
  EXPECT_EQ(client.WriteConnection(out), 6u);
  EXPECT_EQ(client.ReadConnection(in), 10u);
  EXPECT_EQ(in, Bytes("abcdefghij\xEE\xEE"));
  client.CloseConnection();
  EXPECT_EQ(first.Received(), "stream");
  ASSERT_TRUE(client.OpenDataChannel(second.port));
  EXPECT_EQ(client.WriteConnection(out), 6u);
  client.CloseConnection();
  EXPECT_EQ(second.Received(), "stream");
  EXPECT_EQ(client.WriteConnection(out), 0xFFFFFFFFu);  // unconnected: the send failed
}
