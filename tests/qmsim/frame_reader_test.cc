// Request frame reading: length bounds, early close, never reading past the
// declared length.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/time.h>

#include <string>
#include <thread>

#include "frame_reader.h"
#include "unique_fd.h"

namespace qmsim {
namespace {

std::string Prefix(std::uint8_t type, std::uint32_t length) {
  std::string p(1, static_cast<char>(type));
  for (int i = 0; i < 4; ++i) p += static_cast<char>((length >> (8 * i)) & 0xFF);
  return p;
}

// A connected socket pair: the test writes to `peer`, the reader reads `local`.
struct Pair {
  UniqueFd local;
  UniqueFd peer;
  Pair() {
    int fds[2];
    EXPECT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
    local = UniqueFd(fds[0]);
    peer = UniqueFd(fds[1]);
  }
  void Write(const std::string& bytes) {
    ASSERT_EQ(::send(peer.Get(), bytes.data(), bytes.size(), MSG_NOSIGNAL),
              static_cast<ssize_t>(bytes.size()));
  }
  void CloseWrite() { ::shutdown(peer.Get(), SHUT_WR); }
};

TEST(FrameLength, DecodesLittleEndian) {
  const std::string p = Prefix(6, 0x11223344);
  EXPECT_EQ(DecodeFrameLength(reinterpret_cast<const unsigned char*>(p.data())),
            0x11223344u);
}

TEST(FrameLength, AcceptsOnlyFiveToOneMebibyte) {
  struct Case {
    std::uint32_t length;
    bool ok;
  };
  const Case cases[] = {{0, false}, {4, false}, {5, true}, {4105, true},
                        {1048576, true}, {1048577, false}, {0xFFFFFFFFu, false}};
  for (const Case& c : cases) EXPECT_EQ(FrameLengthAcceptable(c.length), c.ok) << c.length;
}

TEST(ReadRequestFrame, StopsAtDeclaredLengthLeavingLaterBytesUnread) {
  Pair pair;
  const std::string frame = Prefix(6, 9) + "abcd";
  pair.Write(frame + "EXTRA");
  const FrameRead got = ReadRequestFrame(pair.local.Get());
  EXPECT_EQ(got.status, FrameStatus::kComplete);
  EXPECT_EQ(got.raw, frame);
  EXPECT_EQ(EnvelopeText(got), "abcd");
  char rest[8] = {};
  EXPECT_EQ(::recv(pair.local.Get(), rest, sizeof rest, MSG_DONTWAIT), 5);
}

TEST(ReadRequestFrame, PrefixOnlyFrameIsCompleteWithEmptyEnvelope) {
  Pair pair;
  pair.Write(Prefix(2, 5));
  const FrameRead got = ReadRequestFrame(pair.local.Get());
  EXPECT_EQ(got.status, FrameStatus::kComplete);
  EXPECT_EQ(EnvelopeText(got), "");
}

TEST(ReadRequestFrame, PeerShuttingDownEarlyGivesShortFrame) {
  Pair pair;
  pair.Write(Prefix(6, 100) + "partial");
  pair.CloseWrite();
  const FrameRead got = ReadRequestFrame(pair.local.Get());
  EXPECT_EQ(got.status, FrameStatus::kShort);
  EXPECT_EQ(got.declared_length, 100u);
  EXPECT_EQ(EnvelopeText(got), "partial");
}

TEST(ReadRequestFrame, FewerThanFiveBytesGiveNoPrefix) {
  for (const std::string& bytes : {std::string(), std::string("\x06\x10", 2)}) {
    Pair pair;
    pair.Write(bytes);
    pair.CloseWrite();
    const FrameRead got = ReadRequestFrame(pair.local.Get());
    EXPECT_EQ(got.status, FrameStatus::kNoPrefix);
    EXPECT_EQ(got.raw, bytes);
  }
}

TEST(ReadRequestFrame, HugeOrTinyLengthIsRejectedWithoutReadingTheBody) {
  for (const std::uint32_t length : {0u, 4u, 1048577u, 0xFFFFFFFFu}) {
    Pair pair;
    pair.Write(Prefix(6, length) + "body");
    const FrameRead got = ReadRequestFrame(pair.local.Get());
    EXPECT_EQ(got.status, FrameStatus::kBadLength) << length;
    EXPECT_EQ(got.declared_length, length);
    EXPECT_EQ(got.raw.size(), kFramePrefixSize) << length;
  }
}

TEST(ReadRequestFrame, LargestAcceptedFrameArrivesWhole) {
  Pair pair;
  std::string frame = Prefix(6, kMaxFrameLength);
  frame.resize(kMaxFrameLength, 'x');
  // Written from another thread while the reader collects the pieces.
  std::thread writer([&pair, &frame] {
    std::size_t offset = 0;
    while (offset < frame.size()) {
      const ssize_t n = ::send(pair.peer.Get(), frame.data() + offset,
                               frame.size() - offset, MSG_NOSIGNAL);
      if (n <= 0) return;
      offset += static_cast<std::size_t>(n);
    }
  });
  const FrameRead got = ReadRequestFrame(pair.local.Get());
  writer.join();
  EXPECT_EQ(got.status, FrameStatus::kComplete);
  EXPECT_EQ(got.raw.size(), kMaxFrameLength);
}

TEST(ReadRequestFrame, ReceiveTimeoutEndsAStalledRead) {
  Pair pair;
  timeval tv{0, 50 * 1000};
  ::setsockopt(pair.local.Get(), SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
  pair.Write(Prefix(6, 50) + "abc");
  EXPECT_EQ(ReadRequestFrame(pair.local.Get()).status, FrameStatus::kReadError);
}

}  // namespace
}  // namespace qmsim
