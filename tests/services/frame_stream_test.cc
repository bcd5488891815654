// The live frame reassembler: where it asks each piece to go, one stream fed
// in pieces of every size from 1 to 64 bytes, and its answers to frames and
// callers it cannot follow. Every piece is copied to the place and length it
// asked for, so a place or length past a buffer shows under the sanitizers.
#include <algorithm>
#include <cstring>

#include <gtest/gtest.h>

#include "services/frame_stream.h"
#include "tests/services/ptz_stream_test_util.h"

namespace {

using namespace qm_svc_test;
using QM::FrameStream;

std::string Summary(const FrameStream& s) {
  const QM::LiveFrameHeader h = s.FrameHeader();
  return std::to_string(h.value_a) + "," + std::to_string(h.key_frame) + "," +
         std::to_string(h.value_e) + ":" +
         std::string(reinterpret_cast<const char*>(s.Payload()), s.PayloadLength()) + ";";
}

// Feeds a stream in reads of at most `piece` bytes, each taking no more than
// was asked for; Give returns the frames completed.
struct Feeder {
  explicit Feeder(FrameStream& stream) : s(stream), place(s.GetInputMetadata(-1, &want)) {}
  std::string Give(const std::string& bytes, size_t piece) {
    std::string frames;
    for (size_t at = 0; at < bytes.size();) {
      const size_t n = std::min({piece, size_t(want), bytes.size() - at});
      std::memcpy(place, bytes.data() + at, n);
      at += n;
      place = s.GetInputMetadata(int(n), &want);
      if (s.FrameComplete()) frames += Summary(s);
    }
    return frames;
  }
  // Asks for the place again (after AllocBitstream).
  void Reask() { place = s.GetInputMetadata(0, &want); }
  FrameStream& s;
  unsigned int want = 0;
  unsigned char* place;
};

std::string Feed(FrameStream& s, const std::string& bytes, size_t piece) {
  return Feeder(s).Give(bytes, piece);
}

TEST(FrameStream, AsksEighteenThenTheRestOfTheHeaderThenThePayloadInTheBitstream) {
  FrameStream s;
  const std::string frame = Live(std::string(100, 'p'), 9);  // frame length 118
  unsigned int want = 0;
  unsigned char* header = s.GetInputMetadata(-1, &want);
  EXPECT_EQ(want, 18u);
  std::memcpy(header, frame.data(), 10);
  EXPECT_EQ(s.GetInputMetadata(10, &want), header + 10);
  EXPECT_EQ(want, 8u);
  std::memcpy(header + 10, frame.data() + 10, 8);
  unsigned char* payload = s.GetInputMetadata(8, &want);
  EXPECT_EQ(payload, s.Payload());
  EXPECT_EQ(want, 100u);
  EXPECT_FALSE(s.FrameComplete());
  std::memcpy(payload, frame.data() + 18, 100);
  EXPECT_EQ(s.GetInputMetadata(100, &want), header);
  EXPECT_EQ(want, 18u);
  EXPECT_EQ(Summary(s), "9,1,0:" + std::string(100, 'p') + ";");
}

TEST(FrameStream, OneStreamInPiecesOfEverySizeGivesTheSameFrames) {
  std::string payload(300, '\0');
  for (size_t i = 0; i < payload.size(); ++i) payload[i] = char(i * 7 % 251);
  const std::string stream = Live("a", 1, 0, 1, 0, 0, 11) + Live("", 2, 0, 2) +
                             Live(payload, 3, 0, 1, 0, 0, 65535) + Live("xyz", 4, 0, 0);
  const std::string want = "1,1,11:a;2,0,0:;3,1,65535:" + payload + ";4,0,0:xyz;";
  for (size_t piece = 1; piece <= 64; ++piece) {
    FrameStream s;
    EXPECT_EQ(Feed(s, stream, piece), want) << "pieces of " << piece;
  }
}

TEST(FrameStream, BadLengthsAndOversizedPayloadsDroppedInStepNothingWrittenPastABuffer) {
  const std::string next = Live("ok", 5);
  const struct { const char* fault; unsigned int capacity; std::string stream, want;
                 unsigned int dropped; } cases[] = {
      {"length below 18 taken as a payload", 1024, Live("", 1, 0, 1, 0, 0, 0, 17) + next,
       "5,1,0:ok;", 1},
      {"length 0 taken as a payload", 1024, Live("", 1, 0, 1, 0, 0, 0, 0) + next, "5,1,0:ok;", 1},
      {"payload over capacity written past it", 64, Live(std::string(200, 'x'), 1) + next,
       "5,1,0:ok;", 1},
      {"payload at capacity refused", 64, Live(std::string(64, 'x'), 1), "1,1,0:" +
       std::string(64, 'x') + ";", 0},
      {"no bitstream: payload written nowhere", 0, Live(std::string(40, 'x'), 1) +
       Live("", 6), "6,1,0:;", 1},
  };
  for (const auto& c : cases) {
    for (size_t piece : {size_t(1), size_t(7), size_t(1000)}) {
      FrameStream s;
      ASSERT_TRUE(s.AllocBitstream(c.capacity));
      EXPECT_EQ(Feed(s, c.stream, piece), c.want) << c.fault << ", pieces of " << piece;
      EXPECT_EQ(s.FramesDropped(), c.dropped) << c.fault;
    }
  }
}

TEST(FrameStream, CountOverWhatWasAskedRestartsAtAHeader) {
  FrameStream s;
  unsigned int want = 0;
  s.GetInputMetadata(-1, &want);
  s.GetInputMetadata(10, &want);  // 8 header bytes asked for
  unsigned char* place = s.GetInputMetadata(9, &want);
  EXPECT_EQ(want, 18u);
  EXPECT_FALSE(s.FrameComplete());
  const std::string frame = Live("new", 8);
  std::memcpy(place, frame.data(), 18);
  std::memcpy(s.GetInputMetadata(18, &want), frame.data() + 18, 3);
  s.GetInputMetadata(3, &want);
  EXPECT_EQ(Summary(s), "8,1,0:new;");
  EXPECT_EQ(s.GetInputMetadata(-7, &want), place);  // negative: the same restart
  EXPECT_EQ(want, 18u);
}

TEST(FrameStream, ResizingKeepsUnreadPayloadAndDropsAFrameThatNoLongerFits) {
  FrameStream s;
  EXPECT_EQ(s.Capacity(), FrameStream::kDefaultCapacity);
  EXPECT_EQ(Feed(s, Live("done", 1), 64), "1,1,0:done;");
  // A finished frame moves with the buffer; a frame in progress continues in
  // a larger one and is dropped when the buffer shrinks below it.
  ASSERT_TRUE(s.AllocBitstream(8));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(s.Payload()), 4), "done");
  for (unsigned int size : {4096u, 5u}) {
    const std::string frame = Live("0123456789", 2) + Live("z", 3);
    ASSERT_TRUE(s.AllocBitstream(16));
    Feeder f(s);
    EXPECT_EQ(f.Give(frame.substr(0, 22), 64), "");
    ASSERT_TRUE(s.AllocBitstream(size));
    f.Reask();
    EXPECT_EQ(f.Give(frame.substr(22), 3), size == 5 ? "3,1,0:z;" : "2,1,0:0123456789;3,1,0:z;")
        << size;
  }
}

TEST(FrameStream, SwapReversesBytesAndEndianMatchesTheHost) {
  const unsigned char in[4] = {1, 2, 3, 4}, want[4] = {4, 3, 2, 1};
  unsigned int value = 0;
  std::memcpy(&value, in, 4);
  value = FrameStream::swap32(value);
  EXPECT_EQ(std::memcmp(&value, want, 4), 0);
  const unsigned int one = 1;
  EXPECT_EQ(FrameStream::check_endian(), *reinterpret_cast<const unsigned char*>(&one) != 1);
}

}  // namespace
