// The PTZ action table and the requests that start and stop a movement.
#include "services/ptz.h"

#include "client/server.h"

namespace QM {

// Built before main and destroyed at exit by design; fourteen short texts,
// whose allocation failing at start-up has no one to report to.
// NOLINTNEXTLINE(cert-err58-cpp)
const PTZ_COMMAND ptz_commands[kPTZActionCount] = {
    {PTZ_LEFT_UP, L"cmdLeftUp"},
    {PTZ_PAN_LEFT, L"cmdPanLeft"},
    {PTZ_DOWN_LEFT, L"cmdDownLeft"},
    {PTZ_TILT_UP, L"cmdTiltUp"},
    {PTZ_TILT_DOWN, L"cmdTiltDown"},
    {PTZ_RIGHT_UP, L"cmdRightUp"},
    {PTZ_PAN_RIGHT, L"cmdPanRight"},
    {PTZ_DOWN_RIGHT, L"cmdDownRight"},
    {PTZ_ZOOM_IN, L"cmdZoomIn"},
    {PTZ_ZOOM_OUT, L"cmdZoomOut"},
    {PTZ_FOCUS_NEAR, L"cmdFocusNear"},
    {PTZ_FOCUS_FAR, L"cmdFocusFar"},
    {PTZ_SHUTTER_OPEN, L"cmdShutterOpen"},
    {PTZ_SHUTTER_CLOSE, L"cmdShutterClose"},
};

const PTZ_COMMAND* FindPTZCommand(PTZ_ACTION action) {
  // Compared as unsigned so that a negative value is refused as well.
  const unsigned int index = static_cast<unsigned int>(action);
  if (index >= kPTZActionCount) return nullptr;
  return &ptz_commands[index];
}

ByteVector Server::ReqPkt_StartPTZAction(unsigned int camera_id,
                                         PTZ_ACTION action,
                                         unsigned int value) {
  SetCredentials();
  unsigned int count = 0;
  const char* frame = pkt_.StartPTZAction(camera_id, action, value, &count);
  return FrameBytes(frame, count);
}

ByteVector Server::ReqPkt_StopPTZAction(unsigned int camera_id,
                                        PTZ_ACTION action) {
  SetCredentials();
  unsigned int count = 0;
  const char* frame = pkt_.StopPTZAction(camera_id, action, &count);
  return FrameBytes(frame, count);
}

}  // namespace QM
