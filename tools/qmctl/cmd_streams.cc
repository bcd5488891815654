// qmctl live and playback: receive a camera's live frames or a recorded
// file's frames, count them and optionally keep their payloads.
#include <cerrno>
#include <cstring>
#include <memory>

#include "command_set.h"
#include "common/cli.h"
#include "failure.h"
#include "record_fields.h"

namespace qmctl {

namespace {

// A playback frame number has 24 bits: this stop frame never matches.
constexpr unsigned int kNoStopFrame = 0xFFFFFFFFu;
constexpr unsigned int kLargestFrameNumber = 0xFFFFFFu;

struct LiveOptions {
  unsigned int camera = 0;
  unsigned long long frames = 1;
  std::string out;
};

struct PlaybackOptions {
  unsigned int camera = 0;
  unsigned int file = 0;
  unsigned int stop_value = 0;
  unsigned int stop_frame = kNoStopFrame;
  std::string out;
};

// The payload file of --out, closed on every way out.
struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using PayloadFile = std::unique_ptr<std::FILE, FileCloser>;

// Opens --out (when given) and hands it to the server's hooks. kExitOk, or
// kExitFailure after printing why.
int OpenPayloadFile(const std::string& path, PayloadFile& file, StreamServer& server) {
  if (path.empty()) return qmtools::kExitOk;
  file.reset(std::fopen(path.c_str(), "wb"));
  if (!file) {
    return Fail(qmtools::kExitFailure, "cannot write " + path + ": " + std::strerror(errno));
  }
  server.SetPayloadFile(file.get());
  return qmtools::kExitOk;
}

// Closes the payload file; kExitFailure (printed) when a write failed.
int ClosePayloadFile(const std::string& path, PayloadFile& file, StreamServer& server) {
  server.SetPayloadFile(nullptr);
  if (!file) return qmtools::kExitOk;
  const bool failed = server.Tally().write_failed || std::ferror(file.get()) != 0;
  const bool closed = std::fclose(file.release()) == 0;
  if (failed || !closed) {
    return Fail(qmtools::kExitFailure, "cannot write the payloads to " + path);
  }
  return qmtools::kExitOk;
}

void AddCounts(Record& record, const StreamTally& tally) {
  record["frames"] = tally.frames;
  record["bytes"] = tally.bytes;
  record["key_frames"] = tally.key_frames;
}

int RunLive(CommandContext& context, const LiveOptions& options) {
  Session& session = context.session;
  StreamServer& server = session.server();
  const std::string camera = "camera " + std::to_string(options.camera);
  const unsigned short live_port = server.GetLivePort();
  if (live_port == 0) {
    return Fail(qmtools::kExitNotFound,
                "the server description of " + session.where() + " announces no live port");
  }
  PayloadFile file;
  int status = OpenPayloadFile(options.out, file, server);
  if (status != qmtools::kExitOk) return status;
  bool opened = false;
  {
    ProgressLine progress("live " + camera);
    server.SetProgress(&progress);
    server.SetLiveFrameLimit(options.frames);
    opened = server.GetLiveStream(options.camera);
    server.SetProgress(nullptr);
  }
  status = ClosePayloadFile(options.out, file, server);
  if (status != qmtools::kExitOk) return status;
  const StreamTally& tally = server.Tally();
  if (!opened) {
    return Fail(qmtools::kExitUnreachable, "cannot connect to the live port " +
                                               std::to_string(live_port) + " of " +
                                               session.where());
  }
  if (tally.frames == 0) {
    return Fail(qmtools::kExitNotFound, "the live stream of " + camera + " ended before its first frame");
  }
  Record record;
  record["camera_id"] = options.camera;
  record["live_port"] = live_port;
  record["frames_asked"] = options.frames;
  AddCounts(record, tally);
  context.out.Sheet({{"camera ID", "camera_id"},
                     {"live port", "live_port"},
                     {"frames asked", "frames_asked"},
                     {"frames", "frames"},
                     {"bytes", "bytes"},
                     {"key frames", "key_frames"}},
                    record);
  return qmtools::kExitOk;
}

int RunPlayback(CommandContext& context, const PlaybackOptions& options) {
  Session& session = context.session;
  StreamServer& server = session.server();
  const std::string what = "file " + std::to_string(options.file) + " of camera " +
                           std::to_string(options.camera);
  PayloadFile file;
  int status = OpenPayloadFile(options.out, file, server);
  if (status != qmtools::kExitOk) return status;
  if (options.stop_frame != kNoStopFrame) {
    server.SetPlaybackStop(options.stop_value, options.stop_frame);
  }
  {
    ProgressLine progress("playback of " + what);
    server.SetProgress(&progress);
    // Answers false whatever happened: what arrived decides.
    server.GetPlaybackStream(options.camera, options.file, options.stop_value,
                             options.stop_frame);
    server.SetProgress(nullptr);
  }
  status = ClosePayloadFile(options.out, file, server);
  if (status != qmtools::kExitOk) return status;
  const StreamTally& tally = server.Tally();
  if (tally.frames == 0) {
    return Fail(qmtools::kExitNotFound, "no frame of " + what + " arrived from " + session.where());
  }
  Record record;
  record["camera_id"] = options.camera;
  record["file_id"] = options.file;
  AddCounts(record, tally);
  AddTicks(record, "first_frame_time", tally.first_ticks);
  AddTicks(record, "last_frame_time", tally.last_ticks);
  record["last_frame_number"] = tally.last_frame_number;
  record["stop_frame_reached"] = tally.stop_frame_seen;
  context.out.Sheet({{"camera ID", "camera_id"},
                     {"file ID", "file_id"},
                     {"frames", "frames"},
                     {"bytes", "bytes"},
                     {"key frames", "key_frames"},
                     {"first frame", "first_frame_time"},
                     {"last frame", "last_frame_time"},
                     {"last frame number", "last_frame_number"},
                     {"stop frame reached", "stop_frame_reached"}},
                    record);
  return qmtools::kExitOk;
}

}  // namespace

void AddStreamCommands(CommandSet& commands) {
  auto live = std::make_shared<LiveOptions>();
  CLI::App* sub = commands.Add(
      "live", "receive live frames of a camera on the server's live port",
      [live](CommandContext& context) { return RunLive(context, *live); });
  sub->add_option("CAMID", live->camera, "camera ID")->required()->type_name("");
  sub->add_option("--frames", live->frames, "frames to take, then close (default 1)")
      ->type_name("N")->check(qmtools::QuietRange(1ull, 1000000000ull));
  sub->add_option("--out", live->out, "append every frame's payload to FILE")
      ->type_name("FILE");
  sub->footer(
      "The live port is the one the server description announces. Succeeds when\n"
      "at least one frame arrived; frames counts those received (fewer than asked\n"
      "when the server closed early). No frame at all exits with status 7.");

  auto play = std::make_shared<PlaybackOptions>();
  sub = commands.Add(
      "playback", "receive the recorded frames of a file until the server ends the stream",
      [play](CommandContext& context) { return RunPlayback(context, *play); });
  sub->add_option("CAMID", play->camera, "camera ID")->required()->type_name("");
  sub->add_option("FILEID", play->file, "file ID, as files lists it")
      ->required()->type_name("");
  auto* value = sub->add_option("--stop-value", play->stop_value,
                                "with --stop-frame: the frame value V of the last frame")
                    ->type_name("V");
  auto* frame = sub->add_option("--stop-frame", play->stop_frame,
                                "end after frame number N (0 to 16777215) with value V")
                    ->type_name("N")->check(qmtools::QuietRange(0u, kLargestFrameNumber));
  value->needs(frame);
  frame->needs(value);
  sub->add_option("--out", play->out, "append every frame's payload to FILE")
      ->type_name("FILE");
  sub->footer(
      "The library's playback call answers false in every case, so qmctl decides\n"
      "from the frames it received: at least one frame is success, none exits\n"
      "with status 7. stop_frame_reached tells whether the stop frame arrived.");
}

}  // namespace qmctl
