// Live and playback streams against a fake server that serves canned bytes
// and records every channel call and its largest read, with the test's own
// hooks; and the media-streaming reply walker.
#include <algorithm>

#include <gtest/gtest.h>

#include "services/stream_format.h"
#include "tests/services/ptz_stream_test_util.h"

namespace {

using namespace qm_svc_test;
using QM::ByteVector;

const std::string kControl("\x04\0\0\0\x01\0\0\0", 8);
const std::string kTicks = "81985529216486895";  // H2 0x01234567, H1 0x89ABCDEF

// "v1,v2,...:payload;" of one frame handed to a hook.
template <class... V>
std::string Text(const ByteVector& payload, V... values) {
  std::string s;
  for (unsigned long long v : {static_cast<unsigned long long>(values)...})
    s += (s.empty() ? "" : ",") + std::to_string(v);
  return s + ":" + std::string(payload.begin(), payload.end()) + ";";
}

// Serves `data` to reads and records every channel call and its largest
// read; its hooks record each frame and end the stream once `take` frames
// arrived, or answer as the base does when `take` is 0.
struct FakeStream : QM::Server {
  using Base = QM::Server;
  FakeStream(std::string bytes, size_t take_frames)
      : Base(L"h", 1, L"u", L"p", 0, 7), data(bytes), take(take_frames) { live_port_ = 5050; }
  bool OpenCommandChannel() override { return opened.push_back(0), open_ok; }
  bool OpenDataChannel(unsigned short port) override { return opened.push_back(port), open_ok; }
  void CloseConnection() override { ++closed; }
  unsigned int WriteConnection(ByteVector& v) override {
    return writes.emplace_back(v.begin(), v.end()), unsigned(v.size());
  }
  unsigned int ReadConnection(ByteVector& v) override {
    const size_t n = std::min(v.size(), data.size() - at);
    largest = std::max(largest, v.size());
    std::copy_n(data.begin() + at, n, v.begin());
    return at += n, unsigned(n);
  }
  bool NewLiveFrame(unsigned a, bool k, unsigned b, unsigned c, unsigned d, unsigned short e,
                    ByteVector& p) override {
    frames += Text(p, a, k, b, c, d, e);
    return take ? ++count >= take : Base::NewLiveFrame(a, k, b, c, d, e, p);
  }
  bool NewPlaybackFrame(bool k, unsigned long long t, unsigned n, unsigned v, unsigned x,
                        ByteVector& p) override {
    frames += Text(p, k, t, n, v, x);
    return take ? ++count >= take : Base::NewPlaybackFrame(k, t, n, v, x, p);
  }
  std::string data, frames;
  size_t at = 0, largest = 0, take, count = 0;
  bool open_ok = true;
  std::vector<unsigned short> opened;
  int closed = 0;
  std::vector<std::string> writes;
};

TEST(LiveStream, FramesFromTheHeaderUntilHookShortReadOrUnfollowableLength) {
  const std::string two = Live("ab", 1, 2, 1, 5) + Live("c", 6), want2 = "1,1,2,3,4,5:ab;6,1,0,3,4,0:c;";
  const struct { const char* fault; std::string bytes; size_t take; std::string want; } cases[] = {
      {"frame length exactly 18 not an empty frame",
       std::string("\0\0\x12\0\0\0\x07\0\0\0\x05\x01\x03\0\x04\0\x06\0", 18) + Live("x", 9), 2,
       "7,1,5,3,4,6:;9,1,0,3,4,0:x;"},
      {"flag byte 2 taken as true", Live("p", 1, 0, 2), 5, "1,0,0,3,4,0:p;"},
      {"hook's true ignored", two + Live("not read"), 2, want2},
      {"length below 18 followed", Live("", 1, 0, 1, 0, 17) + two, 5, ""},
      {"oversized payload allocated", Live("", 1, 0, 1, 0, 0xFFFFFFFF) + two, 5, ""},
      {"short payload delivered", two + Live("cut").substr(0, 20), 5, want2},
      {"short header delivered", two + std::string(17, '\0'), 5, want2},
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

// A playback frame record: W = H0 + payload size unless given; H4 is 77.
std::string Frame(const std::string& payload, uint32_t h3, uint32_t h5, uint32_t h0 = 24,
                  int64_t w = -1) {
  return LE(w < 0 ? h0 + payload.size() : w) + LE(h0) + LE(0x89ABCDEF) + LE(0x01234567) + LE(h3) +
         LE(77) + LE(h5) + payload;
}

TEST(PlaybackStream, FramesUntilEndWordStopFrameHookOrUnfollowableRecord) {
  // Neither f1 nor f2 is the stop frame (value 7, frame 3) of the requests.
  const std::string f1 = Frame("one", 7, 0xFF000002), f2 = Frame("two", 8, 3);
  const std::string one = "1," + kTicks + ",2,7,77:one;", want2 = one + "0," + kTicks + ",3,8,77:two;";
  const std::string skip = std::string("\x02\0\0\0\x10\0\0\0", 8) + std::string(16, 's');
  const size_t f12 = f1.size() + f2.size();
  const struct { const char* fault; std::string bytes; size_t take; std::string want;
                 size_t consumed; } cases[] = {
      {"W = 2 record taken as a frame", skip + f1 + f2 + LE(0) + f1, 9, want2, 24 + f12 + 4},
      {"end word 1 not ending", f1 + f2 + LE(1) + f1, 9, want2, f12 + 4},
      {"stop frame passed", f1 + f2 + Frame("s", 7, 0xFE000003) + f1, 9,
       want2 + "0," + kTicks + ",3,7,77:s;", f12 + 29},
      {"hook's true ignored", f1 + f2, 1, one, f1.size()},
      {"cut short mid payload", f1 + f2.substr(0, 30), 9, one, f1.size() + 30},
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
    EXPECT_EQ(Params(ByteVector(s.writes[0].begin(), s.writes[0].end())) + s.writes[1],
              Lines("7/50012", 11, 12, "", "", "original") + kControl) << c.fault;
    EXPECT_EQ(s.closed, 1) << c.fault;
  }
  FakeStream refused(f1, 1);
  refused.open_ok = false;
  EXPECT_FALSE(refused.GetPlaybackStream(11, 12, 7, 3));
  EXPECT_TRUE(refused.writes.empty() && refused.frames.empty() && refused.closed == 0);
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
    EXPECT_EQ(QM::Server::RspPkt_ParseMediaFileAVStreaming(c.reply.data(), c.reply.size(), nullptr),
              c.want) << c.fault;
}

}  // namespace
