#include "day_timeline.h"

#include "zone_scope.h"

namespace qmctl {

namespace {

// "HH:MM" of a wall-clock text "YYYY-MM-DDTHH:MM:SS...".
std::string ClockOf(const std::string& text) { return text.size() >= 16 ? text.substr(11, 5) : text; }

// "clocks go forward at 02:00 (+01:00 to +02:00)" for the change at `at`.
std::string ChangeText(time_t at, long before, long after) {
  return std::string("clocks go ") + (after > before ? "forward" : "back") + " at " +
         ClockOf(UtcWallText(at + before)) + " (" + OffsetText(before) + " to " +
         OffsetText(after) + ")";
}

// A file ("file 4: START to END") or motion ("motion in file 4: ...") bar.
TimelineBar PeriodBar(const DayPeriod& period, const std::string& what, bool second_colour) {
  TimelineBar bar;
  bar.span = period.span;
  bar.second_colour = second_colour;
  bar.tooltip = what + std::to_string(period.file_id) + ": " + period.start_text + " to " +
                period.end_text;
  return bar;
}

}  // namespace

Timeline DayAxis(const DayFrame& frame, unsigned camera, const std::string& zone) {
  Timeline timeline;
  timeline.start = frame.start;
  timeline.end = frame.end;
  timeline.title = "Camera " + std::to_string(camera) + " | " + IsoText(frame.day) + " | " + zone;
  timeline.subtitle = HoursText(frame) + "-hour day";
  if (frame.offsets.size() == 1) timeline.subtitle += ", offset " + OffsetText(frame.offsets.front());
  for (const MinuteSlot& slot : frame.minutes) {
    if (slot.wall_minute % 60 != 0) continue;
    const int hour = slot.wall_minute / 60;
    timeline.ticks.push_back(TimelineMark{slot.start, (hour < 10 ? "0" : "") + std::to_string(hour)});
  }
  for (size_t i = 1; i < frame.offsets.size(); ++i) {
    const std::string text = ChangeText(frame.offset_from[i], frame.offsets[i - 1], frame.offsets[i]);
    timeline.changes.push_back(TimelineMark{
        frame.offset_from[i], OffsetText(frame.offsets[i - 1]) + " to " + OffsetText(frame.offsets[i])});
    timeline.subtitle += (i == 1 ? ": " : "; ") + text;
  }
  return timeline;
}

TimelineLane IntervalLane(const std::vector<DayRow>& rows) {
  TimelineLane lane;
  lane.id = "intervals";
  lane.label = "intervals";
  lane.mark_gaps = true;
  for (const DayRow& row : rows) {
    if (!row.known) continue;
    TimelineBar bar;
    bar.span = row.span;
    bar.second_colour = row.type == 1;
    bar.tooltip = std::string(row.type == 1 ? "motion interval " : "interval ") +
                  std::to_string(row.idx) + ": " + row.start_text + " to " + row.end_text;
    lane.bars.push_back(bar);
  }
  return lane;
}

Timeline DayTimeline(const DayResult& result, const std::string& zone) {
  Timeline timeline = DayAxis(result.frame, result.camera, zone);
  if (result.by_instants) timeline.subtitle += "; assembled by instants";
  if (result.tracker.skipped_flags > 0)
    timeline.subtitle += "; " + std::to_string(result.tracker.skipped_flags) +
                         " tracker minutes of the skipped hour left out";

  TimelineLane recorded;
  recorded.id = "recorded";
  recorded.label = "recorded minutes";
  for (const InstantSpan& run : result.tracker.runs) {
    recorded.bars.push_back(
        TimelineBar{run, false, "recorded minutes: " + LocalText(run.start) + " to " + LocalText(run.end)});
  }
  TimelineLane files;
  files.id = "files";
  files.label = "files";
  files.mark_gaps = true;
  for (const DayPeriod& file : result.files)
    if (file.known) files.bars.push_back(PeriodBar(file, "file ", false));
  TimelineLane motions;
  motions.id = "motions";
  motions.label = "motions";
  for (const DayPeriod& motion : result.motions)
    if (motion.known) motions.bars.push_back(PeriodBar(motion, "motion in file ", true));

  timeline.lanes = {recorded, files, motions, IntervalLane(result.rows)};
  return timeline;
}

}  // namespace qmctl
