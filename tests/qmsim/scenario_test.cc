// Scenario loading (errors must be clear, the sample must load) and answering
// requests from a scenario.
#include <gtest/gtest.h>

#include <cstdio>
#include <unistd.h>
#include <cstdlib>
#include <string>

#include "dataset_reply.h"
#include "day_tracker.h"
#include "request_handler.h"
#include "scenario.h"

namespace qmsim {
namespace {

TEST(ParseScenarioText, ReadsCamerasFilesMotionsAndDefaults) {
  Scenario s;
  std::string error;
  ASSERT_TRUE(ParseScenarioText(
      "<scenario><camera id='12'>"
      "<file id='1' name='a&amp;b' start='2013-05-07T08:00:12-04:00' "
      "end='2013-05-07T08:59:40-04:00' type='2' frames='107580'/>"
      "<file id='2' start='2013-05-07T09:00:00' end='2013-05-07T09:00:00'/>"
      "<motion start='2013-05-07T08:10:00Z' end='2013-05-07T08:20:00Z'/>"
      "</camera><camera id='3'/></scenario>",
      &s, &error))
      << error;
  ASSERT_EQ(s.cameras.size(), 2u);
  const SimCamera* cam = s.FindCamera(12);
  ASSERT_NE(cam, nullptr);
  ASSERT_EQ(cam->files.size(), 2u);
  EXPECT_EQ(cam->files[0].name, "a&b");
  EXPECT_EQ(cam->files[0].start_text, "2013-05-07T08:00:12-04:00");
  EXPECT_EQ(cam->files[0].type, 2u);
  EXPECT_EQ(cam->files[0].frames, 107580u);
  EXPECT_EQ(cam->files[1].name, "");
  EXPECT_EQ(cam->files[1].frames, 0u);
  ASSERT_EQ(cam->motions.size(), 1u);
  EXPECT_EQ(cam->motions[0].file_id, 0u);
  EXPECT_EQ(s.FindCamera(-12), nullptr);
  EXPECT_EQ(s.FindCamera(5), nullptr);
}

TEST(ParseScenarioText, FaultsAreRefusedWithAMessageNamingThem) {
  struct Case {
    const char* text;
    const char* message_part;
  };
  const Case cases[] = {
      {"<scenario><camera id='1'>", "malformed XML"},
      {"", "malformed XML"},
      {"<cameras/>", "<scenario>"},
      {"<scenario><cam id='1'/></scenario>", "unknown element <cam>"},
      {"<scenario><camera/></scenario>", "lacks attribute \"id\""},
      {"<scenario><camera id='x'/></scenario>", "not an unsigned number"},
      {"<scenario><camera id='1'/><camera id='1'/></scenario>", "appears twice"},
      {"<scenario><camera id='1'><file start='2013-05-07T00:00:00' "
       "end='2013-05-07T00:00:00'/></camera></scenario>",
       "lacks attribute \"id\""},
      {"<scenario><camera id='1'><file id='1' start='2013-05-07T00:00:00'/>"
       "</camera></scenario>",
       "needs both"},
      {"<scenario><camera id='1'><file id='1' start='2013-05-07 00:00:00' "
       "end='2013-05-07T00:00:00'/></camera></scenario>",
       "bad time \"2013-05-07 00:00:00\""},
      {"<scenario><camera id='1'><motion start='2013-05-07T10:00:00' "
       "end='2013-05-07T09:00:00'/></camera></scenario>",
       "lies before start"},
      {"<scenario><camera id='1'><file id='1' frames='-5' start='2013-05-07T00:00:00' "
       "end='2013-05-07T00:00:00'/></camera></scenario>",
       "\"frames\""},
      {"<scenario><camera id='1'><note/></camera></scenario>", "unknown element <note>"},
  };
  for (const Case& c : cases) {
    Scenario s;
    s.cameras[99] = SimCamera();
    std::string error;
    EXPECT_FALSE(ParseScenarioText(c.text, &s, &error)) << c.text;
    EXPECT_NE(error.find(c.message_part), std::string::npos)
        << "input: " << c.text << "\nmessage: " << error;
    EXPECT_EQ(s.cameras.count(99), 1u) << "output replaced on failure";
  }
}

TEST(LoadScenarioFile, MissingFileNamesPathAndReason) {
  Scenario s;
  std::string error;
  EXPECT_FALSE(LoadScenarioFile("/nonexistent/qmsim/none.xml", &s, &error));
  EXPECT_NE(error.find("/nonexistent/qmsim/none.xml"), std::string::npos) << error;
  EXPECT_NE(error.find("No such file"), std::string::npos) << error;
}

TEST(LoadScenarioFile, MalformedFileNamesPathAndLine) {
  char path[] = "/tmp/qmsim_scenario_XXXXXX";
  const int fd = ::mkstemp(path);
  ASSERT_GE(fd, 0);
  const std::string text = "<scenario>\n<camera id='1'>\n</scenario>\n";
  ASSERT_EQ(::write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
  ::close(fd);
  Scenario s;
  std::string error;
  EXPECT_FALSE(LoadScenarioFile(path, &s, &error));
  ::unlink(path);
  EXPECT_NE(error.find(path), std::string::npos) << error;
  EXPECT_NE(error.find("line 3"), std::string::npos) << error;
}

class SampleDay : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(LoadScenarioFile(QM_SOURCE_DIR "/scenarios/sample_day.xml", &scenario_,
                                 &error))
        << error;
  }
  SimRequest Request(std::uint32_t code, const char* s1, const char* s2 = "") {
    SimRequest r;
    r.command = code;
    r.uid = "admin";
    r.pwd = "pw";
    r.camera_valid = true;
    r.camera = 12;
    r.str1 = s1;
    r.str2 = s2;
    return r;
  }
  Scenario scenario_;
  const Credentials creds_{"admin", "pw"};
};

TEST_F(SampleDay, TrackerShowsTheDaysGaps) {
  const SimReply reply =
      AnswerRequest(Request(kCmdGetDateTimeTracker, "05.07.2013"), scenario_, creds_);
  ASSERT_EQ(reply.bytes.size(), kTrackerBytes);
  EXPECT_EQ(reply.summary, "324 camera=12 date=05.07.2013");
  // 09:00-09:59 is a gap (hour 9: bytes 72-79); 08:59 recorded (byte 71 bit 3).
  for (std::size_t i = 72; i < 80; ++i) EXPECT_EQ(reply.bytes[i], 0) << i;
  EXPECT_EQ(static_cast<unsigned char>(reply.bytes[71]), 0x0F);
  // 00:00 recorded: the day's first file starts at 00:00:05.
  EXPECT_EQ(static_cast<unsigned char>(reply.bytes[0]) & 1, 1);
}

TEST_F(SampleDay, WindowOfTheDayListsOnlyThatDaysFilesAndMotions) {
  const SimReply files = AnswerRequest(
      Request(kCmdGetRecordingInfo, "2013-05-07T00:00:00", "2013-05-08T00:00:00"), scenario_,
      creds_);
  EXPECT_TRUE(files.is_dataset);
  EXPECT_EQ(files.outcome, "ok 6 rows");
  EXPECT_EQ(files.bytes.find("2013-05-06T"), std::string::npos);
  EXPECT_EQ(files.bytes.find("2013-05-08T"), std::string::npos);
  const SimReply motions = AnswerRequest(
      Request(kCmdGetMotionInfo, "2013-05-07T00:00:00", "2013-05-08T00:00:00"), scenario_,
      creds_);
  EXPECT_EQ(motions.outcome, "ok 6 rows");
}

TEST_F(SampleDay, WrongCredentialsGetTheLoginFailureDocument) {
  for (const std::uint32_t code : {kCmdGetDateTimeTracker, kCmdGetRecordingInfo,
                                   kCmdGetMotionInfo}) {
    SimRequest r = Request(code, "05.07.2013");
    r.pwd = "wrong";
    SimReply reply = AnswerRequest(r, scenario_, creds_);
    EXPECT_EQ(reply.bytes, kLoginFailureDocument) << code;
    EXPECT_EQ(reply.outcome, "login-refused");
    EXPECT_EQ(reply.summary.find("wrong"), std::string::npos) << "password in log";
    r.pwd = "pw";
    r.uid = "Admin";
    EXPECT_EQ(AnswerRequest(r, scenario_, creds_).outcome, "login-refused");
  }
}

TEST_F(SampleDay, UnanswerableRequestsGetZeroTrackerOrEmptyDataSet) {
  struct Case {
    SimRequest request;
    const char* outcome;
  };
  SimRequest unknown_cam = Request(kCmdGetDateTimeTracker, "05.07.2013");
  unknown_cam.camera = 13;
  SimRequest invalid_cam = Request(kCmdGetRecordingInfo, "2013-05-07T00:00:00",
                                   "2013-05-08T00:00:00");
  invalid_cam.camera_valid = false;
  const Case cases[] = {
      {Request(kCmdGetDateTimeTracker, "2013.05"), "bad-date"},
      {Request(kCmdGetDateTimeTracker, "02.30.2013"), "bad-date"},
      {unknown_cam, "unknown-camera"},
      {Request(kCmdGetRecordingInfo, "2013-05-07", "2013-05-08T00:00:00"), "bad-window 0 rows"},
      {invalid_cam, "unknown-camera 0 rows"},
  };
  for (const Case& c : cases) {
    const SimReply reply = AnswerRequest(c.request, scenario_, creds_);
    EXPECT_EQ(reply.outcome, c.outcome) << reply.summary;
    if (c.request.command == kCmdGetDateTimeTracker) {
      EXPECT_EQ(reply.bytes, std::string(kTrackerBytes, '\0')) << reply.summary;
    } else {
      EXPECT_NE(reply.bytes.find("<NewDataSet></NewDataSet>"), std::string::npos);
    }
  }
}

TEST_F(SampleDay, UnknownCommandGetsNoReplyEvenWithWrongCredentials) {
  SimRequest r = Request(414, "");
  r.pwd = "wrong";
  const SimReply reply = AnswerRequest(r, scenario_, creds_);
  EXPECT_TRUE(reply.bytes.empty());
  EXPECT_EQ(reply.outcome, "unknown-command");
}

TEST(LogSafe, ControlBytesAndLongTextsCannotBreakTheLogLine) {
  EXPECT_EQ(LogSafe("a\nb\x01\xC3"), "a?b??");
  EXPECT_EQ(LogSafe(std::string(100, 'x'), 8), "xxxxxxxx...");
}

}  // namespace
}  // namespace qmsim
