// The worked examples: files and motions of camera 12 go in, the exact result
// file comes out after the three requests. With `tracker` empty qmsim serves
// the day (its tracker derived from the files); otherwise the canned server
// answers with that tracker, files and motions (days qmsim never describes).
#include "tests/e2e/e2e_support.h"

namespace e2e {
namespace {

const Periods kTwoFiles = {{"08:00:12", "08:59:40"}, {"10:00:05", "10:29:30"}};
const std::string kFirst = Row(1, 0, "08:00:12", "08:59:40"), kSecond = Row(2, 0, "10:00:05", "10:29:30");
const std::vector<std::pair<int, int>> kGapMinutes = {{480, 539}, {550, 552}, {600, 629}};  // + 09:10-09:12

struct Case {
  const char* name;
  std::vector<std::pair<int, int>> tracker;  // minute runs; empty: qmsim
  Periods files, motions;
  std::vector<std::string> rows;
  const char* sdate = "05.07.2013";
  bool sample_day = false;  // qmsim with scenarios/sample_day.xml instead of files
};

const Case kCases[] = {
    {"NoMotionIntervalsSnapToFileEdges", {}, kTwoFiles, {}, {kFirst, kSecond}},
    {"OneMotionReplacesItsInterval", {}, kTwoFiles, {{"08:10:00", "08:20:00"}},
     {Row(1, 1, "08:10:00", "08:20:00"), kSecond}},
    {"TwoMotionsNumberedInOrderThenTheNextInterval", {}, kTwoFiles, {{"08:10:00", "08:20:00"}, {"08:30:00", "08:40:00"}},
     {Row(1, 1, "08:10:00", "08:20:00"), Row(2, 1, "08:30:00", "08:40:00"), Row(3, 0, "10:00:05", "10:29:30")}},
    {"MotionSpanningBothIntervalsIsSplitAtTheGap", {}, kTwoFiles, {{"08:50:00", "10:10:00"}},
     {Row(1, 1, "08:50:00", "08:59:40"), Row(2, 1, "10:00:05", "10:10:00")}},
    {"MotionStartingInTheGapStartsAtTheNextFile", {}, kTwoFiles, {{"09:30:00", "10:05:00"}},
     {kFirst, Row(2, 1, "10:00:05", "10:05:00")}},
    {"MotionWhollyInTheGapIsIgnored", {}, kTwoFiles, {{"09:10:00", "09:20:00"}}, {kFirst, kSecond}},
    {"SingleFileGivesOneRowAtItsEdges", {}, {{"08:00:12", "08:59:40"}}, {}, {kFirst}},
    {"EmptyFileListGivesNoRowsDespiteTrackerMinutes", {{480, 539}, {600, 629}}, {}, {}, {}},
    {"All1440MinutesCloseAt235959", {}, {{"00:00:00", "23:59:59"}}, {}, {Row(1, 0, "00:00:00", "23:59:59")}},
    {"NoMinuteStillAsksFilesAndMotions", {}, {}, {}, {}},
    {"Minutes0To59And120To179GiveRowsOneAndTwo", {}, {{"00:00:00", "00:59:59"}, {"02:00:00", "02:59:59"}}, {},
     {Row(1, 0, "00:00:00", "00:59:59"), Row(2, 0, "02:00:00", "02:59:59")}},
    {"OnlyMinute1439", {}, {{"23:59:00", "23:59:59"}}, {}, {Row(1, 0, "23:59:00", "23:59:59")}},
    {"DateWithoutLeadingZerosIsTheSameDay", {}, kTwoFiles, {}, {kFirst, kSecond}, "5.7.2013"},
    {"IntervalInTheGapBetweenFilesIsPruned", kGapMinutes, kTwoFiles, {}, {kFirst, kSecond}},
    {"MotionAfterAPrunedIntervalFindsTheRenumberedInterval", kGapMinutes, kTwoFiles, {{"10:10:00", "10:20:00"}},
     {kFirst, Row(2, 1, "10:10:00", "10:20:00")}},
    {"SingleFileNeverPrunesTheIntervalAfterIt", {{480, 539}, {550, 552}}, {{"08:00:12", "08:59:40"}}, {},
     {kFirst, Row(2, 0, "09:10:00", "09:12:59")}},
    // Files touching within seconds make one interval whose inner edges stay.
    {"BundledSampleDay", {}, {}, {}, {Row(1, 1, "02:15:30", "02:16:10"), Row(2, 1, "08:10:00", "08:20:00"),
     Row(3, 0, "10:00:05", "10:29:30"), Row(4, 1, "14:02:10", "14:05:45"),
     Row(5, 1, "16:30:00", "16:31:15"), Row(6, 1, "20:00:00", "20:12:30")}, "05.07.2013", true},
};
void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class E2eWorkedExamples : public E2eTest, public ::testing::WithParamInterface<Case> {};

TEST_P(E2eWorkedExamples, ExactResultFileAfterThreeRequests) {
  const Case& c = GetParam();
  ASSERT_TRUE(StoreCredentials(1, "operator", "demo-pass"));
  const Query q{"1", "127.0.0.1", "4011", c.sdate};
  const std::string sample = qmtest::ReadWholeFile(QM_SOURCE_DIR "/scenarios/sample_day.xml");
  Expect(!c.tracker.empty() ? RunCanned(q, {{"324", TrackerReply(c.tracker)}, {"715", DataSet(c.files, true)},
                                            {"716", DataSet(c.motions, false)}}, 1 << 16)
                            : RunSim(q, c.sample_day ? sample : Scenario(c.files, c.motions)),
         0, ListFile(1, c.rows), 3);
}

INSTANTIATE_TEST_SUITE_P(E2e, E2eWorkedExamples, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace e2e
