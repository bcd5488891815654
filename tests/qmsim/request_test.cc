// Reading requests: frame length bounds, envelope fields and markup limit,
// scenario loading errors.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <thread>

#include "envelope.h"
#include "frame_reader.h"
#include "scenario.h"
#include "socket_io.h"

using namespace qmsim;

namespace {

TEST(ReadRequestFrame, LengthBelowFiveOrAboveOneMebibyteIsRefusedUnread) {
  const struct { std::uint32_t length; FrameStatus status; } cases[] = {
      {4, FrameStatus::kBadLength}, {5, FrameStatus::kComplete},
      {kMaxFrameLength, FrameStatus::kComplete}, {kMaxFrameLength + 1, FrameStatus::kBadLength}};
  for (const auto& c : cases) {
    int fds[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
    UniqueFd local(fds[0]), peer(fds[1]);
    const bool ok = c.status == FrameStatus::kComplete;
    std::string bytes{'\x06', char(c.length), char(c.length >> 8), char(c.length >> 16),
                      char(c.length >> 24)};
    bytes += std::string(ok ? c.length - 5 : 4, 'x') + "EXTRA";
    std::thread writer([&] { SendAll(peer.Get(), bytes.data(), bytes.size()); });
    const FrameRead got = ReadRequestFrame(local.Get());
    writer.join();
    EXPECT_EQ(got.status, c.status) << c.length;
    EXPECT_EQ(got.raw.size(), ok ? c.length : kFramePrefixSize) << "read past the frame";
  }
}

// Credentials are compared as sent: blanks kept, entities decoded. A NUL
// byte ends the text, as in C: markup behind it does not count.
TEST(ParseEnvelope, KeepsBlanksDecodesEntitiesMarkupAtTheLimitAcceptedOneMoreOrDeepNestingRefused) {
  std::string text = "<Envelope><Body><a1:ClientRequestHeader><CommandCode>715</CommandCode><UID> ad  min </UID>"
                     "<PWD>p&amp;w</PWD></a1:ClientRequestHeader></Body></Envelope>";
  for (std::size_t i = std::count(text.begin(), text.end(), '<'); i < kMaxEnvelopeMarkup; ++i) text += "<!---->";
  SimRequest r;
  std::string error;
  ASSERT_TRUE(ParseEnvelope(text + '\0' + std::string(5000, '<'), &r, &error)) << error;
  EXPECT_EQ(r.command, 715u);
  EXPECT_EQ(r.uid, " ad  min ");
  EXPECT_EQ(r.pwd, "p&w");
  EXPECT_FALSE(ParseEnvelope(text + "<!---->", &r, &error));
  EXPECT_NE(error.find("markup"), std::string::npos) << error;
  std::string deep;  // would exhaust the stack of the recursive parser
  for (int i = 0; i < 200000; ++i) deep += "<a>";
  error.clear();
  EXPECT_FALSE(ParseEnvelope(deep, &r, &error));
  EXPECT_NE(error.find("markup"), std::string::npos) << error;
}

TEST(LoadScenarioFile, ErrorsNameTheFileLineAndFaultAndKeepTheOldScenario) {
  char dir[] = "/tmp/qmsim_scenario_XXXXXX";
  ASSERT_NE(::mkdtemp(dir), nullptr);
  const std::string pad(kMaxScenarioBytes - 11, ' ');
  const struct { std::string text; const char* part; } cases[] = {
      {"", "No such file"},  // not written
      {"<scenario>\n<camera id='1'>\n</scenario>\n", "line 3: malformed XML"},
      {"<scenario>\n<camera id='1'>\n<note/></camera></scenario>", "line 3: unknown element"},
      {"<scenario>\n\n<camera id='1'><motion start='2013-05-07T10:00:00' "
       "end='2013-05-07T09:00:00'/></camera></scenario>", "line 3: end 2013-05-07T09:00:00 lies"},
      {"<scenario/>" + pad, nullptr},  // exactly the largest size read
      {"<scenario/>" + pad + " ", "is larger than"},
  };
  for (const auto& c : cases) {
    const std::string path = std::string(dir) + "/s" + std::to_string(&c - cases) + ".xml";
    if (!c.text.empty()) std::ofstream(path) << c.text;
    Scenario s;
    s.cameras[99] = SimCamera();
    std::string error;
    EXPECT_EQ(LoadScenarioFile(path, &s, &error), c.part == nullptr) << error;
    ::unlink(path.c_str());
    if (!c.part) continue;
    EXPECT_NE(error.find(path), std::string::npos) << error;
    EXPECT_NE(error.find(c.part), std::string::npos) << error;
    EXPECT_EQ(s.cameras.count(99), 1u) << "scenario replaced on failure";
  }
  ::rmdir(dir);
}

}  // namespace
