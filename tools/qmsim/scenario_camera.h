// Reading one <camera> element of a scenario with all it holds.
#ifndef QMSIM_SCENARIO_CAMERA_H
#define QMSIM_SCENARIO_CAMERA_H

#include <cstdint>
#include <map>
#include <string>

#include "scenario.h"

class TiXmlElement;

namespace qmsim {

// Line of each file id read so far, over all cameras: a file id names one
// recording of the server.
using FileLines = std::map<std::uint32_t, int>;

// Reads a camera: its attributes and its <file>, <motion>, <preset>,
// <folder> and <stream> children. A motion's file must be a file of the same
// camera (anywhere in it); file 0, or none, means a motion in a gap. Presets
// need a PTZ camera. False with a message naming the line on any mistake.
bool ReadCamera(const TiXmlElement* e, SimCamera* camera, FileLines* file_lines,
                std::string* error);

}  // namespace qmsim

#endif  // QMSIM_SCENARIO_CAMERA_H
