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

// A request in the client's layout, with blanks and an entity in the credentials.
const char kRequest[] =
    "<SOAP-ENV:Envelope xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
    "xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\">\r\n<SOAP-ENV:Body>\r\n"
    "<a1:ClientRequestHeader id=\"ref-1\" xmlns:a1=\"http://x/Quillmark.LIB\">\r\n"
    "<CommandCode xsi:type=\"a2:CommandCodes\" xmlns:a2=\"x\">715</CommandCode>"
    "<UID id=\"ref-3\"> ad  min </UID><PWD>p&amp;w</PWD>\r\n<CookieID>77</CookieID>\r\n"
    "<CTKs>0</CTKs>\r\n<m_obj href=\"#ref-4\" />\r\n</a1:ClientRequestHeader>\r\n"
    "<a1:CommonCMDHeader id=\"ref-4\" xmlns:a1=\"http://x/Quillmark.LIB\">\r\n"
    "<IntParameter1>-12</IntParameter1>\r\n<IntParameter2>0</IntParameter2>\r\n"
    "<StrParameter1 id=\"ref-5\">2013-05-07T00:00:00</StrParameter1>\r\n"
    "<StrParameter2 id=\"ref-6\" />\r\n<StrParameter3 id=\"ref-7\" />\r\n"
    "</a1:CommonCMDHeader>\r\n</SOAP-ENV:Body>\r\n</SOAP-ENV:Envelope>\r";

TEST(ParseEnvelope, ExtractsEveryFieldKeepingBlanksAndDecodingEntities) {
  SimRequest r;
  std::string error;
  ASSERT_TRUE(ParseEnvelope(kRequest, &r, &error)) << error;
  EXPECT_EQ(r.command, 715u);
  EXPECT_EQ(r.uid, " ad  min ");
  EXPECT_EQ(r.pwd, "p&w");
  EXPECT_EQ(r.cookie, 77u);
  EXPECT_TRUE(r.camera_valid && r.camera == -12) << r.camera;
  EXPECT_EQ(r.str1, "2013-05-07T00:00:00");
  EXPECT_EQ(r.str2, "");
}

TEST(ParseEnvelope, MarkupAtTheLimitAcceptedOneMoreOrDeepNestingRefused) {
  std::string text = kRequest;
  const std::size_t used = std::count(text.begin(), text.end(), '<');
  for (std::size_t i = used; i < kMaxEnvelopeMarkup; ++i) text += "<!---->";
  SimRequest r;
  std::string error;
  // A NUL byte ends the text, as in C: markup behind it does not count.
  EXPECT_TRUE(ParseEnvelope(text + '\0' + std::string(5000, '<'), &r, &error)) << error;
  EXPECT_FALSE(ParseEnvelope(text + "<!---->", &r, &error));
  EXPECT_NE(error.find("markup"), std::string::npos) << error;
  // Nesting this deep would exhaust the stack of the recursive parser.
  std::string deep;
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
