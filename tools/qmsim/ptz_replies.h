// The PTZ command (1: PTZ actions and preset changes) and the preset list
// (50009). Actions change nothing but the log; presets live in the
// PresetStore for the rest of the run.
#ifndef QMSIM_PTZ_REPLIES_H
#define QMSIM_PTZ_REPLIES_H

#include <string>

#include "envelope.h"
#include "request_handler.h"
#include "server_state.h"

namespace qmsim {

// True when text is one of the fourteen PTZ action names, or one of them
// followed by "Stop".
bool IsPtzActionText(const std::string& text);

// Answers command 1 by its sub-command in StrParameter1: "PTZAction"
// (action text in StrParameter2, value in IntParameter2), "SetPreset",
// "RecallPreset", "DeletePreset" (preset number in StrParameter2, name in
// StrParameter3), for the camera in IntParameter1. The reply is a .NET
// boolean: true when done, false for an unknown camera, a camera that is
// not PTZ, an unknown action or sub-command, an unreadable preset number or
// a preset the camera does not have.
void AnswerPtzCommand(const SimRequest& request, const ServerState& state, SimReply* reply);

// ArrayOfIPCPreset with the camera's presets as they stand (empty for an
// unknown camera or one without presets).
void AnswerPresets(const SimRequest& request, const ServerState& state, SimReply* reply);

}  // namespace qmsim

#endif  // QMSIM_PTZ_REPLIES_H
