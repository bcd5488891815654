#include "day_tracker.h"

#include <algorithm>

namespace qmsim {

MinuteFlags RecordedMinutes(const SimCamera& camera, const CivilDate& date) {
  MinuteFlags minutes;
  const WallSeconds day_start = DayNumber(date) * 86400;
  const WallSeconds day_last = day_start + 86400 - 1;
  for (const SimFile& file : camera.files) {
    const WallSeconds first = std::max(file.start, day_start);
    const WallSeconds last = std::min(file.end, day_last);
    if (first > last) continue;
    const WallSeconds first_minute = (first - day_start) / 60;
    const WallSeconds last_minute = (last - day_start) / 60;
    for (WallSeconds m = first_minute; m <= last_minute; ++m) {
      minutes.set(static_cast<std::size_t>(m));
    }
  }
  return minutes;
}

void TrackerPosition(int minute, std::size_t* byte_index, int* bit) {
  const int hour = minute / 60;
  const int in_hour = minute % 60;
  *byte_index = static_cast<std::size_t>(hour) * 8 + static_cast<std::size_t>(in_hour / 8);
  *bit = in_hour % 8;
}

DayTracker PackTracker(const MinuteFlags& minutes) {
  DayTracker tracker{};
  for (int m = 0; m < kMinutesPerDay; ++m) {
    if (!minutes.test(static_cast<std::size_t>(m))) continue;
    std::size_t index = 0;
    int bit = 0;
    TrackerPosition(m, &index, &bit);
    tracker[index] = static_cast<std::uint8_t>(tracker[index] | (1u << bit));
  }
  return tracker;
}

}  // namespace qmsim
