#include "span_reply.h"

#include "dotnet_xml.h"
#include "file_frames.h"

namespace qmsim {
namespace {

const char kNoTime[] = "0001-01-01T00:00:00";

// The first frame of file at or after ticks (the last frame when none is).
std::uint32_t FirstFrameFrom(const SimFile& file, std::uint64_t ticks) {
  const std::uint32_t at = FrameAtTicks(file, ticks);
  if (FrameTicks(file, at) < ticks && at + 1 < file.frames) return at + 1;
  return at;
}

}  // namespace

bool ParseUnsigned64(const std::string& text, std::uint64_t* out) {
  std::size_t first = text.find_first_not_of(" \t\r\n");
  std::size_t last = text.find_last_not_of(" \t\r\n");
  if (first == std::string::npos || last - first + 1 > 20) return false;
  std::uint64_t v = 0;
  for (std::size_t i = first; i <= last; ++i) {
    const char c = text[i];
    if (c < '0' || c > '9') return false;
    const std::uint64_t digit = static_cast<std::uint64_t>(c - '0');
    if (v > (0xFFFFFFFFFFFFFFFFull - digit) / 10) return false;
    v = v * 10 + digit;
  }
  *out = v;
  return true;
}

void AnswerVideoSpan(const SimRequest& request, const ServerState& state, SimReply* reply) {
  std::uint64_t start = 0, end = 0;
  const SimCamera* camera = request.int2_valid ? state.scenario.FindCamera(request.int2) : nullptr;
  const SimFile* first = nullptr;
  const SimFile* last = nullptr;
  if (!request.camera_valid ||
      static_cast<std::uint32_t>(request.camera) != state.scenario.server.id) {
    reply->outcome = "unknown-server";
  } else if (!camera) {
    reply->outcome = "unknown-camera";
  } else if (!ParseUnsigned64(request.str1, &start) || !ParseUnsigned64(request.str2, &end)) {
    reply->outcome = "bad-window";
  } else {
    for (const SimFile& f : camera->files) {
      if (WallTicks(f.end) < start || WallTicks(f.start) > end) continue;
      if (!first || f.start < first->start) first = &f;
      if (!last || f.start >= last->start) last = &f;
    }
    reply->outcome = first ? "ok" : "no-files";
  }
  Fields fields{{"StartingFile", ""}, {"StartingFrame", "0"}, {"StartingTime", kNoTime},
                {"EndingFile", ""},   {"EndingFrame", "0"},   {"EndingTime", kNoTime}};
  if (first) {
    const std::uint32_t from = FirstFrameFrom(*first, start);
    const std::uint32_t to = FrameAtTicks(*last, end);
    fields = {{"StartingFile", first->name},
              {"StartingFrame", std::to_string(from)},
              {"StartingTime", FrameTimeText(*first, from)},
              {"EndingFile", last->name},
              {"EndingFrame", std::to_string(to)},
              {"EndingTime", FrameTimeText(*last, to)}};
    reply->outcome += " files " + std::to_string(first->id) + ".." + std::to_string(last->id);
  }
  reply->bytes = ObjectDocument("VideoSpan", fields);
}

}  // namespace qmsim
