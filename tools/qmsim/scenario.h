// The recording store and server the stand-in answers from, loaded from a
// scenario file (format in scenarios/README.md).
//
//   <scenario>
//     <server id="3" name="..." version="6.2.18.2" time-zone="..." data-path="..."/>
//     <camera id="12" name="..." address="..." ptz="true" ...>
//       <file id="1" name="..." start="2013-05-07T08:00:12-04:00"
//             end="2013-05-07T08:59:40-04:00" type="0" frames="107580" kind="1"/>
//       <motion file="1" start="..." end="..."/>
//       <preset id="1" name="Gate"/>
//       <folder name="2013-05-07"/>
//       <stream live-frames="10" bytes="256"><frame flag="1" hex="00 01"/></stream>
//     </camera>
//   </scenario>
// Times are "YYYY-MM-DDTHH:MM:SS" plus any zone suffix; the texts are kept and
// sent back verbatim, the wall-clock part is used for selection. Unknown
// elements and attributes are refused; file ids are unique in the whole
// scenario; a motion's file is a file of its camera, or 0 (none); elements
// nest at most kMaxScenarioDepth levels (markup_depth.h). Every attribute
// but the ids and times is optional: a scenario of the recording query alone
// stays valid, the server and cameras then take the defaults below.
#ifndef QMSIM_SCENARIO_H
#define QMSIM_SCENARIO_H

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "wall_clock.h"

namespace qmsim {

// Most frames a file may have: its frame table (4 bytes a frame) stays
// within 16 MiB.
constexpr std::uint32_t kMaxFileFrames = 4u * 1024u * 1024u;

// The header tag of a file with a header (0 and 65535 mean none).
constexpr std::uint32_t kDefaultHeaderTag = 1;

// One recorded file; start and end are inclusive wall-clock seconds.
struct SimFile {
  std::uint32_t id = 0;
  std::string name;
  std::string start_text;
  std::string end_text;
  WallSeconds start = 0;
  WallSeconds end = 0;
  std::uint32_t type = 0;
  std::uint32_t frames = 0;            // at most kMaxFileFrames
  std::uint32_t flag = 0;              // Flag column
  std::uint32_t status = 0;            // FileManipulationStatus column
  std::uint32_t header_tag = kDefaultHeaderTag;  // file header offset 0
  std::uint32_t kind = 0;              // format kind, 0..255
  std::uint32_t format = 0;            // format value, 0..0xFFFFFF
  std::uint32_t extension = 0;         // extension word, 0..65535
  bool has_rate = false;               // rate given; else derived (file_frames.h)
  std::uint32_t rate = 0;              // frames per second in thousandths
};

// One motion period; start and end are inclusive wall-clock seconds.
struct SimMotion {
  std::uint32_t file_id = 0;
  std::string start_text;
  std::string end_text;
  WallSeconds start = 0;
  WallSeconds end = 0;
};

// What the server tells about a camera (attributes of <camera>).
struct SimCameraInfo {
  std::string name;            // default "Camera <id>"
  std::string address;         // IPAddress
  std::string user;            // UserName / IPUserName
  std::string password;        // the camera's own password, sent as data
  std::string description;
  std::string fourcc = "H264";
  std::string last_received;   // LastRecievedTime of the status reply
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::uint32_t fps = 0;
  std::uint32_t bandwidth = 0;
  bool ptz = false;
  bool disabled = false;
  bool active = true;
  std::uint32_t http_port = 80;
  std::uint32_t rtsp_port = 554;
  std::uint32_t rtp_port = 0;
  std::uint32_t rtcp_port = 0;
};

// A preset the camera has when the server starts.
struct SimPreset {
  std::uint32_t id = 0;
  std::string name;
};

// One frame payload given in the scenario; flag < 0: key frames by interval.
struct SimStreamFrame {
  int flag = -1;  // the live header's flag byte (0..255); playback: key when 1
  std::string payload;
};

// Bounds of the stream settings.
constexpr std::uint32_t kMaxLiveFrames = 1000000;
constexpr std::uint32_t kMaxStreamPayload = 4u * 1024u * 1024u;
constexpr std::uint32_t kMaxSkipBytes = 65536;

// How the camera's live and playback streams look (<stream>).
struct SimStream {
  std::uint32_t live_frames = 10;   // live frames sent before the close
  std::uint32_t bytes = 256;        // size of a generated payload
  std::uint32_t key_interval = 10;  // every n-th frame (from the first) is a key frame
  std::uint32_t skip_bytes = 16;    // L of the W = 2 record of a playback stream
  std::uint32_t end_word = 1;       // 0 or 1: the word ending a playback stream
  std::vector<SimStreamFrame> frames;  // payloads used in turn; empty: generated
};

// One camera: its description, recordings, presets, folders and streams.
struct SimCamera {
  std::uint32_t id = 0;
  SimCameraInfo info;
  std::vector<SimFile> files;
  std::vector<SimMotion> motions;
  std::vector<SimPreset> presets;
  std::vector<std::string> folders;  // empty: the dates of the files
  SimStream stream;
};

// The server's own description (<server>).
struct SimServer {
  std::uint32_t id = 1;
  std::string name = "qmsim";
  std::string version = "6.2.18.2";
  std::string time_zone;
  std::string data_path = "D:\\VideoStore";
};

// The server and all cameras by id.
struct Scenario {
  SimServer server;
  std::map<std::uint32_t, SimCamera> cameras;

  // The camera with this id, or null. The pointer lives as long as the
  // scenario is not modified.
  const SimCamera* FindCamera(std::int64_t id) const;
  // The file of that id if the camera has it, else null (same lifetime).
  const SimFile* FindFile(std::uint32_t camera_id, std::uint32_t file_id) const;
  // The first file of that name in camera order, or null; stores its camera
  // in *camera when camera is not null (same lifetime).
  const SimFile* FindFileByName(const std::string& name, const SimCamera** camera) const;
};

// Largest scenario file read, in bytes.
constexpr std::size_t kMaxScenarioBytes = std::size_t{16} * 1024 * 1024;

// Parses scenario XML text. Returns true and replaces *out on success; on
// failure returns false, leaves *out unchanged and puts a one-line message
// naming the line and the fault into *error.
bool ParseScenarioText(const std::string& text, Scenario* out, std::string* error);

// Reads and parses the scenario file at path (at most kMaxScenarioBytes).
// Same result contract as ParseScenarioText; messages name the path.
bool LoadScenarioFile(const std::string& path, Scenario* out, std::string* error);

}  // namespace qmsim

#endif  // QMSIM_SCENARIO_H
