// The timeline SVG read back as XML: every interval at its place with its
// width on days of 24, 23 and 25 hours, hour ticks on the site's clock,
// tooltips with the exact times, bars clipped to the day.
#include <gtest/gtest.h>

#include "day_fixtures.h"
#include "day_timeline.h"
#include "svg_reader.h"
#include "timeline_svg.h"
#include "zone_scope.h"

namespace {

using namespace qmctl;
using qmday::Utc;

struct Expected {
  const char* start;  // UTC
  const char* end;
  bool motion;
};

struct DayCase {
  const char* name;
  const char* zone;
  const char* date;
  qmday::Periods files, motions;
  const char* day_start;  // UTC
  int hours;
  std::vector<std::string> ticks;
  std::vector<Expected> intervals;
};

std::vector<std::string> Hours(std::vector<int> hours) {
  std::vector<std::string> labels;
  for (int h : hours) labels.push_back((h < 10 ? "0" : "") + std::to_string(h));
  return labels;
}

std::vector<int> Range(int from, int to) {
  std::vector<int> r;
  for (int h = from; h <= to; ++h) r.push_back(h);
  return r;
}

std::vector<int> Join(std::vector<int> a, const std::vector<int>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST(QmctlTimelineSvg, EveryIntervalSitsAtItsInstantOnDaysOf24_23And25Hours) {
  const qmday::Periods ordinary = {{"2013-05-07T08:00:12-04:00", "2013-05-07T08:59:40-04:00"},
                                   {"2013-05-07T10:00:05-04:00", "2013-05-07T10:29:30-04:00"}};
  const DayCase kCases[] = {
      {"Ordinary", "AST4", "2013-05-07", ordinary,
       {{"2013-05-07T08:10:00-04:00", "2013-05-07T08:20:00-04:00"}}, "2013-05-07T04:00:00", 24,
       Hours(Range(0, 23)),
       {{"2013-05-07T12:10:00", "2013-05-07T12:20:00", true},
        {"2013-05-07T14:00:05", "2013-05-07T14:29:30", false}}},
      {"SpringForward", "Europe/Berlin", "2013-03-31", qmday::kSpringFiles, qmday::kSpringMotions,
       "2013-03-30T23:00:00", 23, Hours(Join({0, 1}, Range(3, 23))),
       {{"2013-03-31T00:55:00", "2013-03-31T01:05:00", true},
        {"2013-03-31T05:10:00", "2013-03-31T05:15:30", true},
        {"2013-03-31T11:00:03", "2013-03-31T21:59:59", false}}},
      {"FallBack", "Europe/Berlin", "2013-10-27", qmday::kFallFiles, qmday::kFallMotions,
       "2013-10-26T22:00:00", 25, Hours(Join({0, 1, 2, 2}, Range(3, 23))),
       {{"2013-10-27T00:30:00", "2013-10-27T00:35:00", true},
        {"2013-10-27T01:25:00", "2013-10-27T01:28:00", true},
        {"2013-10-27T08:00:02", "2013-10-27T22:59:59", false}}},
  };
  for (const DayCase& c : kCases) {
    SCOPED_TRACE(c.name);
    ZoneScope site(c.zone);
    CivilDay day;
    DayResult result;
    ASSERT_TRUE(ParseCivilDay(c.date, &day));
    ASSERT_TRUE(AssembleDay(12, day, qmday::Replies(c.files, c.motions), &result));
    const std::string svg = TimelineSvg(DayTimeline(result, c.zone));

    const qmday::SvgPicture picture = qmday::ReadPicture(svg);
    ASSERT_TRUE(picture.parsed);
    EXPECT_EQ(picture.width, kTimelineLeft + c.hours * kTimelineHourWidth + 20);
    EXPECT_EQ(picture.title, std::string("Camera 12 | ") + c.date + " | " + c.zone);
    EXPECT_EQ(picture.ticks, c.ticks);
    EXPECT_EQ(picture.lanes, (std::vector<std::string>{"recorded", "files", "motions", "intervals"}));

    const std::vector<qmday::SvgBar> bars = qmday::ReadBars(svg, "intervals");
    ASSERT_EQ(bars.size(), c.intervals.size());
    const time_t day_start = Utc(c.day_start);
    for (size_t i = 0; i < bars.size(); ++i) {
      const time_t start = Utc(c.intervals[i].start);
      const time_t end = Utc(c.intervals[i].end);
      EXPECT_NEAR(bars[i].x, kTimelineLeft + (start - day_start) * kTimelineHourWidth / 3600, 0.001) << i;
      EXPECT_NEAR(bars[i].width, (end + 1 - start) * kTimelineHourWidth / 3600, 0.001) << i;
      EXPECT_EQ(bars[i].css, c.intervals[i].motion ? "bar motion" : "bar") << i;
      EXPECT_EQ(bars[i].tooltip, std::string(c.intervals[i].motion ? "motion interval " : "interval ") +
                                     std::to_string(i + 1) + ": " + result.rows[i].start_text +
                                     " to " + result.rows[i].end_text);
    }
    EXPECT_EQ(qmday::ReadBars(svg, "intervals", "gap").size(), bars.size() - 1);
    EXPECT_EQ(qmday::ReadBars(svg, "files").size(), c.files.size());
    EXPECT_EQ(qmday::ReadBars(svg, "motions").size(), c.motions.size());
  }
}

TEST(QmctlTimelineSvg, BarsAreClippedToTheDayAndTextIsEscaped) {
  Timeline timeline;
  timeline.start = 1000 * 3600;
  timeline.end = timeline.start + 24 * 3600;
  timeline.title = "Camera <12> & \"co\"";
  TimelineLane lane;
  lane.id = "intervals";
  lane.bars = {{{timeline.start - 1800, timeline.start + 1799}, false, "a<b"},   // half before
               {{timeline.end - 900, timeline.end + 900}, true, "after"},         // half after
               {{timeline.start - 100, timeline.start - 1}, false, "before"},     // wholly before
               {{timeline.end, timeline.end + 10}, false, "later"}};              // wholly after
  timeline.lanes = {lane};
  const std::string svg = TimelineSvg(timeline);
  const qmday::SvgPicture picture = qmday::ReadPicture(svg);
  ASSERT_TRUE(picture.parsed);
  EXPECT_EQ(picture.title, "Camera <12> & \"co\"");
  const std::vector<qmday::SvgBar> bars = qmday::ReadBars(svg, "intervals");
  ASSERT_EQ(bars.size(), 2u);
  EXPECT_NEAR(bars[0].x, kTimelineLeft, 0.001);
  EXPECT_NEAR(bars[0].width, kTimelineHourWidth / 2, 0.001);
  EXPECT_EQ(bars[0].tooltip, "a<b");
  EXPECT_NEAR(bars[1].x + bars[1].width, kTimelineLeft + 24 * kTimelineHourWidth, 0.001);
  EXPECT_NEAR(bars[1].width, kTimelineHourWidth / 4, 0.001);
}

}  // namespace
