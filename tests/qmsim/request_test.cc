// Reading requests: frame length bounds, envelope fields and markup limit,
// scenario loading errors (each with file and line).
#include <gtest/gtest.h>
#include <sys/socket.h>

#include <algorithm>
#include <thread>

#include "../support/run_capture.h"
#include "envelope.h"
#include "frame_reader.h"
#include "scenario.h"

using namespace qmsim;

namespace {

TEST(ReadRequestFrame, LengthBelowFiveOrAboveOneMebibyteIsRefusedUnread) {
  const struct { std::uint32_t n; bool ok; } cases[] = {
      {4, false}, {5, true}, {kMaxFrameLength, true}, {kMaxFrameLength + 1, false}};
  for (const auto& [n, ok] : cases) {
    int fds[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
    Connection local(UniqueFd(fds[0]), -1, ConnectionDeadline::Total(60000));
    Connection peer(UniqueFd(fds[1]), -1, ConnectionDeadline::Total(60000));
    std::string bytes{'\x06', char(n), char(n >> 8), char(n >> 16), char(n >> 24)};
    bytes += std::string(ok ? n - 5 : 4, 'x') + "EXTRA";  // length n, then the next frame
    std::size_t sent = 0;
    std::thread writer([&] { peer.SendAll(bytes.data(), bytes.size(), &sent); });
    const FrameRead got = ReadRequestFrame(local);
    writer.join();
    EXPECT_EQ(got.status, ok ? FrameStatus::kComplete : FrameStatus::kBadLength) << n;
    EXPECT_EQ(got.raw.size(), ok ? n : kFramePrefixSize) << "read past the frame";
  }
}

// A frame that stops coming in ends by the peer's close, the deadline or a
// stop request, whichever comes first; the bytes that came are kept. A stop
// request goes before data waiting to be read.
TEST(ReadRequestFrame, UnfinishedFrameEndsOnCloseDeadlineOrStopRequest) {
  const struct { int sent; const char* then; FrameStatus status; std::size_t kept; } cases[] = {
      {3, "close", FrameStatus::kNoPrefix, 3}, {9, "close", FrameStatus::kShort, 9},
      {3, "deadline", FrameStatus::kDeadline, 3}, {9, "deadline", FrameStatus::kDeadline, 9},
      {9, "stop", FrameStatus::kStopped, 0}};
  for (const auto& c : cases) {
    int fds[2], stop[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
    ASSERT_EQ(::pipe(stop), 0);
    UniqueFd peer(fds[1]), stop_read(stop[0]), stop_write(stop[1]);
    const bool by_deadline = std::string(c.then) == "deadline";
    Connection local(UniqueFd(fds[0]), stop_read.Get(),
                     ConnectionDeadline::Total(by_deadline ? 50 : 60000));
    ASSERT_EQ(::send(peer.Get(), "\x06\x20\0\0\0abcd", c.sent, 0), c.sent);  // length 32
    if (std::string(c.then) == "close") peer.Reset();
    if (std::string(c.then) == "stop") {
      ASSERT_EQ(::write(stop_write.Get(), "s", 1), 1);
    }
    const FrameRead got = ReadRequestFrame(local);
    EXPECT_EQ(got.status, c.status) << c.sent << " then " << c.then;
    EXPECT_EQ(got.raw.size(), c.kept) << c.sent << " then " << c.then;
  }
}

// Credentials are compared as sent: blanks kept, entities decoded. A NUL
// byte ends the text, as in C: markup behind it does not count.
TEST(ParseEnvelope, KeepsBlanksDecodesEntitiesMarkupAtTheLimitAcceptedOneMoreRefused) {
  std::string text = "<Envelope><Body><ClientRequestHeader><CommandCode>715</CommandCode>"
      "<UID> ad  min </UID><PWD>p&amp;w</PWD></ClientRequestHeader></Body></Envelope>";
  for (std::size_t i = std::count(text.begin(), text.end(), '<'); i < kMaxEnvelopeMarkup; ++i)
    text += "<!---->";
  SimRequest r;
  std::string error;
  ASSERT_TRUE(ParseEnvelope(text + '\0' + std::string(5000, '<'), &r, &error)) << error;
  EXPECT_EQ(std::to_string(r.command) + "|" + r.uid + "|" + r.pwd, "715| ad  min |p&w");
  EXPECT_FALSE(ParseEnvelope(text + "<!---->", &r, &error));  // before any parsing
  EXPECT_NE(error.find("markup"), std::string::npos) << error;
}

TEST(LoadScenarioFile, ErrorsNameTheFileLineAndFaultAndKeepTheOldScenario) {
  qmtest::TempDir dir;
  const std::string pad(kMaxScenarioBytes - 11, ' ');
  const std::string day = "2013-05-07T10:00:00";
  std::string deep;
  for (int i = 0; i < 50000; ++i) deep += "<a>";
  const struct { std::string text; const char* part; } cases[] = {
      {"", "No such file"},  // not written
      {"<scenario>\n<camera id='1'>\n</scenario>\n", "line 3: malformed XML"},
      {"<scenario>\n<camera id='1'>\n<note/></camera></scenario>", "line 3: unknown element"},
      {"<scenario>\n\n<camera id='1'><motion start='2013-05-07T10:00:00' "
       "end='2013-05-07T09:00:00'/></camera></scenario>", "line 3: end 2013-05-07T09:00:00 lies"},
      {"<scenario>\n<camera id='1'>\n" + deep, "line 3: elements nested deeper than 32 levels"},
      {"<scenario>\n<camera id='1'>\n<!--" + deep + "-->" + std::string(32, '\n') +
       "<file id='1' name='>" + deep + "' tpye='1' start='" + day + "' end='" + day + "'/>"
       "</camera></scenario>", "line 35: unknown attribute \"tpye\" on <file>"},
      {"<scenario>\n<camera id='1'>\n<file id='4' start='" + day + "' end='" + day + "'/>\n"
       "<motion file='5' start='" + day + "' end='" + day + "'/></camera></scenario>",
       "line 4: motion refers to file 5, which camera 1 does not have"},
      {"<scenario>\n<camera id='1'>\n<file id='4' start='" + day + "' end='" + day + "'/>"
       "</camera>\n<camera id='2'><file id='4' start='" + day + "' end='" + day + "'/></camera>"
       "</scenario>", "line 4: file id 4 already used on line 3"},
      {"<scenario/>" + pad, nullptr},  // exactly the largest size read
      {"<scenario/>" + pad + " ", "is larger than"},
  };
  for (const auto& c : cases) {
    const std::string path = dir.File(std::to_string(&c - cases) + ".xml");
    if (!c.text.empty()) qmtest::WriteWholeFile(path, c.text);
    Scenario s;
    s.cameras[99] = SimCamera();  // the old scenario
    std::string error;
    EXPECT_EQ(LoadScenarioFile(path, &s, &error), c.part == nullptr) << error;
    if (!c.part) continue;
    EXPECT_TRUE(error.find(path) != std::string::npos && error.find(c.part) != std::string::npos &&
                s.cameras.count(99) == 1) << error;
  }
}

}  // namespace
