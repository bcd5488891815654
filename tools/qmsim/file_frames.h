// The frames of a scenario file: where each lies in time, as the file
// header's frame table, the span reply and the playback stream all tell it.
//
// A file of n frames spreads them evenly over its recording: frame 0 at the
// start, frame n - 1 at the end (whole milliseconds, rounded down), so the
// offsets of the frame table grow with the index. A file of one frame, or of
// no duration, has every frame at its start.
#ifndef QMSIM_FILE_FRAMES_H
#define QMSIM_FILE_FRAMES_H

#include <cstdint>
#include <string>

#include "scenario.h"
#include "wall_clock.h"

namespace qmsim {

// 100-nanosecond ticks per second (the server's time unit).
constexpr std::uint64_t kTicksPerSecond = 10000000;

// Ticks since 0001-01-01T00:00:00 of wall-clock seconds (0 for negative).
std::uint64_t WallTicks(WallSeconds seconds);

// Offset of frame i from frame 0 in milliseconds (clamped to 32 bits; i
// beyond the last frame counts as the last).
std::uint32_t FrameOffsetMs(const SimFile& file, std::uint32_t i);

// Ticks of frame i (base time plus its offset).
std::uint64_t FrameTicks(const SimFile& file, std::uint32_t i);

// The rate of the file header in thousandths of a frame per second: the
// scenario's rate when given, else derived from the frame count and the
// duration (0 for a file of fewer than two frames or no duration).
std::uint32_t FileRate(const SimFile& file);

// The last frame shown at `ticks`: 0 before the second frame, the last
// frame after the end. 0 for a file without frames.
std::uint32_t FrameAtTicks(const SimFile& file, std::uint64_t ticks);

// "YYYY-MM-DDTHH:MM:SS[.f]" of frame i with the fraction of a second
// written as the .NET server writes it (trailing zeros dropped, none when
// 0), followed by the zone suffix of the file's start text.
std::string FrameTimeText(const SimFile& file, std::uint32_t i);

}  // namespace qmsim

#endif  // QMSIM_FILE_FRAMES_H
