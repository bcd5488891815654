// The 192-byte day tracker reply of command 324.
//
// 24 groups of 8 bytes, one group per hour. Within a group, bytes 0-6 carry
// 8 minutes each and byte 7 carries the last 4 minutes in its low 4 bits (its
// upper 4 bits stay 0); minutes are stored from the least significant bit up.
#ifndef QMSIM_DAY_TRACKER_H
#define QMSIM_DAY_TRACKER_H

#include <array>
#include <bitset>
#include <cstdint>

#include "scenario.h"
#include "wall_clock.h"

namespace qmsim {

constexpr int kMinutesPerDay = 1440;
constexpr std::size_t kTrackerBytes = 192;

using DayTracker = std::array<std::uint8_t, kTrackerBytes>;
using MinuteFlags = std::bitset<kMinutesPerDay>;

// Flags the minutes of `date` during which any file of the camera covers at
// least one second (files are inclusive at both ends, clipped to the date).
MinuteFlags RecordedMinutes(const SimCamera& camera, const CivilDate& date);

// Packs 1440 minute flags into the tracker layout.
DayTracker PackTracker(const MinuteFlags& minutes);

// Byte index and bit within it that carry `minute` (0..1439).
void TrackerPosition(int minute, std::size_t* byte_index, int* bit);

}  // namespace qmsim

#endif  // QMSIM_DAY_TRACKER_H
