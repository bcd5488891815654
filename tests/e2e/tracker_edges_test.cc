// Whole runs against an in-test server with canned replies, for days that
// qmsim would never describe: tracker minutes without any file, a file list
// that ignores the tracker, replies cut into many small pieces around the
// client's 1024-byte receive blocks.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "tests/e2e/canned_server.h"
#include "tests/e2e/e2e_support.h"

namespace e2e {
namespace {

const std::vector<Period> kTwoFiles = {{"08:00:12", "08:59:40"},
                                       {"10:00:05", "10:29:30"}};
// Tracker minutes 08:00-08:59 and 10:00-10:29, matching kTwoFiles.
const std::vector<std::pair<int, int>> kTwoRuns = {{480, 539}, {600, 629}};
// The same with minutes 09:10-09:12 in between, where no file lies.
const std::vector<std::pair<int, int>> kRunsWithGapMinutes = {
    {480, 539}, {550, 552}, {600, 629}};

struct CannedCase {
  const char* name;
  std::vector<std::pair<int, int>> tracker;
  std::vector<Period> files;
  std::vector<Period> motions;
  std::vector<std::string> rows;
};

void PrintTo(const CannedCase& c, std::ostream* os) { *os << c.name; }

const CannedCase kCases[] = {
    // An interval lying wholly between two files is dropped and the
    // intervals after it are renumbered.
    {"IntervalInTheGapBetweenFilesIsPruned",
     kRunsWithGapMinutes,
     kTwoFiles,
     {},
     {Row(1, 0, "08:00:12", "08:59:40"), Row(2, 0, "10:00:05", "10:29:30")}},
    // After pruning, a motion in the last interval must find it under its
    // new number.
    {"MotionAfterAPrunedIntervalFindsTheRenumberedInterval",
     kRunsWithGapMinutes,
     kTwoFiles,
     {{"10:10:00", "10:20:00"}},
     {Row(1, 0, "08:00:12", "08:59:40"), Row(2, 1, "10:10:00", "10:20:00")}},
    // Pruning needs a previous file: with one file the tracker interval
    // after it stays, with its minute edges.
    {"SingleFileNeverPrunes",
     {{480, 539}, {550, 552}},
     {{"08:00:12", "08:59:40"}},
     {},
     {Row(1, 0, "08:00:12", "08:59:40"), Row(2, 0, "09:10:00", "09:12:59")}},
    // Without files there is nothing to report, whatever the tracker says.
    {"EmptyFileListGivesNoRowsDespiteTrackerIntervals",
     kTwoRuns,
     {},
     {},
     {}},
    // The whole tracker set, answered by a server that lists no files:
    // still the three requests and an empty list.
    {"AllMinutesButNoFilesGivesNoRows", {{0, 1439}}, {}, {}, {}},
};

class E2eCannedDay : public E2eTest,
                  public ::testing::WithParamInterface<CannedCase> {};

TEST_P(E2eCannedDay, ExactResultFile) {
  const CannedCase& c = GetParam();
  ASSERT_TRUE(StoreCredentials(1, "operator", "demo-pass"));
  CannedScript script;
  script.replies = {{324, TrackerReply(c.tracker)},
                    {715, FilesReply(c.files)},
                    {716, MotionsReply(c.motions)}};
  CannedServer server(4011, script);
  ASSERT_TRUE(server.Listening());

  const qmtest::RunResult run = RunQmrecinfo(dir_, Query());

  EXPECT_FALSE(run.timed_out);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(qmtest::ReadWholeFile(dir_.File("result.txt")), ListFile(1, c.rows));
  EXPECT_EQ(server.Requests().size(), 3u);
}

INSTANTIATE_TEST_SUITE_P(
    E2e, E2eCannedDay, ::testing::ValuesIn(kCases),
    [](const ::testing::TestParamInfo<CannedCase>& info) {
      return info.param.name;
    });

// The files reply padded with trailing blanks to an exact size, so that it
// ends just before, on, or just after a 1024-byte receive block.
std::string FilesReplyOfSize(size_t size) {
  std::string reply = FilesReply(kTwoFiles);
  if (reply.size() < size) reply.append(size - reply.size(), ' ');
  return reply;
}

class E2eChunkedReplies : public E2eTest,
                       public ::testing::WithParamInterface<size_t> {};

// Every reply arrives in 7-byte pieces; the files reply has the size of the
// parameter. The client must collect all pieces across its block growth.
TEST_P(E2eChunkedReplies, RepliesInSmallPiecesAreCollectedWhole) {
  ASSERT_TRUE(StoreCredentials(1, "operator", "demo-pass"));
  CannedScript script;
  script.replies = {{324, TrackerReply(kTwoRuns)},
                    {715, FilesReplyOfSize(GetParam())},
                    {716, MotionsReply({{"08:10:00", "08:20:00"}})}};
  ASSERT_EQ(script.replies[715].size(), GetParam());
  script.chunk_size = 7;
  script.chunk_pause_ms = 1;
  CannedServer server(4011, script);
  ASSERT_TRUE(server.Listening());

  const qmtest::RunResult run = RunQmrecinfo(dir_, Query());

  EXPECT_FALSE(run.timed_out);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(qmtest::ReadWholeFile(dir_.File("result.txt")),
            ListFile(1, {Row(1, 1, "08:10:00", "08:20:00"),
                         Row(2, 0, "10:00:05", "10:29:30")}));
}

INSTANTIATE_TEST_SUITE_P(E2eFilesReplyBytes, E2eChunkedReplies,
                         ::testing::Values(1023u, 1024u, 1025u, 2048u));

}  // namespace
}  // namespace e2e
