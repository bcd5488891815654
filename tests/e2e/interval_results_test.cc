// Whole runs against qmsim: the files and motions of one day of camera 12
// go in as a scenario, the exact result file comes out. The day tracker is
// the one qmsim derives from the files, so these cases check the minute
// walk, the snapping to file edges and the motion merge together.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "tests/e2e/e2e_support.h"
#include "tests/e2e/sim_server.h"

namespace e2e {
namespace {

// Two recordings with a gap: tracker intervals 08:00-08:59:59 and
// 10:00-10:29:59.
const std::vector<Period> kTwoFiles = {{"08:00:12", "08:59:40"},
                                       {"10:00:05", "10:29:30"}};
const std::vector<std::string> kTwoFileRows = {
    Row(1, 0, "08:00:12", "08:59:40"), Row(2, 0, "10:00:05", "10:29:30")};

struct IntervalCase {
  const char* name;
  std::vector<Period> files;
  std::vector<Period> motions;
  std::vector<std::string> rows;  // the expected rows of the result file
};

void PrintTo(const IntervalCase& c, std::ostream* os) { *os << c.name; }

const IntervalCase kCases[] = {
    // Interval edges must move from whole minutes to the file edges.
    {"NoMotionIntervalsSnapToFileEdges", kTwoFiles, {}, kTwoFileRows},
    // An interval with motion is replaced by the motion, not written too.
    {"OneMotionReplacesItsInterval",
     kTwoFiles,
     {{"08:10:00", "08:20:00"}},
     {Row(1, 1, "08:10:00", "08:20:00"), Row(2, 0, "10:00:05", "10:29:30")}},
    // Motions are numbered in output order; the interval after them follows.
    {"TwoMotionsInOneIntervalThenTheNextInterval",
     kTwoFiles,
     {{"08:10:00", "08:20:00"}, {"08:30:00", "08:40:00"}},
     {Row(1, 1, "08:10:00", "08:20:00"), Row(2, 1, "08:30:00", "08:40:00"),
      Row(3, 0, "10:00:05", "10:29:30")}},
    // A motion over the gap is cut at the first interval's end and resumes
    // at the second interval's start.
    {"MotionSpanningBothIntervalsIsSplitAtTheGap",
     kTwoFiles,
     {{"08:50:00", "10:10:00"}},
     {Row(1, 1, "08:50:00", "08:59:40"), Row(2, 1, "10:00:05", "10:10:00")}},
    // A motion starting in the gap belongs to the interval it ends in and
    // starts where that interval's file starts.
    {"MotionStartingInTheGapStartsAtTheNextFile",
     kTwoFiles,
     {{"09:30:00", "10:05:00"}},
     {Row(1, 0, "08:00:12", "08:59:40"), Row(2, 1, "10:00:05", "10:05:00")}},
    // A motion touching no interval changes nothing.
    {"MotionWhollyInTheGapIsIgnored",
     kTwoFiles,
     {{"09:10:00", "09:20:00"}},
     kTwoFileRows},
    {"SingleFileGivesOneRowAtItsEdges",
     {{"08:00:12", "08:59:40"}},
     {},
     {Row(1, 0, "08:00:12", "08:59:40")}},
    // The interval still open after the last minute must be closed at
    // 23:59:59 of the query date.
    {"WholeDayRecordedGivesOneRowUpToTheLastSecond",
     {{"00:00:00", "23:59:59"}},
     {},
     {Row(1, 0, "00:00:00", "23:59:59")}},
    {"FirstAndThirdHourGiveTwoRowsNumberedOneAndTwo",
     {{"00:00:00", "00:59:59"}, {"02:00:00", "02:59:59"}},
     {},
     {Row(1, 0, "00:00:00", "00:59:59"), Row(2, 0, "02:00:00", "02:59:59")}},
    {"OnlyTheLastMinuteOfTheDay",
     {{"23:59:00", "23:59:59"}},
     {},
     {Row(1, 0, "23:59:00", "23:59:59")}},
    {"NoRecordingThatDayGivesAnEmptyList", {}, {}, {}},
};

class E2eIntervalResults : public E2eTest,
                        public ::testing::WithParamInterface<IntervalCase> {};

TEST_P(E2eIntervalResults, ExactResultFileAndThreeRequests) {
  const IntervalCase& c = GetParam();
  ASSERT_TRUE(StoreCredentials(1, "operator", "demo-pass"));
  SimOptions options;
  options.scenario = Scenario(c.files, c.motions);
  SimServer sim(dir_.path(), options);
  ASSERT_TRUE(sim.Listening()) << sim.Log();

  const qmtest::RunResult run = RunQmrecinfo(dir_, Query());
  sim.Stop();

  EXPECT_FALSE(run.timed_out);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(qmtest::ReadWholeFile(dir_.File("result.txt")), ListFile(1, c.rows))
      << sim.Log();
  // Also with nothing recorded, files and motions are still asked for.
  EXPECT_EQ(sim.Requests().size(), 3u) << sim.Log();
}

INSTANTIATE_TEST_SUITE_P(
    E2e, E2eIntervalResults, ::testing::ValuesIn(kCases),
    [](const ::testing::TestParamInfo<IntervalCase>& info) {
      return info.param.name;
    });

// The result file written out in full once, so that the header lines are
// checked literally and not only through the helper that builds them.
class E2eResultFile : public E2eTest {};

TEST_F(E2eResultFile, ListFormLinesLiterally) {
  ASSERT_TRUE(StoreCredentials(7, "operator", "demo-pass"));
  SimOptions options;
  options.scenario = Scenario(kTwoFiles, {{"08:10:00", "08:20:00"}});
  SimServer sim(dir_.path(), options);
  ASSERT_TRUE(sim.Listening()) << sim.Log();
  Query query;
  query.dvrid = "7";
  const qmtest::RunResult run = RunQmrecinfo(dir_, query);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(qmtest::ReadWholeFile(dir_.File("result.txt")),
            "DVRID=7\n"
            "ERRORCODE=0\n"
            "LISTCOUNT=2\n"
            "IDX,CAMID,RECTYPE,START,END\n"
            "1,12,1,2013-05-07T08:10:00-04:00,2013-05-07T08:20:00-04:00\n"
            "2,12,0,2013-05-07T10:00:05-04:00,2013-05-07T10:29:30-04:00\n");
}

// The bundled sample day: six files of the day plus one on each neighbouring
// day, motion in four files and one in a gap. Files that touch each other
// within a few seconds make one interval whose inner edges stay put; an
// interval with motion shows only its motions.
TEST_F(E2eResultFile, BundledSampleDay) {
  ASSERT_TRUE(StoreCredentials(1, "operator", "demo-pass"));
  SimOptions options;
  options.scenario =
      qmtest::ReadWholeFile(QM_SOURCE_DIR "/scenarios/sample_day.xml");
  ASSERT_FALSE(options.scenario.empty());
  SimServer sim(dir_.path(), options);
  ASSERT_TRUE(sim.Listening()) << sim.Log();
  const qmtest::RunResult run = RunQmrecinfo(dir_, Query());
  sim.Stop();
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(qmtest::ReadWholeFile(dir_.File("result.txt")),
            ListFile(1, {Row(1, 1, "02:15:30", "02:16:10"),
                         Row(2, 1, "08:10:00", "08:20:00"),
                         Row(3, 0, "10:00:05", "10:29:30"),
                         Row(4, 1, "14:02:10", "14:05:45"),
                         Row(5, 1, "16:30:00", "16:31:15"),
                         Row(6, 1, "20:00:00", "20:12:30")}))
      << sim.Log();
}

}  // namespace
}  // namespace e2e
