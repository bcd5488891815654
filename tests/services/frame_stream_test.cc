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
    for (size_t at = 0, n; at < bytes.size(); at += n) {
      n = std::min({piece, size_t(want), bytes.size() - at});
      std::memcpy(place, bytes.data() + at, n);
      place = s.GetInputMetadata(int(n), &want);
      if (s.FrameComplete()) frames += Summary(s);
    }
    return frames;
  }
  FrameStream& s;
  unsigned int want = 0;
  unsigned char* place;
};

TEST(FrameStream, AsksEighteenThenTheRestOfTheHeaderThenThePayloadInTheBitstream) {
  FrameStream s;
  const std::string frame = Live(std::string(100, 'p'), 9);  // frame length 118
  unsigned int want = 0;
  unsigned char* header = s.GetInputMetadata(-1, &want);
  EXPECT_EQ(want, 18u);
  std::memcpy(header, frame.data(), 18);
  EXPECT_EQ(s.GetInputMetadata(10, &want), header + 10);
  EXPECT_EQ(want, 8u);
  unsigned char* payload = s.GetInputMetadata(8, &want);
  EXPECT_TRUE(payload == s.Payload() && want == 100 && !s.FrameComplete());
  std::memcpy(payload, frame.data() + 18, 100);
  EXPECT_EQ(s.GetInputMetadata(100, &want), header);
  EXPECT_EQ(want, 18u);
  EXPECT_EQ(Summary(s), "9,1,0:" + std::string(100, 'p') + ";");
  // A count over the 18 asked for (or a negative one) restarts at a header.
  EXPECT_EQ(s.GetInputMetadata(19, &want), header);
  EXPECT_TRUE(want == 18 && !s.FrameComplete());
  EXPECT_EQ(Feeder(s).Give(Live("new", 8), 64), "8,1,0:new;");
}

TEST(FrameStream, OneStreamInPiecesOfEverySizeGivesTheSameFrames) {
  std::string payload(300, '\0');
  for (size_t i = 0; i < payload.size(); ++i) payload[i] = char(i * 7 % 251);
  const std::string stream =
      Live("a", 1, 0, 1, 11) + Live("", 2, 0, 2) + Live(payload, 3, 0, 1, 65535) + Live("xyz", 4, 0, 0);
  for (size_t piece = 1; piece <= 64; ++piece) {
    FrameStream s;
    EXPECT_EQ(Feeder(s).Give(stream, piece), "1,1,11:a;2,0,0:;3,1,65535:" + payload + ";4,0,0:xyz;")
        << "pieces of " << piece;
  }
}

TEST(FrameStream, BadLengthsAndOversizedPayloadsDroppedInStepNothingWrittenPastABuffer) {
  const std::string next = Live("ok", 5), big(64, 'x');
  const struct { const char* fault; unsigned int capacity; std::string stream, want;
                 unsigned int dropped; } cases[] = {
      {"length below 18 taken as a payload", 1024, Live("", 1, 0, 1, 0, 17) + next, "5,1,0:ok;", 1},
      {"length 0 taken as a payload", 1024, Live("", 1, 0, 1, 0, 0) + next, "5,1,0:ok;", 1},
      {"payload over capacity written past it", 64, Live(big + "y", 1) + next, "5,1,0:ok;", 1},
      {"payload at capacity refused", 64, Live(big, 1), "1,1,0:" + big + ";", 0},
      {"no bitstream: payload written nowhere", 0, Live(big, 1) + Live("", 6), "6,1,0:;", 1},
  };
  for (const auto& c : cases) {
    for (size_t piece : {1, 7, 1000}) {
      FrameStream s;
      ASSERT_TRUE(s.AllocBitstream(c.capacity));
      EXPECT_EQ(Feeder(s).Give(c.stream, piece), c.want) << c.fault << ", pieces of " << piece;
      EXPECT_EQ(s.FramesDropped(), c.dropped) << c.fault;
    }
  }
}

TEST(FrameStream, ResizingKeepsUnreadPayloadAndDropsAFrameThatNoLongerFits) {
  FrameStream s;
  EXPECT_EQ(s.Capacity(), FrameStream::kDefaultCapacity);
  EXPECT_EQ(Feeder(s).Give(Live("done", 1), 64), "1,1,0:done;");
  ASSERT_TRUE(s.AllocBitstream(8));  // a finished frame moves with the buffer
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(s.Payload()), 4), "done");
  for (unsigned int size : {4096u, 5u}) {  // mid-frame: continues, or is dropped
    const std::string frame = Live("0123456789", 2) + Live("z", 3);
    ASSERT_TRUE(s.AllocBitstream(16));
    Feeder f(s);
    EXPECT_EQ(f.Give(frame.substr(0, 22), 64), "");
    ASSERT_TRUE(s.AllocBitstream(size));
    f.place = s.GetInputMetadata(0, &f.want);
    EXPECT_EQ(f.Give(frame.substr(22), 3), size == 5 ? "3,1,0:z;" : "2,1,0:0123456789;3,1,0:z;");
  }
  const unsigned char in[4] = {1, 2, 3, 4}, want[4] = {4, 3, 2, 1}, one[4] = {1, 0, 0, 0};
  unsigned int value = 0;
  std::memcpy(&value, in, 4);
  value = FrameStream::swap32(value);
  EXPECT_EQ(std::memcmp(&value, want, 4), 0);
  EXPECT_EQ(FrameStream::check_endian(), std::memcmp(&(value = 1), one, 4) != 0);
}

}  // namespace
