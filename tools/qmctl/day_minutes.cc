#include "day_minutes.h"

#include <map>

namespace qmctl {

namespace {

bool Flag(const std::vector<bool>& flags, int wall_minute) {
  return wall_minute >= 0 && static_cast<size_t>(wall_minute) < flags.size() &&
         flags[static_cast<size_t>(wall_minute)];
}

// Whether any file shares a second with the minute starting at `t`.
bool Covered(time_t t, const std::vector<InstantSpan>& files) {
  for (const InstantSpan& file : files)
    if (file.start <= t + 59 && file.end >= t) return true;
  return false;
}

}  // namespace

TrackerOnDay MapTracker(const DayFrame& frame, const std::vector<bool>& flags,
                        const std::vector<InstantSpan>& files) {
  TrackerOnDay result;
  for (int m : frame.skipped_wall_minutes)
    if (Flag(flags, m)) ++result.skipped_flags;

  // Both occurrences of each repeated wall-clock minute.
  std::map<int, std::vector<time_t>> occurrences;
  for (const MinuteSlot& slot : frame.minutes)
    if (slot.ambiguous) occurrences[slot.wall_minute].push_back(slot.start);

  bool open = false;
  for (const MinuteSlot& slot : frame.minutes) {
    bool recorded = Flag(flags, slot.wall_minute);
    if (recorded && slot.ambiguous && !Covered(slot.start, files)) {
      bool other_covered = false;
      for (time_t other : occurrences[slot.wall_minute])
        if (other != slot.start && Covered(other, files)) other_covered = true;
      if (other_covered) {
        recorded = false;
        ++result.repeated_cleared;
      }
    }
    if (!recorded) {
      open = false;
      continue;
    }
    ++result.recorded_minutes;
    if (open) {
      result.runs.back().end = slot.start + 59;
    } else {
      result.runs.push_back(InstantSpan{slot.start, slot.start + 59});
      open = true;
    }
  }
  return result;
}

}  // namespace qmctl
