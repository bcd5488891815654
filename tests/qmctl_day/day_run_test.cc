// qmctl day and timeline as processes against qmsim: the sample day and the
// two change days of scenarios/ (rows, summary, and the SVG read back as XML:
// every interval at its place with its width on days of 24, 23 and 25
// hours, hour ticks on the site's clock, tooltips with the exact times), and
// the exit status of every way a day can fail.
#include <gtest/gtest.h>

#include "day_fixtures.h"
#include "qmctl_runs.h"
#include "svg_reader.h"
#include "timeline_svg.h"

namespace {

using qmday::RunQmctl;
using qmday::SimServer;
using qmday::Utc;

// Start and end (UTC) of an interval bar.
using Bars = std::vector<std::pair<std::string, std::string>>;

// The interval bars of `svg` lie at the instants of `expected` (in the
// second colour where `rows` has RECTYPE 1), their tooltips with the times
// of `rows` ("IDX,CAMID,RECTYPE,START,END"), gaps marked between them.
void ExpectBars(const std::string& svg, const std::string& day_start, const Bars& expected,
                const std::vector<std::string>& rows) {
  const std::vector<qmday::SvgBar> bars = qmday::ReadBars(svg, "intervals");
  ASSERT_EQ(bars.size(), expected.size());
  ASSERT_EQ(rows.size(), expected.size());
  EXPECT_EQ(qmday::ReadBars(svg, "intervals", "gap").size(), bars.size() - 1);
  for (size_t i = 0; i < bars.size(); ++i) {
    const bool motion = rows[i].find(",12,1,") != std::string::npos;
    const size_t times = rows[i].find(",2013-");
    std::string tooltip = rows[i].substr(times + 1);
    tooltip.replace(tooltip.find(','), 1, " to ");
    EXPECT_EQ(bars[i].css, motion ? "bar motion" : "bar") << i;
    EXPECT_EQ(bars[i].tooltip, std::string(motion ? "motion interval " : "interval ") +
                                   std::to_string(i + 1) + ": " + tooltip) << i;
    const double s = double(Utc(expected[i].first) - Utc(day_start));
    const double w = double(Utc(expected[i].second) + 1 - Utc(expected[i].first));
    EXPECT_NEAR(bars[i].x, qmctl::kTimelineLeft + s * qmctl::kTimelineHourWidth / 3600, 0.001) << i;
    EXPECT_NEAR(bars[i].width, w * qmctl::kTimelineHourWidth / 3600, 0.001) << i;
  }
}

struct DayCase {
  const char* scenario;
  const char* zone;
  const char* date;
  int hours;
  const char* assembly;
  std::vector<std::string> rows;
  const char* day_start;  // UTC
  Bars bars;
  std::vector<std::string> ticks;
};

std::vector<std::string> Ticks(std::vector<int> hours) {
  std::vector<std::string> labels;
  for (int h : hours) labels.push_back((h < 10 ? "0" : "") + std::to_string(h));
  return labels;
}

std::vector<int> Range(std::vector<int> first, int from, int to) {
  for (int h = from; h <= to; ++h) first.push_back(h);
  return first;
}

TEST(QmctlDay, ScenarioDaysGiveTheirRowsSummaryAndPicture) {
  const DayCase kCases[] = {
      {"sample_day.xml", "AST4", "2013-05-07", 24, "library",
       {"1,12,1,2013-05-07T02:15:30-04:00,2013-05-07T02:16:10-04:00",
        "2,12,1,2013-05-07T08:10:00-04:00,2013-05-07T08:20:00-04:00",
        "3,12,0,2013-05-07T10:00:05-04:00,2013-05-07T10:29:30-04:00",
        "4,12,1,2013-05-07T14:02:10-04:00,2013-05-07T14:05:45-04:00",
        "5,12,1,2013-05-07T16:30:00-04:00,2013-05-07T16:31:15-04:00",
        "6,12,1,2013-05-07T20:00:00-04:00,2013-05-07T20:12:30-04:00"},
       "2013-05-07T04:00:00",
       {{"2013-05-07T06:15:30", "2013-05-07T06:16:10"}, {"2013-05-07T12:10:00", "2013-05-07T12:20:00"},
        {"2013-05-07T14:00:05", "2013-05-07T14:29:30"}, {"2013-05-07T18:02:10", "2013-05-07T18:05:45"},
        {"2013-05-07T20:30:00", "2013-05-07T20:31:15"}, {"2013-05-08T00:00:00", "2013-05-08T00:12:30"}},
       Ticks(Range({}, 0, 23))},
      {"spring_forward_day.xml", "Europe/Berlin", "2013-03-31", 23, "instants",
       {"1,12,1,2013-03-31T01:55:00+01:00,2013-03-31T03:05:00+02:00",
        "2,12,1,2013-03-31T07:10:00+02:00,2013-03-31T07:15:30+02:00",
        "3,12,0,2013-03-31T13:00:03+02:00,2013-03-31T23:59:59+02:00"},
       "2013-03-30T23:00:00",
       {{"2013-03-31T00:55:00", "2013-03-31T01:05:00"}, {"2013-03-31T05:10:00", "2013-03-31T05:15:30"},
        {"2013-03-31T11:00:03", "2013-03-31T21:59:59"}},
       Ticks(Range({0, 1}, 3, 23))},
      {"fall_back_day.xml", "Europe/Berlin", "2013-10-27", 25, "instants",
       {"1,12,1,2013-10-27T02:30:00+02:00,2013-10-27T02:35:00+02:00",
        "2,12,1,2013-10-27T02:25:00+01:00,2013-10-27T02:28:00+01:00",
        "3,12,0,2013-10-27T09:00:02+01:00,2013-10-27T23:59:59+01:00"},
       "2013-10-26T22:00:00",
       {{"2013-10-27T00:30:00", "2013-10-27T00:35:00"}, {"2013-10-27T01:25:00", "2013-10-27T01:28:00"},
        {"2013-10-27T08:00:02", "2013-10-27T22:59:59"}},
       Ticks(Range({0, 1, 2, 2}, 3, 23))},
  };
  for (const DayCase& c : kCases) {
    SCOPED_TRACE(c.scenario);
    SimServer sim(c.scenario);
    ASSERT_GT(sim.Port(), 0) << sim.Log();
    const qmtest::RunResult run =
        RunQmctl(sim, {"day", "12", c.date, "--tz", c.zone, "--json", "--svg", "day.svg"});
    ASSERT_EQ(run.status, 0) << run.out << sim.Log();
    const std::vector<nlohmann::json> lines = qmday::JsonLines(run.out);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0]["hours"], c.hours);
    EXPECT_EQ(lines[0]["assembly"], c.assembly);
    EXPECT_EQ(lines[0]["zone"], c.zone);
    EXPECT_EQ(qmday::IntervalRows(lines), c.rows);
    const std::string svg = qmtest::ReadWholeFile(sim.dir().File("day.svg"));
    const qmday::SvgPicture picture = qmday::ReadPicture(svg);
    ASSERT_TRUE(picture.parsed);
    EXPECT_EQ(picture.width, qmctl::kTimelineLeft + c.hours * qmctl::kTimelineHourWidth + 20);
    EXPECT_EQ(picture.title, std::string("Camera 12 | ") + c.date + " | " + c.zone);
    EXPECT_EQ(picture.ticks, c.ticks);
    EXPECT_EQ(picture.lanes, (std::vector<std::string>{"recorded", "files", "motions", "intervals"}));
    ExpectBars(svg, c.day_start, c.bars, c.rows);
  }
}

TEST(QmctlDay, FailuresExitWithTheSharedStatuses) {
  const struct {
    const char* name;
    std::vector<std::string> sim_extra;
    std::vector<std::string> args;
    std::string password;
    int status;
  } kCases[] = {
      {"UnknownZone", {}, {"day", "12", "2013-05-07", "--tz", "Foo/Bar"}, "secret", 2},
      {"ImpossibleDate", {}, {"day", "12", "2013-02-29"}, "secret", 2},
      {"DateInTheOldForm", {}, {"day", "12", "05.07.2013"}, "secret", 2},
      {"WrongPassword", {}, {"day", "12", "2013-05-07", "--tz", "AST4"}, "other", 5},
      {"TrackerClosedUnanswered", {"--fault", "close", "--fault-command", "324"},
       {"day", "12", "2013-05-07", "--tz", "AST4"}, "secret", 4},
      {"TrackerCutShort", {"--fault", "truncated", "--fault-command", "324"},
       {"day", "12", "2013-05-07", "--tz", "AST4"}, "secret", 6},
      {"MotionsNotADocument", {"--fault", "malformed", "--fault-command", "716"},
       {"day", "12", "2013-05-07", "--tz", "AST4"}, "secret", 6},
      {"SvgNotWritable", {}, {"day", "12", "2013-05-07", "--tz", "AST4", "--svg", "/nonexistent/d.svg"},
       "secret", 1},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    SimServer sim("sample_day.xml", c.sim_extra);
    ASSERT_GT(sim.Port(), 0) << sim.Log();
    const qmtest::RunResult run = RunQmctl(sim, c.args, c.password);
    EXPECT_EQ(run.status, c.status) << run.out << sim.Log();
    if (c.status != 0) {
      EXPECT_EQ(run.out, "");
    }
  }
}

TEST(QmctlTimeline, DrawsAResultFileWithoutServerOrLogin) {
  qmtest::TempDir dir;
  qmtest::WriteWholeFile(dir.File("result.txt"),
                         "DVRID=1\nERRORCODE=0\nLISTCOUNT=2\nIDX,CAMID,RECTYPE,START,END\n"
                         "1,12,1,2013-10-27T02:30:00+02:00,2013-10-27T02:35:00+02:00\n"
                         "2,12,0,2013-10-27T02:25:00+01:00,2013-10-27T07:59:58+01:00\n");
  qmtest::WriteWholeFile(dir.File("error.txt"), "DVRID=1\nERRORCODE=4\n");
  const std::string bin = QMCTL_BINARY;
  qmtest::RunResult run = qmtest::RunCaptured(
      {bin, "timeline", "result.txt", "--svg", "t.svg", "--tz", "Europe/Berlin"}, dir.path());
  ASSERT_EQ(run.status, 0);
  const std::string svg = qmtest::ReadWholeFile(dir.File("t.svg"));
  EXPECT_EQ(qmday::ReadPicture(svg).title, "Camera 12 | 2013-10-27 | Europe/Berlin");
  EXPECT_EQ(qmday::ReadPicture(svg).lanes, std::vector<std::string>{"intervals"});
  ExpectBars(svg, "2013-10-26T22:00:00",
             {{"2013-10-27T00:30:00", "2013-10-27T00:35:00"}, {"2013-10-27T01:25:00", "2013-10-27T06:59:58"}},
             {"1,12,1,2013-10-27T02:30:00+02:00,2013-10-27T02:35:00+02:00",
              "2,12,0,2013-10-27T02:25:00+01:00,2013-10-27T07:59:58+01:00"});

  for (const char* file : {"error.txt", "missing.txt"}) {
    run = qmtest::RunCaptured({bin, "timeline", file, "--svg", "x.svg", "--tz", "AST4"}, dir.path());
    EXPECT_EQ(run.status, 1) << file;
  }
  run = qmtest::RunCaptured({bin, "timeline", "result.txt"}, dir.path());  // no --svg
  EXPECT_EQ(run.status, 2);
}

}  // namespace
