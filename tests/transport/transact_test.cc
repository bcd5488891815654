// TransactCommandChannel against in-test peers: bytes on the wire, reply
// assembly across buffer growth, and every way an exchange can fail.
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include <pthread.h>

#include <gtest/gtest.h>

#include "protocol/qmlinux.h"
#include "test_peer.h"

namespace {

QM::ByteVector Bytes(const std::string& text) {
  return QM::ByteVector(text.begin(), text.end());
}

// Bytes that differ from their neighbours, so a block copied to the wrong
// offset or twice shows up.
std::string Pattern(size_t length, unsigned int seed) {
  std::string text(length, '\0');
  for (size_t i = 0; i < length; ++i)
    text[i] = static_cast<char>((i * 7 + seed) % 251);
  return text;
}

std::vector<std::string> Split(const std::string& text, size_t chunk) {
  std::vector<std::string> chunks;
  for (size_t at = 0; at < text.size(); at += chunk)
    chunks.push_back(text.substr(at, chunk));
  return chunks;
}

struct ReplyCase {
  const char* fault;
  size_t request_size;
  std::vector<std::string> chunks;
  int pause_ms;
};

class ReplyShapes : public ::testing::TestWithParam<ReplyCase> {};

TEST_P(ReplyShapes, ReplyHoldsExactlyThePeerBytesAndPeerGetsExactRequest) {
  const ReplyCase& c = GetParam();
  std::string request = Pattern(c.request_size, 3);
  std::string expected;
  for (const std::string& chunk : c.chunks) expected += chunk;

  PeerScript script;
  script.read_bytes = request.size();
  script.chunks = c.chunks;
  script.chunk_pause_ms = c.pause_ms;
  TestPeer peer(script);
  ASSERT_NE(peer.Port(), 0);

  QMLinux client(L"127.0.0.1", peer.Port(), L"u", L"p", 0, 1);
  QM::ByteVector req = Bytes(request);
  QM::ByteVector reply = Bytes("stale reply of an earlier exchange");
  unsigned int result = client.TransactCommandChannel(req, reply);

  EXPECT_EQ(peer.Received(), request) << c.fault;
  EXPECT_EQ(result, expected.size()) << c.fault;
  EXPECT_EQ(reply, Bytes(expected)) << c.fault;
}

INSTANTIATE_TEST_SUITE_P(
    Transact, ReplyShapes,
    ::testing::Values(
        ReplyCase{"PeerClosesWithoutAnswerEmptiesReply", 40, {}, 0},
        ReplyCase{"SmallReplyKept", 300, {"<Reply>ok</Reply>"}, 0},
        ReplyCase{"ReplyOfExactlyOneBlockNotLostAtGrowth", 300,
                  {Pattern(1024, 1)}, 0},
        ReplyCase{"ReplyOneByteOverBlockKeepsLastByte", 300,
                  {Pattern(1025, 2)}, 0},
        ReplyCase{"SmallChunksReassembledInOrder", 300,
                  Split(Pattern(5 * 1024 + 77, 4), 97), 1},
        ReplyCase{"ChunksStraddlingBlockEdges", 10,
                  Split(Pattern(4096, 5), 1000), 1},
        ReplyCase{"NulInsideReplyDoesNotCutIt", 20,
                  {std::string("<a>\0</a>tail", 12)}, 0},
        ReplyCase{"LargeReplyAcrossManyGrowths", 20, {Pattern(300000, 6)},
                  0},
        ReplyCase{"LargeRequestSentWhole", 2 * 1024 * 1024 + 5, {"ok"}, 0}),
    [](const ::testing::TestParamInfo<ReplyCase>& info) {
      return std::string(info.param.fault);
    });

TEST(TransactAddress, HostNameLocalhostResolvesAndExchanges) {
  PeerScript script;
  script.read_bytes = 5;
  script.chunks = {"reply"};
  TestPeer peer(script);
  QMLinux client(L"localhost", peer.Port(), nullptr, nullptr, 0, 1);
  QM::ByteVector req = Bytes("hello");
  QM::ByteVector reply;
  EXPECT_EQ(client.TransactCommandChannel(req, reply), 5u);
  EXPECT_EQ(reply, Bytes("reply"));
  EXPECT_EQ(peer.Received(), "hello");
}

void IgnoreSignal(int) {}

// A signal that arrives while the exchange waits for the reply interrupts
// recv (the handler is installed without SA_RESTART); the wait must resume
// rather than take the interruption for the end of the reply.
TEST(TransactSignals, InterruptedReceiveResumesAndKeepsWholeReply) {
  struct sigaction action;
  struct sigaction previous;
  std::memset(&action, 0, sizeof action);
  action.sa_handler = IgnoreSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;
  ASSERT_EQ(sigaction(SIGUSR1, &action, &previous), 0);

  PeerScript script;
  script.read_bytes = 3;
  script.chunks = {"", "late reply"};  // nothing, then a pause, then data
  script.chunk_pause_ms = 300;
  TestPeer peer(script);
  QMLinux client(L"127.0.0.1", peer.Port(), nullptr, nullptr, 0, 1);

  std::atomic<bool> done(false);
  pthread_t waiter = pthread_self();
  std::thread signaller([&done, waiter] {
    for (int i = 0; i < 20 && !done.load(); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      if (!done.load()) pthread_kill(waiter, SIGUSR1);
    }
  });
  QM::ByteVector req = Bytes("req");
  QM::ByteVector reply;
  unsigned int result = client.TransactCommandChannel(req, reply);
  done.store(true);
  signaller.join();
  sigaction(SIGUSR1, &previous, nullptr);

  EXPECT_EQ(result, 10u);
  EXPECT_EQ(reply, Bytes("late reply"));
}

// Every failure must report 0 and leave the caller's reply exactly as it was.
TEST(TransactFailure, NoServerListeningReportsZeroAndKeepsReply) {
  RefusingPort port;
  QMLinux client(L"127.0.0.1", port.Port(), nullptr, nullptr, 0, 1);
  QM::ByteVector req = Bytes("request");
  QM::ByteVector reply = Bytes("untouched");
  EXPECT_EQ(client.TransactCommandChannel(req, reply), 0u);
  EXPECT_EQ(reply, Bytes("untouched"));
}

TEST(TransactFailure, EmptyRequestIsRefusedWithoutConnecting) {
  SilentListener listener;
  QMLinux client(L"127.0.0.1", listener.Port(), nullptr, nullptr, 0, 1);
  QM::ByteVector req;
  QM::ByteVector reply = Bytes("untouched");
  EXPECT_EQ(client.TransactCommandChannel(req, reply), 0u);
  EXPECT_EQ(reply, Bytes("untouched"));
  EXPECT_FALSE(listener.WasConnected());
}

TEST(TransactFailure, UnusableAddressesReportZeroWithoutOverrun) {
  SilentListener listener;
  const std::wstring cases[] = {
      L"nonexistent.invalid",      // resolver says no
      L"",                         // nothing to resolve
      L"host\u20ac.example",       // no 8-bit form in the C locale
      std::wstring(1025, L'a'),    // too long for the resolver buffer
      std::wstring(5000, L'b'),    // longer than the address array
  };
  for (const std::wstring& address : cases) {
    QMLinux client(address.c_str(), listener.Port(), nullptr, nullptr, 0, 1);
    QM::ByteVector req = Bytes("request");
    QM::ByteVector reply = Bytes("untouched");
    EXPECT_EQ(client.TransactCommandChannel(req, reply), 0u)
        << address.size();
    EXPECT_EQ(reply, Bytes("untouched")) << address.size();
  }
  EXPECT_FALSE(listener.WasConnected());
}

struct LimitCase {
  const char* fault;
  size_t limit;
  size_t reply_size;
  bool accepted;
};

class ReplyLimit : public ::testing::TestWithParam<LimitCase> {};

TEST_P(ReplyLimit, ReplyOverLimitFailsAndKeepsReplyOtherwiseAccepted) {
  const LimitCase& c = GetParam();
  std::string body = Pattern(c.reply_size, 9);
  PeerScript script;
  script.read_bytes = 3;
  script.chunks = Split(body, 512);
  TestPeer peer(script);
  QMLinux client(L"127.0.0.1", peer.Port(), nullptr, nullptr, 0, 1);
  client.SetReplyLimit(c.limit);
  QM::ByteVector req = Bytes("req");
  QM::ByteVector reply = Bytes("untouched");
  unsigned int result = client.TransactCommandChannel(req, reply);
  if (c.accepted) {
    EXPECT_EQ(result, c.reply_size) << c.fault;
    EXPECT_EQ(reply, Bytes(body)) << c.fault;
  } else {
    EXPECT_EQ(result, 0u) << c.fault;
    EXPECT_EQ(reply, Bytes("untouched")) << c.fault;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Transact, ReplyLimit,
    ::testing::Values(LimitCase{"ReplyAtLimitAccepted", 1024, 1024, true},
                      LimitCase{"ReplyOneOverLimitRefused", 1024, 1025, false},
                      LimitCase{"ReplyFarOverLimitRefused", 1000, 20000, false},
                      LimitCase{"UnalignedLimitAccepted", 3000, 3000, true}),
    [](const ::testing::TestParamInfo<LimitCase>& info) {
      return std::string(info.param.fault);
    });

TEST(ReplyLimitSetting, CannotBeRaisedAboveHardLimit) {
  QMLinux client(L"127.0.0.1", 1, nullptr, nullptr, 0, 1);
  EXPECT_EQ(client.GetReplyLimit(), QMLinux::kMaxReplyBytes);
  client.SetReplyLimit(static_cast<size_t>(-1));
  EXPECT_EQ(client.GetReplyLimit(), QMLinux::kMaxReplyBytes);
  client.SetReplyLimit(10);
  EXPECT_EQ(client.GetReplyLimit(), 10u);
}

}  // namespace
