// The timeline of a camera's day: its axis in the site's zone (hour ticks on
// the site's clock, the clock changes), and lanes for the recorded minutes,
// the files, the motion periods and the resulting intervals. Everything is
// written on the clock of the zone in force, which must be the site's.
#pragma once

#include <string>
#include <vector>

#include "day_assembly.h"
#include "timeline_model.h"

namespace qmctl {

// Axis, title ("Camera 12 | 2013-05-07 | AST4") and subtitle (the day's
// length, offsets and clock change) of a day; no lanes.
Timeline DayAxis(const DayFrame& frame, unsigned camera, const std::string& zone);

// One bar per row that names instants; motion rows in the second colour,
// gaps marked. Tooltips: "interval 3: START to END" ("motion interval" for
// type 1), with the row's texts.
TimelineLane IntervalLane(const std::vector<DayRow>& rows);

// The whole picture of an assembled day.
Timeline DayTimeline(const DayResult& result, const std::string& zone);

}  // namespace qmctl
