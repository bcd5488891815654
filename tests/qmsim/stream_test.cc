// The two streams over a socket pair: the frame and record layouts, how each
// fault spoils a stream, the control message, the refused login, and a
// client that leaves mid-stream.
#include <gtest/gtest.h>
#include <sys/socket.h>

#include "faults.h"
#include "serve_stream.h"
#include "sim_state.h"
#include "stream_frames.h"

using namespace qmsim;

namespace {

const char kScenario[] =
    "<scenario><camera id='261' width='640' height='480' fps='5'><file id='4' name='f' "
    "start='2013-05-07T00:00:00' end='2013-05-07T00:00:02' frames='3'/>"
    "<stream live-frames='3' bytes='2' key-interval='2' skip-bytes='3'/></camera></scenario>";

struct Served {
  std::string outcome, bytes;
};

// Serves one stream on a socket pair: `sent` arrives first and the client
// closes its sending side (or, with `leave`, the whole socket); returns the
// outcome and everything qmsim sent.
template <class Serve>
Served ServeOn(Serve serve, const std::string& sent, bool leave = false) {
  int fds[2];
  EXPECT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
  EXPECT_EQ(::send(fds[1], sent.data(), sent.size(), 0), ssize_t(sent.size()));
  leave ? ::close(fds[1]) : ::shutdown(fds[1], SHUT_WR);
  Served served;
  {
    Connection connection(UniqueFd(fds[0]), -1, ConnectionDeadline::PerIdle(10000));
    served.outcome = serve(connection);
  }
  char buffer[4096];
  for (ssize_t n; !leave && (n = ::recv(fds[1], buffer, sizeof buffer, 0)) > 0;) served.bytes.append(buffer, size_t(n));
  if (!leave) ::close(fds[1]);
  return served;
}

struct Fixture : qmtest::SimState {
  Fixture() : SimState(kScenario) { options.credentials = {"pw", "pw"}; }
  ServerOptions options;
  const SimCamera& Camera() const { return scenario.cameras.at(261); }
};

SimRequest Request(std::uint32_t code, const std::string& password = "pw") {
  SimRequest r;
  r.command = code, r.uid = "pw", r.pwd = password;
  r.camera_valid = r.int2_valid = true, r.camera = 261, r.int2 = 4;
  r.stream_items = {kBadStreamItem, 99, 261};
  return r;
}

std::string LE32(std::uint32_t v) { return {char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; }

TEST(StreamFrames, LiveHeaderAndPlaybackRecordLayouts) {
  Fixture f;
  EXPECT_EQ(LiveFrame(f.Camera(), 1),
            std::string("\0\0\x14\0\0\0\x01\0\0\0\x05\0\x80\x02\xe0\x01\x05\0\x01\x02", 20));
  const std::uint64_t ticks = 635034816000000000ull + 20000000ull;  // frame 2: 2 s in
  EXPECT_EQ(PlaybackRecord(f.Camera(), f.Camera().files[0], 2),
            LE32(26) + LE32(24) + LE32(std::uint32_t(ticks)) + LE32(std::uint32_t(ticks >> 32)) +
                LE32(4) + LE32(261) + LE32(1u << 24 | 2) + "\x02\x03");
}

// Each fault's effect on a live stream of three frames; a refused login
// gets the document, a list without a known camera nothing.
TEST(ServeLiveStream, FaultsSpoilTheStreamWhereTheySayAndLoginOrCameraStopIt) {
  Fixture f;
  const SimCamera& c = f.Camera();
  const std::string frames = LiveFrame(c, 0) + LiveFrame(c, 1) + LiveFrame(c, 2);
  const struct { FaultMode fault; const char* password; std::string bytes; const char* outcome; } cases[] = {
      {FaultMode::kNone, "pw", frames, "ok 3 frames of camera 261; 60 bytes sent"},
      {FaultMode::kCutFrame, "pw", frames.substr(0, 39), "1 of 3 frames of camera 261, fault=cut-frame at frame 1; 39"},
      {FaultMode::kOversized, "pw", LiveFrame(c, 0) + LiveFrame(c, 1, kOversizedLength), "fault=oversized at frame 1"},
      {FaultMode::kTruncated, "pw", LiveFrame(c, 0), "1 of 3 frames of camera 261, fault=truncated; 20"},
      {FaultMode::kPad, "pw", frames, "ok 3 frames of camera 261; fault=pad not applied (a stream), 60"},
      {FaultMode::kClose, "pw", "", "fault=close: nothing sent"},
      {FaultMode::kMalformed, "pw", kMalformedDocument, "fault=malformed instead of the stream"},
      {FaultMode::kNone, "bad", "<string>Login Error</string>", "login-refused for user \"pw\"; 28 bytes"},
  };
  for (const auto& k : cases) {
    f.options.fault.mode = k.fault;
    const Served s = ServeOn([&](Connection& conn) {
      return ServeLiveStream(conn, Request(2, k.password), f.state, f.options);
    }, "");
    EXPECT_EQ(s.bytes, k.bytes) << FaultModeName(k.fault);
    EXPECT_NE(s.outcome.find(k.outcome), std::string::npos) << s.outcome;
  }
  SimRequest unknown = Request(2);
  unknown.stream_items = {7};
  f.options.fault.mode = FaultMode::kNone;
  EXPECT_EQ(ServeOn([&](Connection& conn) { return ServeLiveStream(conn, unknown, f.state, f.options); }, "").outcome,
            "unknown-camera: nothing sent");
}

// Nothing is sent before the control message (4, 1); then the frame records
// with the W = 2 record after the first and the end word; an unknown file
// gets the end word alone; a client that left is logged, not waited for.
TEST(ServePlaybackStream, ControlMessageThenRecordsSkipRecordAndEndWord) {
  Fixture f;
  const SimCamera& c = f.Camera();
  const SimFile& file = c.files[0];
  const std::string control = LE32(4) + LE32(1);
  const std::string skip = LE32(2) + LE32(3) + "SSS";
  const std::string whole = PlaybackRecord(c, file, 0) + skip + PlaybackRecord(c, file, 1) +
                            PlaybackRecord(c, file, 2) + LE32(1);
  SimRequest other_file = Request(50012);
  other_file.int2 = 5;
  const struct { SimRequest request; std::string sent; FaultMode fault; std::string bytes; const char* outcome; } cases[] = {
      {Request(50012), control, FaultMode::kNone, whole, "ok 3 of 3 frames of file 4, end word 1; 105 bytes"},
      {Request(50012), LE32(4) + LE32(2), FaultMode::kNone, "", "bad control message 0400000002000000; nothing"},
      {Request(50012), LE32(4), FaultMode::kNone, "", "no control message (4 bytes, peer closed); nothing"},
      {other_file, control, FaultMode::kNone, LE32(1), "unknown-file: end word only; 4 bytes"},
      {Request(50012), control, FaultMode::kCutFrame, PlaybackRecord(c, file, 0) + skip +
       PlaybackRecord(c, file, 1).substr(0, 29), "1 of 3 frames of file 4, fault=cut-frame at frame 1"},
      {Request(50012), control, FaultMode::kTruncated, PlaybackRecord(c, file, 0) + skip,
       "1 of 3 frames of file 4, fault=truncated (no end word)"},
      {Request(50012, "bad"), control, FaultMode::kNone, "<string>Login Error</string>", "login-refused"},
  };
  for (const auto& k : cases) {
    f.options.fault.mode = k.fault;
    const Served s = ServeOn([&](Connection& conn) {
      return ServePlaybackStream(conn, k.request, f.state, f.options);
    }, k.sent);
    EXPECT_EQ(s.bytes, k.bytes) << k.outcome;
    EXPECT_NE(s.outcome.find(k.outcome), std::string::npos) << s.outcome;
  }
  f.options.fault.mode = FaultMode::kNone;
  f.scenario.cameras.at(261).files[0].frames = 100000;  // far more than a socket buffer holds
  const Served left = ServeOn([&](Connection& conn) {
    return ServePlaybackStream(conn, Request(50012), f.state, f.options);
  }, control, true);
  EXPECT_NE(left.outcome.find(" of 100000 frames of file 4; "), std::string::npos) << left.outcome;
  EXPECT_NE(left.outcome.find("(peer gone)"), std::string::npos) << left.outcome;
}

}  // namespace
