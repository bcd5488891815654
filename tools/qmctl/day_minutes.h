// The day tracker's 1,440 wall-clock minute flags laid onto the minutes a
// day really has.
//
// The server files every minute under its wall-clock time, so on a day on
// which the clocks change the flags and the day's minutes differ:
// - clocks forward: the flags of the skipped wall-clock minutes belong to no
//   instant and are left out (they are counted, so that a server flagging
//   them can be noticed);
// - clocks back: one flag stands for a wall-clock minute that occurred
//   twice. A set flag is given to each occurrence that a recording file
//   covers (by the file's instants); when files cover only the other
//   occurrence, this one stays clear; when files cover neither, both are
//   taken as recorded, as the flag claims.
#pragma once

#include <ctime>
#include <vector>

#include "day_frame.h"

namespace qmctl {

// A stretch of time, both ends inclusive, in whole seconds.
struct InstantSpan {
  time_t start = 0;
  time_t end = 0;
};

struct TrackerOnDay {
  std::vector<InstantSpan> runs;  // recorded minutes joined, in time order
  int recorded_minutes = 0;       // minutes of the day taken as recorded
  int skipped_flags = 0;          // set flags of wall-clock minutes the day lacks
  int repeated_cleared = 0;       // occurrences of repeated minutes left clear
};

// Lays `flags` (minute 0 = 00:00; a shorter list reads as clear past its end)
// onto `frame`, deciding repeated minutes by `files` (any order).
TrackerOnDay MapTracker(const DayFrame& frame, const std::vector<bool>& flags,
                        const std::vector<InstantSpan>& files);

}  // namespace qmctl
