// Live and playback streams against qmsim: the request bytes, the frames
// the hooks receive (with QMLinux's own hooks and with a subclass taking N),
// and how a stream ends: end word, stop frame, server close, cut short.
#include "tests/services_e2e/services_e2e_util.h"

namespace services_e2e {
namespace {

const unsigned long long kFileStart = 635034816000000000ull + 9000 * 10000000ull;  // 02:30:00

// Camera 7: explicit live payloads (flag bytes 2 and by interval), file 701
// of four frames a second apart with 2-byte generated payloads; camera 8:
// generated live payloads, the playback end word 0.
const std::string kStreams =
    "<camera id='7' width='1280' height='720' fps='15'>"
    "<file id='701' name='D:\\7.vid' start='2013-05-07T02:30:00-04:00' end='2013-05-07T02:30:03-04:00' frames='4'/>"
    "<stream live-frames='5' key-interval='2'><frame flag='2' hex='00 01 02'/><frame text='P'/></stream>"
    "</camera><camera id='8'><file id='801' name='D:\\8.vid' start='2013-05-07T03:00:00-04:00' "
    "end='2013-05-07T03:00:01-04:00' frames='2'/><stream live-frames='3' bytes='4' end-word='0'/></camera>";

// A client that writes down every frame; it takes `limit` frames, or hands
// each frame to QMLinux's own hook when `own_hooks` is set.
struct Taker : QMLinux {
  using QMLinux::QMLinux;
  bool NewLiveFrame(unsigned a, bool key, unsigned b, unsigned c, unsigned d, unsigned short e,
                    QM::ByteVector& payload) override {
    frames.push_back(std::to_string(a) + (key ? " key " : " ") + std::to_string(b) + " " +
                     std::to_string(c) + "x" + std::to_string(d) + "@" + std::to_string(e) + " " +
                     Hex(payload));
    return own_hooks ? QMLinux::NewLiveFrame(a, key, b, c, d, e, payload) : frames.size() >= limit;
  }
  bool NewPlaybackFrame(bool key, unsigned long long ticks, unsigned number, unsigned value,
                        unsigned extra, QM::ByteVector& payload) override {
    frames.push_back(std::to_string(number) + (key ? " key +" : " +") +
                     std::to_string((ticks - kFileStart) / 10000000) + "s " + std::to_string(value) +
                     " " + std::to_string(extra) + " " + Hex(payload));
    return own_hooks ? QMLinux::NewPlaybackFrame(key, ticks, number, value, extra, payload)
                     : frames.size() >= limit;
  }
  static std::string Hex(const QM::ByteVector& bytes) {
    std::string out;
    for (unsigned char b : bytes) out += "0123456789abcdef"[b >> 4], out += "0123456789abcdef"[b & 15];
    return out;
  }
  bool own_hooks = false;
  size_t limit = 1000;
  std::vector<std::string> frames;
};

// QMLinux's live hook takes exactly one frame and closes; a subclass takes
// N; a stream that ends first (the server closes) gives what came; an
// unknown camera gives none. The data channel is the announced live port.
TEST(GetLiveStream, QmlinuxHooksTakeOneFrameASubclassTakesNAndTheServerCloseEndsIt) {
  const struct { unsigned camera; bool own; size_t limit; std::vector<std::string> frames; } cases[] = {
      {7, true, 0, {"0 7 1280x720@15 000102"}},  // flag byte 2: no key frame
      {7, false, 3, {"0 7 1280x720@15 000102", "1 7 1280x720@15 50", "2 7 1280x720@15 000102"}},
      {8, false, 10, {"0 key 8 0x0@0 00010203", "1 8 0x0@0 01020304", "2 8 0x0@0 02030405"}},
      {99, false, 10, {}}};
  for (const auto& c : cases) {
    Sim sim(kStreams);
    auto server = sim.Connect<Taker>();
    server->own_hooks = c.own, server->limit = c.limit;
    ASSERT_TRUE(server->GetServerAndCameraMetadata());
    ASSERT_EQ(server->GetLivePort(), sim.LivePort());
    EXPECT_TRUE(server->GetLiveStream(c.camera));
    EXPECT_EQ(server->frames, c.frames) << "camera " << c.camera << " limit " << c.limit;
    EXPECT_TRUE(sim.AwaitLog("#3 2 live-stream: ")) << sim.Log();
    EXPECT_EQ(sim.Request(3), StreamFrame({c.camera}));
  }
}

// A playback stream runs to the end word (QMLinux's hook asks for every
// frame; the W = 2 record after the first frame delivers none), to the
// frame whose fourth header word and number match the stop values, or until
// the server cuts it short (mid-frame, or announcing an oversized frame).
TEST(GetPlaybackStream, RunsToTheEndWordToTheStopFrameOrUntilCutShort) {
  const std::vector<std::string> all = {"0 key +0s 701 7 0001", "1 +1s 701 7 0102",
                                        "2 key +2s 701 7 0203", "3 +3s 701 7 0304"};
  const struct { std::vector<std::string> args; bool own; unsigned stop_value, stop_frame; size_t frames; } cases[] = {
      {{}, true, 0, 0, 4},
      {{}, false, 701, 1, 2},
      {{}, false, 700, 1, 4},  // the frame number matches, the value does not
      {{"--fault", "cut-frame", "--fault-frame", "2"}, false, 0, 9, 2},
      {{"--fault", "oversized", "--fault-frame", "1"}, false, 0, 9, 1},
      {{"--fault", "truncated"}, false, 0, 9, 2}};
  for (const auto& c : cases) {
    Sim sim(kStreams.substr(0, kStreams.find("<stream")) + "<stream bytes='2' key-interval='2'/></camera>",
            c.args);
    auto server = sim.Connect<Taker>();
    server->own_hooks = c.own;
    EXPECT_FALSE(server->GetPlaybackStream(7, 701, c.stop_value, c.stop_frame));
    EXPECT_EQ(server->frames, std::vector<std::string>(all.begin(), all.begin() + c.frames))
        << (c.args.empty() ? "stop " + std::to_string(c.stop_value) : c.args[1]);
    EXPECT_EQ(sim.Request(1), Frame(7, 50012, {7, 701, 0, "", "", "original"}));
    if (c.frames == 4) {
      EXPECT_TRUE(sim.AwaitLog("ok 4 of 4 frames of file 701, end word 1")) << sim.Log();
    }
  }
}

// The end word 0 ends a stream as 1 does; an unknown file gets the end word
// alone; qmsim refuses a wrong password with the login document.
TEST(GetPlaybackStream, EndWordZeroUnknownFileAndRefusedLoginEndCleanly) {
  Sim sim(kStreams);
  auto server = sim.Connect<Taker>();
  server->GetPlaybackStream(8, 801, 0, 9);
  EXPECT_EQ(server->frames.size(), 2u);
  EXPECT_TRUE(sim.AwaitLog("#1 50012 playback-stream: ok 2 of 2 frames of file 801, end word 0"));
  server->GetPlaybackStream(8, 701, 0, 9);
  EXPECT_EQ(server->frames.size(), 2u);
  EXPECT_TRUE(sim.AwaitLog("#2 50012 playback-stream: unknown-file: end word only")) << sim.Log();
  auto refused = sim.Connect<Taker>("wrong");
  refused->GetPlaybackStream(8, 801, 0, 9);
  EXPECT_TRUE(refused->frames.empty());
  EXPECT_TRUE(sim.AwaitLog("#3 50012 playback-stream: login-refused")) << sim.Log();
}

}  // namespace
}  // namespace services_e2e
