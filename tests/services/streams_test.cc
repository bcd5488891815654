// Live and playback streams against a fake server that serves canned bytes
// and records every channel call and the largest read it was asked for; the
// QMLinux hooks over real connections to peers on 127.0.0.1 (ephemeral
// ports); and the media-streaming reply walker.
#include <algorithm>
#include <cerrno>
#include <thread>

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "protocol/qmlinux.h"
#include "services/stream_format.h"
#include "tests/services/ptz_stream_test_util.h"

namespace {

using namespace qm_svc_test;
using QM::ByteVector;

const std::string kControl("\x04\0\0\0\x01\0\0\0", 8);

std::string LiveText(unsigned a, bool key, unsigned b, unsigned c, unsigned d, unsigned e,
                     const ByteVector& p) {
  return std::to_string(a) + "," + std::to_string(key) + "," + std::to_string(b) + "," +
         std::to_string(c) + "," + std::to_string(d) + "," + std::to_string(e) + ":" +
         std::string(p.begin(), p.end()) + ";";
}
std::string PlaybackText(bool key, unsigned long long t, unsigned n, unsigned v, unsigned x,
                         const ByteVector& p) {
  return std::to_string(key) + "," + std::to_string(t) + "," + std::to_string(n) + "," +
         std::to_string(v) + "," + std::to_string(x) + ":" + std::string(p.begin(), p.end()) + ";";
}

// Serves `data` to reads; its hooks record each frame and answer true once
// `take` frames arrived.
struct FakeStream : QM::Server {
  FakeStream(std::string bytes, size_t take_frames)
      : Server(L"h", 1, L"u", L"p", 0, 7), data(bytes), take(take_frames) { live_port_ = 5050; }
  bool OpenCommandChannel() override { opened.push_back(0); return open_ok; }
  bool OpenDataChannel(unsigned short port) override { opened.push_back(port); return open_ok; }
  void CloseConnection() override { ++closed; }
  unsigned int WriteConnection(ByteVector& v) override {
    writes.emplace_back(v.begin(), v.end());
    return unsigned(v.size());
  }
  unsigned int ReadConnection(ByteVector& v) override {
    largest = std::max(largest, v.size());
    const size_t n = std::min(v.size(), data.size() - at);
    std::copy_n(data.begin() + at, n, v.begin());
    at += n;
    return unsigned(n);
  }
  bool NewLiveFrame(unsigned a, bool key, unsigned b, unsigned c, unsigned d, unsigned short e,
                    ByteVector& p) override {
    return (frames += LiveText(a, key, b, c, d, e, p), ++count >= take);
  }
  bool NewPlaybackFrame(bool key, unsigned long long t, unsigned n, unsigned v, unsigned x,
                        ByteVector& p) override {
    return (frames += PlaybackText(key, t, n, v, x, p), ++count >= take);
  }
  std::string data, frames;
  size_t at = 0, take, count = 0, largest = 0;
  bool open_ok = true;
  std::vector<unsigned short> opened;
  int closed = 0;
  std::vector<std::string> writes;
};

TEST(LiveStream, FramesFromTheHeaderUntilHookShortReadOrUnfollowableLength) {
  const std::string two = Live("ab", 1, 2, 1, 3, 4, 5) + Live("c", 6);
  const struct { const char* fault; std::string bytes; size_t take; std::string want; } cases[] = {
      {"frame length exactly 18 not an empty frame", std::string(
           "\0\0\x12\0\0\0\x07\0\0\0\x05\x01\x03\0\x04\0\x06\0", 18) + Live("x", 9), 2,
       "7,1,5,3,4,6:;9,1,0,0,0,0:x;"},
      {"flag byte 2 taken as true", Live("p", 1, 0, 2), 5, "1,0,0,0,0,0:p;"},
      {"hook's true ignored", two + Live("not read"), 2, "1,1,2,3,4,5:ab;6,1,0,0,0,0:c;"},
      {"length below 18 followed", Live("", 1, 0, 1, 0, 0, 0, 17) + two, 5, ""},
      {"oversized payload allocated", Live("", 1, 0, 1, 0, 0, 0, 0xFFFFFFFF) + two, 5, ""},
      {"short payload delivered", two + Live("cut").substr(0, 20), 5,
       "1,1,2,3,4,5:ab;6,1,0,0,0,0:c;"},
      {"short header delivered", two + std::string(17, '\0'), 5, "1,1,2,3,4,5:ab;6,1,0,0,0,0:c;"},
  };
  for (const auto& c : cases) {
    FakeStream s(c.bytes, c.take);
    EXPECT_TRUE(s.GetLiveStream(9)) << c.fault;
    EXPECT_EQ(s.frames, c.want) << c.fault;
    EXPECT_LE(s.largest, size_t(QM::kMaxStreamPayloadBytes)) << c.fault;
    EXPECT_EQ(s.opened, std::vector<unsigned short>{5050}) << c.fault;
    ASSERT_EQ(s.writes.size(), 1u) << c.fault;
    EXPECT_NE(s.writes[0].find("<item>9</item>"), std::string::npos) << c.fault;
    EXPECT_EQ(s.closed, 1) << c.fault;
  }
  FakeStream refused(Live("x"), 1);
  refused.open_ok = false;
  EXPECT_FALSE(refused.GetLiveStream(9));
  EXPECT_TRUE(refused.writes.empty() && refused.frames.empty() && refused.closed == 0);
}

// A playback frame record: W = H0 + payload size unless given.
std::string Frame(const std::string& payload, uint32_t h3, uint32_t h5, uint32_t h0 = 24,
                  int64_t w = -1) {
  return LE(w < 0 ? h0 + payload.size() : w) + LE(h0) + LE(0x89ABCDEF) + LE(0x01234567) + LE(h3) +
         LE(77) + LE(h5) + payload;
}

TEST(PlaybackStream, FramesUntilEndWordStopFrameHookOrUnfollowableRecord) {
  const std::string t = ",81985529216486895,";  // H1 low and H2 high half
  // Neither f1 nor f2 is the stop frame (value 7, frame 3) of the requests.
  const std::string f1 = Frame("one", 7, 0xFF000002), f2 = Frame("two", 8, 3);
  const std::string want12 = "1" + t + "2,7,77:one;0" + t + "3,8,77:two;";
  const std::string skip = std::string("\x02\0\0\0\x10\0\0\0", 8) + std::string(16, 's');
  const struct { const char* fault; std::string bytes; size_t take; std::string want;
                 size_t consumed; } cases[] = {
      {"W = 2 record taken as a frame", skip + f1 + f2 + LE(0) + f1, 9, want12,
       skip.size() + f1.size() + f2.size() + 4},
      {"end word 1 not ending", f1 + f2 + LE(1) + f1, 9, want12, f1.size() + f2.size() + 4},
      {"stop frame passed", f1 + f2 + Frame("s", 7, 0xFE000003) + f1, 9,
       want12 + "0" + t + "3,7,77:s;", f1.size() + f2.size() + 29},
      {"hook's true ignored", f1 + f2, 1, "1" + t + "2,7,77:one;", f1.size()},
      {"cut short mid payload", f1 + f2.substr(0, 30), 9, "1" + t + "2,7,77:one;", f1.size() + 30},
      {"W - H0 negative read", Frame("", 7, 2, 40, 39) + f1, 9, "", 28},
      {"oversized payload allocated", Frame("", 7, 2, 0, 0xFFFFFFFF) + f1, 9, "", 28},
      {"huge W = 2 length allocated", std::string("\x02\0\0\0\xFF\xFF\xFF\xFF", 8) + f1, 9, "",
       8 + f1.size()},
  };
  for (const auto& c : cases) {
    FakeStream s(c.bytes, c.take);
    EXPECT_FALSE(s.GetPlaybackStream(11, 12, 7, 3)) << c.fault;
    EXPECT_EQ(s.frames, c.want) << c.fault;
    EXPECT_EQ(s.at, c.consumed) << c.fault;
    EXPECT_LE(s.largest, size_t(4096)) << c.fault;
    EXPECT_EQ(s.opened, std::vector<unsigned short>{0}) << c.fault;
    ASSERT_EQ(s.writes.size(), 2u) << c.fault;
    EXPECT_EQ(Params(ByteVector(s.writes[0].begin(), s.writes[0].end())),
              Lines("7/50012", 11, 12, 0, "", "", "original")) << c.fault;
    EXPECT_EQ(s.writes[1], kControl) << c.fault;
    EXPECT_EQ(s.closed, 1) << c.fault;
  }
  FakeStream refused(f1, 1);
  refused.open_ok = false;
  EXPECT_FALSE(refused.GetPlaybackStream(1, 2, 3, 4));
  EXPECT_TRUE(refused.writes.empty() && refused.frames.empty() && refused.closed == 0);
}

// One connection on 127.0.0.1: reads the request frame (its length from
// bytes 1-4) and `extra` bytes, writes `stream`, then waits for the client
// to close; `got` holds what it read and `closed` whether the close came.
struct Peer {
  Peer(std::string stream, size_t extra) {
    sockaddr_in a{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
    socklen_t len = sizeof a;
    bind(fd, reinterpret_cast<sockaddr*>(&a), len);
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    port = ntohs(a.sin_port);
    listen(fd, 1);
    thread = std::thread([=] {
      pollfd p{fd, POLLIN, 0};
      if (poll(&p, 1, 20000) != 1) return;
      const int conn = accept(fd, nullptr, nullptr);
      timeval limit{20, 0};
      setsockopt(conn, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
      got = Read(conn, 5);
      const size_t size = got.size() == 5 ? ReadLE(got.substr(1)) : 5;
      got += Read(conn, size - std::min<size_t>(size, 5) + extra);
      send(conn, stream.data(), stream.size(), MSG_NOSIGNAL);
      char byte;  // an end or a reset, not the receive time limit
      const ssize_t r = recv(conn, &byte, 1, 0);
      closed = r == 0 || (r < 0 && errno != EAGAIN && errno != EWOULDBLOCK);
      close(conn);
    });
  }
  ~Peer() { Join(); close(fd); }
  void Join() { if (thread.joinable()) thread.join(); }
  static size_t ReadLE(const std::string& b) {
    return QM::ReadLE32(reinterpret_cast<const unsigned char*>(b.data()));
  }
  static std::string Read(int conn, size_t n) {
    std::string s(n, '\0');
    const ssize_t r = n ? recv(conn, &s[0], n, MSG_WAITALL) : 0;
    s.resize(size_t(std::max<ssize_t>(r, 0)));
    return s;
  }
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  unsigned short port = 0;
  std::string got;
  bool closed = false;
  std::thread thread;
};

// QMLinux's own hooks decide, unless `take` asks for that many live frames.
struct RecordingLinux : QMLinux {
  RecordingLinux(unsigned short port, size_t take_frames)
      : QMLinux(L"127.0.0.1", port, L"u", L"p", 0, 7), take(take_frames) { live_port_ = port; }
  bool NewLiveFrame(unsigned a, bool key, unsigned b, unsigned c, unsigned d, unsigned short e,
                    ByteVector& p) override {
    frames += LiveText(a, key, b, c, d, e, p);
    const bool own = QMLinux::NewLiveFrame(a, key, b, c, d, e, p);
    return take == 0 ? own : ++count >= take;
  }
  bool NewPlaybackFrame(bool key, unsigned long long t, unsigned n, unsigned v, unsigned x,
                        ByteVector& p) override {
    frames += PlaybackText(key, t, n, v, x, p);
    return QMLinux::NewPlaybackFrame(key, t, n, v, x, p);
  }
  size_t take, count = 0;
  std::string frames;
};

TEST(StreamsOverTcp, QMLinuxHooksTakeOneLiveFrameOrTheWholePlaybackThenClose) {
  const std::string live = Live("a", 1) + Live("bb", 2) + Live("ccc", 3);
  for (size_t take : {0, 2}) {  // 0: QMLinux's answer
    Peer peer(live, 0);
    RecordingLinux client(peer.port, take);
    EXPECT_TRUE(client.GetLiveStream(4));
    peer.Join();
    EXPECT_EQ(client.frames, take ? "1,1,0,0,0,0:a;2,1,0,0,0,0:bb;" : "1,1,0,0,0,0:a;");
    EXPECT_TRUE(peer.closed);
    const ByteVector request = client.ReqPkt_GetCameraStream(4);
    EXPECT_EQ(peer.got, std::string(request.begin(), request.end()));
  }
  Peer peer(Frame("p1", 5, 1) + Frame("p2", 5, 2) + LE(0), 8);
  RecordingLinux client(peer.port, 0);
  EXPECT_FALSE(client.GetPlaybackStream(1, 2, 9, 9));
  peer.Join();
  EXPECT_EQ(client.frames, "0,81985529216486895,1,5,77:p1;0,81985529216486895,2,5,77:p2;");
  EXPECT_TRUE(peer.closed);
  EXPECT_EQ(peer.got.substr(peer.got.size() - 8), kControl);
}

TEST(MediaStreamingReply, LastWholeRecordsFrameNumberNeverReadingPastTheReply) {
  const auto rec = [](uint32_t length, uint32_t word, size_t content) {
    return LE(length) + LE(word) + std::string(content, 'c');
  };
  const std::string head(4, '\0');
  const struct { const char* fault; std::string reply; unsigned int want; } cases[] = {
      {"count 0 read a record", head + LE(0, 2) + rec(8, 5, 0), 0},
      {"kind bits kept", head + LE(2, 2) + rec(12, 0x05000010, 4) + rec(8, 0x0A000011, 0), 0x11},
      {"count beyond the records", head + LE(3, 2) + rec(8, 1, 0) + rec(9, 2, 1), 2},
      {"record past the reply", head + LE(2, 2) + rec(8, 1, 0) + rec(100, 2, 12), 1},
      {"record shorter than its header", head + LE(2, 2) + rec(4, 1, 0) + rec(8, 2, 0), 0},
      {"cut record header", head + LE(1, 2) + LE(8), 0},
      {"reply shorter than its count", head + "\x01", 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(QM::Server::RspPkt_ParseMediaFileAVStreaming(c.reply.data(), c.reply.size(),
                                                           boost::shared_ptr<QM::VideoFile>()),
              c.want) << c.fault;
}

}  // namespace
