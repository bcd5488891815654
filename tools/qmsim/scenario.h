// The recording store the stand-in answers from, loaded from a scenario file.
//
// Format (XML):
//   <scenario>
//     <camera id="12">
//       <file id="1" name="..." start="2013-05-07T08:00:12-04:00"
//             end="2013-05-07T08:59:40-04:00" type="0" frames="107580"/>
//       <motion file="1" start="..." end="..."/>
//     </camera>
//   </scenario>
// Times are "YYYY-MM-DDTHH:MM:SS" plus any zone suffix; the texts are kept and
// sent back verbatim, the wall-clock part is used for selection. Unknown
// elements and attributes are refused; file ids are unique in the whole
// scenario; a motion's file is a file of its camera, or 0 (none); elements
// nest at most kMaxScenarioDepth levels (markup_depth.h).
#ifndef QMSIM_SCENARIO_H
#define QMSIM_SCENARIO_H

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "wall_clock.h"

namespace qmsim {

// One recorded file; start and end are inclusive wall-clock seconds.
struct SimFile {
  std::uint32_t id = 0;
  std::string name;
  std::string start_text;
  std::string end_text;
  WallSeconds start = 0;
  WallSeconds end = 0;
  std::uint32_t type = 0;
  std::uint32_t frames = 0;
};

// One motion period; start and end are inclusive wall-clock seconds.
struct SimMotion {
  std::uint32_t file_id = 0;
  std::string start_text;
  std::string end_text;
  WallSeconds start = 0;
  WallSeconds end = 0;
};

// Files and motions of one camera, in scenario order.
struct SimCamera {
  std::uint32_t id = 0;
  std::vector<SimFile> files;
  std::vector<SimMotion> motions;
};

// All cameras by id.
struct Scenario {
  std::map<std::uint32_t, SimCamera> cameras;

  // The camera with this id, or null. The pointer lives as long as the
  // scenario is not modified.
  const SimCamera* FindCamera(std::int64_t id) const;
};

// Largest scenario file read, in bytes.
constexpr std::size_t kMaxScenarioBytes = 16 * 1024 * 1024;

// Parses scenario XML text. Returns true and replaces *out on success; on
// failure returns false, leaves *out unchanged and puts a one-line message
// naming the line and the fault into *error.
bool ParseScenarioText(const std::string& text, Scenario* out, std::string* error);

// Reads and parses the scenario file at path (at most kMaxScenarioBytes).
// Same result contract as ParseScenarioText; messages name the path.
bool LoadScenarioFile(const std::string& path, Scenario* out, std::string* error);

}  // namespace qmsim

#endif  // QMSIM_SCENARIO_H
