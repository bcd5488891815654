// qmctl day against qmrecinfo on the sample day in a zone without daylight
// saving time: the same intervals, byte for byte, and the same picture from
// qmctl day --svg and from qmctl timeline on qmrecinfo's result file. Needs
// the device manager's segment, so every case runs in a private namespace.
#include <gtest/gtest.h>
#include <net/if.h>

#include "qmctl_runs.h"
#include "svg_reader.h"

namespace {

class QmctlDayVsQmrecinfo : public ::testing::Test {
 protected:
  void SetUp() override {
    struct if_nameindex* names = if_nameindex();
    bool only_lo = names != nullptr;
    for (auto* n = names; only_lo && n->if_index != 0; ++n) only_lo = std::string(n->if_name) == "lo";
    if (names != nullptr) if_freenameindex(names);
    if (!only_lo) GTEST_SKIP() << "needs private IPC and network namespaces: run through tests/netns_run.sh";
  }
};

// The rows of a result file (lines after the column line).
std::vector<std::string> ResultRows(const std::string& file) {
  std::vector<std::string> rows;
  std::istringstream in(file);
  int n = 0;
  for (std::string line; std::getline(in, line);)
    if (++n > 4) rows.push_back(line);
  return rows;
}

TEST_F(QmctlDayVsQmrecinfo, SampleDayGivesQmrecinfosIntervalsAndPicture) {
  qmday::SimServer sim("sample_day.xml");
  ASSERT_GT(sim.Port(), 0) << sim.Log();
  const std::string dir = sim.dir().path();
  ASSERT_EQ(qmtest::RunCaptured({QMDEVMGR_BINARY, "--dvrid", "1", "--user", "admin", "--password-file",
                                 sim.dir().File("pw")}, dir).status, 0);
  setenv("TZ", "AST4", 1);
  const qmtest::RunResult qmrecinfo = qmtest::RunCaptured(
      {QMRECINFO_BINARY, "-dvrid=1", "-ipa=127.0.0.1", "-port=" + std::to_string(sim.Port()),
       "-camid=12", "-sdate=05.07.2013", "-filepath=" + sim.dir().File("result.txt")}, dir);
  ASSERT_EQ(qmrecinfo.status, 0) << qmrecinfo.out;
  const std::string result = qmtest::ReadWholeFile(sim.dir().File("result.txt"));
  ASSERT_EQ(ResultRows(result).size(), 6u) << result;

  // Credentials from the same DVR record; qmctl's own zone option, not TZ.
  unsetenv("TZ");
  const std::string port = std::to_string(sim.Port());
  const qmtest::RunResult day = qmtest::RunCaptured(
      {QMCTL_BINARY, "--port", port, "--dvrid", "1", "day", "12", "2013-05-07", "--tz", "AST4",
       "--json", "--svg", "day.svg"}, dir);
  ASSERT_EQ(day.status, 0) << day.out;
  EXPECT_EQ(qmday::IntervalRows(qmday::JsonLines(day.out)), ResultRows(result));

  const qmtest::RunResult timeline = qmtest::RunCaptured(
      {QMCTL_BINARY, "timeline", "result.txt", "--svg", "timeline.svg", "--tz", "AST4"}, dir);
  ASSERT_EQ(timeline.status, 0);
  const auto from_day = qmday::ReadBars(qmtest::ReadWholeFile(sim.dir().File("day.svg")), "intervals");
  const auto from_file = qmday::ReadBars(qmtest::ReadWholeFile(sim.dir().File("timeline.svg")), "intervals");
  ASSERT_EQ(from_day.size(), 6u);
  ASSERT_EQ(from_file.size(), from_day.size());
  for (size_t i = 0; i < from_day.size(); ++i) {
    EXPECT_EQ(from_file[i].x, from_day[i].x) << i;
    EXPECT_EQ(from_file[i].width, from_day[i].width) << i;
    EXPECT_EQ(from_file[i].css, from_day[i].css) << i;
    EXPECT_EQ(from_file[i].tooltip, from_day[i].tooltip) << i;
  }
}

}  // namespace
