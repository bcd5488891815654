#include "file_frames.h"

namespace qmsim {
namespace {

// Duration of the file in milliseconds.
std::uint64_t DurationMs(const SimFile& file) {
  return static_cast<std::uint64_t>(file.end - file.start) * 1000;
}

}  // namespace

std::uint64_t WallTicks(WallSeconds seconds) {
  return seconds < 0 ? 0 : static_cast<std::uint64_t>(seconds) * kTicksPerSecond;
}

std::uint32_t FrameOffsetMs(const SimFile& file, std::uint32_t i) {
  if (file.frames < 2) return 0;
  if (i > file.frames - 1) i = file.frames - 1;
  const std::uint64_t offset = static_cast<std::uint64_t>(i) * DurationMs(file) /
                               (file.frames - 1);
  return offset > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<std::uint32_t>(offset);
}

std::uint64_t FrameTicks(const SimFile& file, std::uint32_t i) {
  return WallTicks(file.start) + static_cast<std::uint64_t>(FrameOffsetMs(file, i)) * 10000;
}

std::uint32_t FileRate(const SimFile& file) {
  if (file.has_rate) return file.rate;
  const std::uint64_t duration = DurationMs(file);
  if (file.frames < 2 || duration == 0) return 0;
  // Frames per second in thousandths, rounded to the nearest.
  const std::uint64_t rate =
      (static_cast<std::uint64_t>(file.frames - 1) * 1000000 + duration / 2) / duration;
  return rate > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<std::uint32_t>(rate);
}

std::uint32_t FrameAtTicks(const SimFile& file, std::uint64_t ticks) {
  if (file.frames == 0) return 0;
  // Binary search for the last frame whose time is not after `ticks`.
  std::uint32_t low = 0, high = file.frames - 1;
  while (low < high) {
    const std::uint32_t mid = low + (high - low + 1) / 2;
    if (FrameTicks(file, mid) <= ticks) {
      low = mid;
    } else {
      high = mid - 1;
    }
  }
  return low;
}

std::string FrameTimeText(const SimFile& file, std::uint32_t i) {
  const std::uint32_t offset = FrameOffsetMs(file, i);
  std::string text = FormatWallClock(file.start + offset / 1000);
  std::uint32_t ms = offset % 1000;
  if (ms != 0) {
    std::string fraction = std::to_string(1000 + ms).substr(1);
    while (fraction.back() == '0') fraction.pop_back();
    text += "." + fraction;
  }
  return text + file.start_text.substr(19);
}

}  // namespace qmsim
