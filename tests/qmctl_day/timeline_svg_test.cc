// The timeline SVG read back as XML: bars clipped to the day, text escaped
// by the printer. (Every interval at its place on days of 24, 23 and 25
// hours is checked on qmctl's own output in day_run_test.cc.)
#include <gtest/gtest.h>

#include "svg_reader.h"
#include "timeline_svg.h"

namespace {

using namespace qmctl;

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
