#include "ptz_replies.h"

#include "dotnet_xml.h"

namespace qmsim {
namespace {

const char* const kActions[] = {
    "cmdLeftUp",   "cmdPanLeft",  "cmdDownLeft",   "cmdTiltUp",      "cmdTiltDown",
    "cmdRightUp",  "cmdPanRight", "cmdDownRight",  "cmdZoomIn",      "cmdZoomOut",
    "cmdFocusNear", "cmdFocusFar", "cmdShutterOpen", "cmdShutterClose"};

std::string Quoted(const std::string& text) { return "\"" + LogSafe(text) + "\""; }

// Carries out a preset sub-command; true when done. Notes what happened in
// reply->outcome.
bool PresetCommand(const SimRequest& request, std::uint32_t camera_id, PresetStore& presets,
                   SimReply* reply) {
  std::uint32_t number = 0;
  if (!ParseUnsigned32(request.str2, &number)) {
    reply->outcome = "bad-preset-number " + Quoted(request.str2);
    return false;
  }
  const std::string id = std::to_string(number);
  if (request.str1 == "SetPreset") {
    const std::size_t count = presets.Set(camera_id, number, request.str3);
    reply->outcome = "ok preset " + id + " " + Quoted(request.str3) + " set (" +
                     std::to_string(count) + " presets)";
    return true;
  }
  std::string listed;
  if (!presets.Find(camera_id, number, &listed)) {
    reply->outcome = "unknown-preset " + id;
    return false;
  }
  const std::string differs =
      listed == request.str3 ? "" : " (request names " + Quoted(request.str3) + ")";
  if (request.str1 == "DeletePreset") {
    presets.Delete(camera_id, number);
    reply->outcome = "ok preset " + id + " " + Quoted(listed) + " deleted" + differs;
  } else {
    reply->outcome = "ok preset " + id + " " + Quoted(listed) + " recalled" + differs;
  }
  return true;
}

}  // namespace

bool IsPtzActionText(const std::string& text) {
  for (const char* action : kActions) {
    const std::string name = action;
    if (text == name || text == name + "Stop") return true;
  }
  return false;
}

void AnswerPtzCommand(const SimRequest& request, const ServerState& state, SimReply* reply) {
  const SimCamera* camera =
      request.camera_valid ? state.scenario.FindCamera(request.camera) : nullptr;
  const bool preset = request.str1 == "SetPreset" || request.str1 == "RecallPreset" ||
                      request.str1 == "DeletePreset";
  bool done = false;
  if (!camera) {
    reply->outcome = "unknown-camera";
  } else if (!camera->info.ptz) {
    reply->outcome = "not-ptz";
  } else if (preset) {
    done = PresetCommand(request, camera->id, state.presets, reply);
  } else if (request.str1 != "PTZAction") {
    reply->outcome = "unknown-subcommand " + Quoted(request.str1);
  } else if (!IsPtzActionText(request.str2)) {
    reply->outcome = "unknown-action " + Quoted(request.str2);
  } else {
    done = true;
    reply->outcome = "ok " + request.str2 + " value=" +
                     (request.int2_valid ? std::to_string(request.int2) : "?");
  }
  reply->bytes = BooleanDocument(done);
}

void AnswerPresets(const SimRequest& request, const ServerState& state, SimReply* reply) {
  const SimCamera* camera =
      request.camera_valid ? state.scenario.FindCamera(request.camera) : nullptr;
  FieldList list{"", "IPCPreset", {}};
  if (camera) {
    for (const SimPreset& p : state.presets.List(camera->id)) {
      list.entries.push_back({{"PresetID", std::to_string(p.id)}, {"PresetName", p.name}});
    }
  }
  reply->bytes = ObjectDocument("ArrayOfIPCPreset", {}, &list);
  reply->outcome = std::string(camera ? "ok " : "unknown-camera ") +
                   std::to_string(list.entries.size()) + " presets";
}

}  // namespace qmsim
