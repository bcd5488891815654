// PTZ actions: the fourteen movements a pan-tilt-zoom camera can be asked to
// start and stop, each with the command text the server knows it by.
#ifndef QM_SERVICES_PTZ_H_
#define QM_SERVICES_PTZ_H_

#include <cstddef>
#include <string>

namespace QM {

// A PTZ movement; its value is its position in ptz_commands. Only the values
// listed here are actions: anything above PTZ_SHUTTER_CLOSE has no entry.
// The underlying type is fixed so that any int value, an invalid one
// included, can be held and refused without undefined behaviour.
enum PTZ_ACTION : int {
  PTZ_LEFT_UP = 0,
  PTZ_PAN_LEFT = 1,
  PTZ_DOWN_LEFT = 2,
  PTZ_TILT_UP = 3,
  PTZ_TILT_DOWN = 4,
  PTZ_RIGHT_UP = 5,
  PTZ_PAN_RIGHT = 6,
  PTZ_DOWN_RIGHT = 7,
  PTZ_ZOOM_IN = 8,
  PTZ_ZOOM_OUT = 9,
  PTZ_FOCUS_NEAR = 10,
  PTZ_FOCUS_FAR = 11,
  PTZ_SHUTTER_OPEN = 12,
  PTZ_SHUTTER_CLOSE = 13,
};

// One action and its command text ("cmdZoomIn"); the stop request sends the
// text followed by "Stop".
struct PTZ_COMMAND {
  PTZ_ACTION action;    // the action, equal to its index in ptz_commands
  std::wstring text;    // the command text sent to start it
};

// Number of entries of ptz_commands (actions 0 to 13).
const size_t kPTZActionCount = 14;

// The action table in value order: ptz_commands[a].action == a. Built before
// main runs and destroyed at exit; index it only with a value below
// kPTZActionCount (FindPTZCommand checks).
extern const PTZ_COMMAND ptz_commands[kPTZActionCount];

// The table entry of `action`, or null for a value that has no entry (above
// 13, or negative). The entry lives as long as the table.
const PTZ_COMMAND* FindPTZCommand(PTZ_ACTION action);

}  // namespace QM

#endif  // QM_SERVICES_PTZ_H_
