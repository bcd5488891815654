// What a timeline picture shows, independent of how it is drawn: a time
// axis with hour ticks on the site's clock, the instants at which the
// clocks change, and lanes of bars (recorded minutes, files, motions,
// resulting intervals), each bar with the exact times for its tooltip.
#pragma once

#include <ctime>
#include <string>
#include <vector>

#include "day_minutes.h"

namespace qmctl {

struct TimelineBar {
  InstantSpan span;            // both ends inclusive; drawn clipped to the axis
  bool second_colour = false;  // a motion period
  std::string tooltip;         // exact times, shown on hover
};

struct TimelineLane {
  std::string id;     // the lane's group gets the element id "lane-<id>"
  std::string label;  // shown left of the lane
  std::vector<TimelineBar> bars;
  bool mark_gaps = false;  // draw the gaps between consecutive bars
};

// A mark on the axis: an hour tick or a clock change.
struct TimelineMark {
  time_t at = 0;
  std::string label;
};

struct Timeline {
  std::string title;     // camera, date and zone
  std::string subtitle;  // the day's length and offsets, notes
  time_t start = 0;      // first instant of the axis
  time_t end = 0;        // first instant after it
  std::vector<TimelineMark> ticks;
  std::vector<TimelineMark> changes;
  std::vector<TimelineLane> lanes;
};

}  // namespace qmctl
