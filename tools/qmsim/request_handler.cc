#include "request_handler.h"

#include "dataset_reply.h"
#include "day_tracker.h"
#include "server_state.h"
#include "service_handler.h"
#include "wall_clock.h"

namespace qmsim {
namespace {

std::string CameraText(const SimRequest& request) {
  return request.camera_valid ? std::to_string(request.camera) : "?";
}

const SimCamera* LookUpCamera(const SimRequest& request, const Scenario& scenario) {
  return request.camera_valid ? scenario.FindCamera(request.camera) : nullptr;
}

void AnswerTracker(const SimRequest& request, const Scenario& scenario,
                   SimReply* reply) {
  MinuteFlags minutes;
  CivilDate date;
  const SimCamera* camera = LookUpCamera(request, scenario);
  if (!ParseQueryDate(request.str1, &date)) {
    reply->outcome = "bad-date";
  } else if (!camera) {
    reply->outcome = "unknown-camera";
  } else {
    minutes = RecordedMinutes(*camera, date);
    reply->outcome = "ok " + std::to_string(minutes.count()) + " minutes";
  }
  const DayTracker tracker = PackTracker(minutes);
  reply->bytes.assign(reinterpret_cast<const char*>(tracker.data()), tracker.size());
}

void AnswerWindow(const SimRequest& request, const Scenario& scenario,
                  SimReply* reply) {
  const SimCamera* camera = LookUpCamera(request, scenario);
  WallSeconds start = 0, end = 0;
  const bool window_ok =
      ParseWallClock(request.str1, &start) && ParseWallClock(request.str2, &end);
  const bool files = request.command == kCmdGetRecordingInfo;
  const std::uint32_t camera_id = camera ? camera->id : 0;
  std::size_t rows = 0;
  if (!window_ok) {
    reply->outcome = "bad-window";
  } else if (!camera) {
    reply->outcome = "unknown-camera";
  } else {
    reply->outcome = "ok";
  }
  if (files) {
    std::vector<const SimFile*> selected;
    if (window_ok && camera) selected = FilesInWindow(*camera, start, end);
    rows = selected.size();
    reply->bytes = RecordingInfoDocument(camera_id, selected);
  } else {
    std::vector<const SimMotion*> selected;
    if (window_ok && camera) selected = MotionsInWindow(*camera, start, end);
    rows = selected.size();
    reply->bytes = MotionInfoDocument(camera_id, selected);
  }
  reply->is_dataset = true;
  reply->outcome += " " + std::to_string(rows) + " rows";
}

}  // namespace

std::string LogSafe(const std::string& text, std::size_t max_length) {
  std::string out;
  for (std::size_t i = 0; i < text.size() && i < max_length; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    out += (c >= 0x20 && c < 0x7F) ? static_cast<char>(c) : '?';
  }
  if (text.size() > max_length) out += "...";
  return out;
}

bool IsRecordingCommand(std::uint32_t code) {
  return code == kCmdGetDateTimeTracker || code == kCmdGetRecordingInfo ||
         code == kCmdGetMotionInfo;
}

bool IsServedCommand(std::uint32_t code) {
  return IsRecordingCommand(code) || ServiceCommandName(code) != nullptr;
}

std::string ServedCommandList() {
  std::string list;
  for (std::uint32_t code : {kCmdPtz, kCmdLiveStream, kCmdMediaFrames, kCmdFileHeader,
                             kCmdGetDateTimeTracker, kCmdDirectory, kCmdServerStatus,
                             kCmdGetRecordingInfo, kCmdGetMotionInfo, kCmdVideoSpan,
                             kCmdCameraMetadata, kCmdServerMetadata, kCmdCamerasMetadata,
                             kCmdPresets, kCmdPlaybackStream, kCmdQuery}) {
    list += (list.empty() ? "" : ", ") + std::to_string(code);
  }
  return list;
}

const char* CommandName(std::uint32_t code) {
  switch (code) {
    case kCmdGetDateTimeTracker: return "day-tracker";
    case kCmdGetRecordingInfo: return "recording-info";
    case kCmdGetMotionInfo: return "motion-info";
    default: break;
  }
  const char* service = ServiceCommandName(code);
  return service ? service : "unknown-command";
}

bool CredentialsMatch(const SimRequest& request, const Credentials& credentials) {
  return request.uid == credentials.user && request.pwd == credentials.password;
}

std::string DescribeRequest(const SimRequest& request) {
  const std::uint32_t code = request.command;
  std::string text = std::to_string(code) + " " + CommandName(code);
  if (!IsServedCommand(code)) return text;
  if (!IsRecordingCommand(code)) {
    const std::string parameters = DescribeServiceParameters(request);
    return parameters.empty() ? text : text + " " + parameters;
  }
  text += " camera=" + CameraText(request);
  if (code == kCmdGetDateTimeTracker) return text + " date=" + LogSafe(request.str1);
  return text + " window=" + LogSafe(request.str1) + ".." + LogSafe(request.str2);
}

SimReply LoginRefused(const SimRequest& request) {
  SimReply reply;
  reply.bytes = kLoginFailureDocument;
  reply.outcome = "login-refused for user \"" + LogSafe(request.uid) + "\"";
  return reply;
}

SimReply AnswerRequest(const SimRequest& request, const ServerState& state,
                       const Credentials& credentials) {
  SimReply reply;
  const std::uint32_t code = request.command;
  if (!IsServedCommand(code) || code == kCmdLiveStream || code == kCmdPlaybackStream) {
    reply.outcome = "not served";
    return reply;
  }
  if (!CredentialsMatch(request, credentials)) return LoginRefused(request);
  if (code == kCmdGetDateTimeTracker) {
    AnswerTracker(request, state.scenario, &reply);
  } else if (IsRecordingCommand(code)) {
    AnswerWindow(request, state.scenario, &reply);
  } else {
    AnswerServiceRequest(request, state, &reply);
  }
  return reply;
}

}  // namespace qmsim
