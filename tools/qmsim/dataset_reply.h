// DataSet DiffGram replies of commands 715 (recording files) and 716 (motion
// periods), and the login-failure document.
#ifndef QMSIM_DATASET_REPLY_H
#define QMSIM_DATASET_REPLY_H

#include <string>
#include <vector>

#include "scenario.h"
#include "wall_clock.h"

namespace qmsim {

// The reply sent for a request whose credentials do not match.
extern const char kLoginFailureDocument[];

// Escapes the five XML special characters of text.
std::string XmlEscape(const std::string& text);

// True when the inclusive span [start, end] shares a second with the
// half-open window [window_start, window_end).
bool OverlapsWindow(WallSeconds start, WallSeconds end, WallSeconds window_start,
                    WallSeconds window_end);

// Files / motions of the camera overlapping the window, in scenario order.
// The pointers point into camera and live as long as it.
std::vector<const SimFile*> FilesInWindow(const SimCamera& camera,
                                          WallSeconds window_start,
                                          WallSeconds window_end);
std::vector<const SimMotion*> MotionsInWindow(const SimCamera& camera,
                                              WallSeconds window_start,
                                              WallSeconds window_end);

// The DataSet reply listing the files as recording-info rows of camera_id.
std::string RecordingInfoDocument(std::uint32_t camera_id,
                                  const std::vector<const SimFile*>& files);

// The DataSet reply listing the motions as motion-info rows of camera_id.
std::string MotionInfoDocument(std::uint32_t camera_id,
                               const std::vector<const SimMotion*>& motions);

}  // namespace qmsim

#endif  // QMSIM_DATASET_REPLY_H
