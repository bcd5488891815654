#include "scenario_camera.h"

#include <tinyxml.h>

#include "scenario_attrs.h"

namespace qmsim {
namespace {

// Reads the start and end attributes: present, parsable, end not before start.
bool ReadSpan(const TiXmlElement* e, std::string* start_text, std::string* end_text,
              WallSeconds* start, WallSeconds* end, std::string* error) {
  const char* s = e->Attribute("start");
  const char* t = e->Attribute("end");
  if (!s || !t) {
    *error = At(e) + "<" + e->ValueStr() + "> needs both \"start\" and \"end\"";
    return false;
  }
  if (!ParseWallClock(s, start)) {
    *error = At(e) + "bad time \"" + s + "\" (want YYYY-MM-DDTHH:MM:SS[zone])";
    return false;
  }
  if (!ParseWallClock(t, end)) {
    *error = At(e) + "bad time \"" + t + "\" (want YYYY-MM-DDTHH:MM:SS[zone])";
    return false;
  }
  if (*end < *start) {
    *error = At(e) + "end " + t + " lies before start " + s;
    return false;
  }
  *start_text = s;
  *end_text = t;
  return true;
}

bool ReadFile(const TiXmlElement* e, SimFile* file, std::string* error) {
  file->has_rate = e->Attribute("rate") != nullptr;
  if (!OnlyKnownAttributes(e, {"id", "name", "start", "end", "type", "frames", "flag",
                               "status", "header", "kind", "format", "extension", "rate"},
                           error) ||
      !ReadUnsignedAttr(e, "id", true, &file->id, error) ||
      !ReadUnsignedAttr(e, "type", false, &file->type, error) ||
      !ReadUnsignedAttr(e, "frames", false, &file->frames, error, kMaxFileFrames) ||
      !ReadUnsignedAttr(e, "flag", false, &file->flag, error) ||
      !ReadUnsignedAttr(e, "status", false, &file->status, error) ||
      !ReadUnsignedAttr(e, "header", false, &file->header_tag, error) ||
      !ReadUnsignedAttr(e, "kind", false, &file->kind, error, 0xFF) ||
      !ReadUnsignedAttr(e, "format", false, &file->format, error, 0xFFFFFF) ||
      !ReadUnsignedAttr(e, "extension", false, &file->extension, error, 0xFFFF) ||
      !ReadUnsignedAttr(e, "rate", false, &file->rate, error) ||
      !ReadTextAttr(e, "name", &file->name, error, 1024)) {
    return false;
  }
  return ReadSpan(e, &file->start_text, &file->end_text, &file->start, &file->end,
                  error);
}

bool ReadMotion(const TiXmlElement* e, SimMotion* motion, std::string* error) {
  return OnlyKnownAttributes(e, {"file", "start", "end"}, error) &&
         ReadUnsignedAttr(e, "file", false, &motion->file_id, error) &&
         ReadSpan(e, &motion->start_text, &motion->end_text, &motion->start,
                  &motion->end, error);
}

bool ReadCameraInfo(const TiXmlElement* e, SimCamera* camera, std::string* error) {
  SimCameraInfo& info = camera->info;
  info.name = "Camera " + std::to_string(camera->id);
  return OnlyKnownAttributes(
             e, {"id", "name", "address", "user", "password", "description", "fourcc",
                 "last-received", "width", "height", "fps", "bandwidth", "ptz", "disabled",
                 "active", "http-port", "rtsp-port", "rtp-port", "rtcp-port"},
             error) &&
         ReadTextAttr(e, "name", &info.name, error) &&
         ReadTextAttr(e, "address", &info.address, error) &&
         ReadTextAttr(e, "user", &info.user, error) &&
         ReadTextAttr(e, "password", &info.password, error) &&
         ReadTextAttr(e, "description", &info.description, error) &&
         ReadTextAttr(e, "fourcc", &info.fourcc, error) &&
         ReadTextAttr(e, "last-received", &info.last_received, error) &&
         ReadUnsignedAttr(e, "width", false, &info.width, error) &&
         ReadUnsignedAttr(e, "height", false, &info.height, error) &&
         ReadUnsignedAttr(e, "fps", false, &info.fps, error) &&
         ReadUnsignedAttr(e, "bandwidth", false, &info.bandwidth, error) &&
         ReadBoolAttr(e, "ptz", &info.ptz, error) &&
         ReadBoolAttr(e, "disabled", &info.disabled, error) &&
         ReadBoolAttr(e, "active", &info.active, error) &&
         ReadUnsignedAttr(e, "http-port", false, &info.http_port, error, 0xFFFF) &&
         ReadUnsignedAttr(e, "rtsp-port", false, &info.rtsp_port, error, 0xFFFF) &&
         ReadUnsignedAttr(e, "rtp-port", false, &info.rtp_port, error, 0xFFFF) &&
         ReadUnsignedAttr(e, "rtcp-port", false, &info.rtcp_port, error, 0xFFFF);
}

bool ReadPreset(const TiXmlElement* e, SimPreset* preset, std::string* error) {
  return OnlyKnownAttributes(e, {"id", "name"}, error) &&
         ReadUnsignedAttr(e, "id", true, &preset->id, error) &&
         ReadTextAttr(e, "name", &preset->name, error);
}

bool ReadFolder(const TiXmlElement* e, std::string* name, std::string* error) {
  if (!OnlyKnownAttributes(e, {"name"}, error) ||
      !ReadTextAttr(e, "name", name, error, 255)) {
    return false;
  }
  if (name->empty()) {
    *error = At(e) + "<folder> needs a \"name\" (1 to 255 bytes)";
    return false;
  }
  return true;
}

// A <frame> of a <stream>: its flag byte and its payload (hex or text).
bool ReadStreamFrame(const TiXmlElement* e, SimStreamFrame* frame, std::string* error) {
  std::uint32_t flag = 0;
  const bool has_flag = e->Attribute("flag") != nullptr;
  if (!OnlyKnownAttributes(e, {"flag", "hex", "text"}, error) ||
      !ReadUnsignedAttr(e, "flag", false, &flag, error, 0xFF) ||
      !ReadHexAttr(e, "hex", &frame->payload, error, kMaxStreamPayload) ||
      (!e->Attribute("hex") &&
       !ReadTextAttr(e, "text", &frame->payload, error, kMaxStreamPayload))) {
    return false;
  }
  if (e->Attribute("hex") && e->Attribute("text")) {
    *error = At(e) + "<frame> takes \"hex\" or \"text\", not both";
    return false;
  }
  frame->flag = has_flag ? static_cast<int>(flag) : -1;
  return true;
}

bool ReadStream(const TiXmlElement* e, SimStream* stream, std::string* error) {
  if (!OnlyKnownAttributes(e, {"live-frames", "bytes", "key-interval", "skip-bytes",
                               "end-word"}, error) ||
      !ReadUnsignedAttr(e, "live-frames", false, &stream->live_frames, error,
                        kMaxLiveFrames) ||
      !ReadUnsignedAttr(e, "bytes", false, &stream->bytes, error, kMaxStreamPayload) ||
      !ReadUnsignedAttr(e, "key-interval", false, &stream->key_interval, error) ||
      !ReadUnsignedAttr(e, "skip-bytes", false, &stream->skip_bytes, error, kMaxSkipBytes) ||
      !ReadUnsignedAttr(e, "end-word", false, &stream->end_word, error, 1)) {
    return false;
  }
  if (stream->key_interval == 0) {
    *error = At(e) + "attribute \"key-interval\" of <stream> must be at least 1";
    return false;
  }
  for (const TiXmlElement* child = e->FirstChildElement(); child;
       child = child->NextSiblingElement()) {
    if (child->ValueStr() != "frame") {
      *error = At(child) + "unknown element <" + child->ValueStr() +
               "> in <stream> (want <frame>)";
      return false;
    }
    SimStreamFrame frame;
    if (!ReadStreamFrame(child, &frame, error)) return false;
    stream->frames.push_back(frame);
  }
  return true;
}

// Reads one child of a camera into it.
bool ReadCameraChild(const TiXmlElement* child, SimCamera* camera, FileLines* file_lines,
                     int* stream_line, std::string* error) {
  const std::string& kind = child->ValueStr();
  if (kind == "file") {
    SimFile file;
    if (!ReadFile(child, &file, error)) return false;
    const auto earlier = file_lines->emplace(file.id, child->Row());
    if (!earlier.second) {
      *error = At(child) + "file id " + std::to_string(file.id) + " already used on line " +
               std::to_string(earlier.first->second);
      return false;
    }
    camera->files.push_back(file);
  } else if (kind == "motion") {
    SimMotion motion;
    if (!ReadMotion(child, &motion, error)) return false;
    camera->motions.push_back(motion);
  } else if (kind == "preset") {
    SimPreset preset;
    if (!ReadPreset(child, &preset, error)) return false;
    if (!camera->info.ptz) {
      *error = At(child) + "camera " + std::to_string(camera->id) +
               " has a preset but is not ptz=\"true\"";
      return false;
    }
    camera->presets.push_back(preset);
  } else if (kind == "folder") {
    std::string name;
    if (!ReadFolder(child, &name, error)) return false;
    camera->folders.push_back(name);
  } else if (kind == "stream") {
    if (*stream_line != 0) {
      *error = At(child) + "second <stream> (the first is on line " +
               std::to_string(*stream_line) + ")";
      return false;
    }
    *stream_line = child->Row();
    return ReadStream(child, &camera->stream, error);
  } else {
    *error = At(child) + "unknown element <" + kind +
             "> in <camera> (want <file>, <motion>, <preset>, <folder> or <stream>)";
    return false;
  }
  return true;
}

}  // namespace

bool ReadCamera(const TiXmlElement* e, SimCamera* camera, FileLines* file_lines,
                std::string* error) {
  if (!ReadUnsignedAttr(e, "id", true, &camera->id, error) ||
      !ReadCameraInfo(e, camera, error)) {
    return false;
  }
  std::vector<const TiXmlElement*> motion_elements;
  int stream_line = 0;
  for (const TiXmlElement* child = e->FirstChildElement(); child;
       child = child->NextSiblingElement()) {
    if (!ReadCameraChild(child, camera, file_lines, &stream_line, error)) return false;
    if (child->ValueStr() == "motion") motion_elements.push_back(child);
  }
  for (std::size_t i = 0; i < camera->motions.size(); ++i) {
    const std::uint32_t id = camera->motions[i].file_id;
    bool found = id == 0;
    for (const SimFile& file : camera->files) found = found || file.id == id;
    if (!found) {
      *error = At(motion_elements[i]) + "motion refers to file " + std::to_string(id) +
               ", which camera " + std::to_string(camera->id) + " does not have";
      return false;
    }
  }
  return true;
}

}  // namespace qmsim
