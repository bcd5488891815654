#include "scenario.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <map>
#include <memory>
#include <tinyxml.h>

#include "envelope.h"
#include "markup_depth.h"

namespace qmsim {
namespace {

// "line N: " for an element.
std::string At(const TiXmlElement* e) {
  return "line " + std::to_string(e->Row()) + ": ";
}

// Refuses any attribute of e not in `known`, so that a misspelt name is
// reported instead of falling back to a default.
bool OnlyKnownAttributes(const TiXmlElement* e, std::initializer_list<const char*> known,
                         std::string* error) {
  for (const TiXmlAttribute* a = e->FirstAttribute(); a; a = a->Next()) {
    bool found = false;
    for (const char* name : known) found = found || a->NameTStr() == name;
    if (found) continue;
    std::string wanted;
    for (const char* name : known) wanted += std::string(wanted.empty() ? "" : ", ") + name;
    *error = At(e) + "unknown attribute \"" + a->NameTStr() + "\" on <" + e->ValueStr() +
             "> (want " + (wanted.empty() ? std::string("none") : wanted) + ")";
    return false;
  }
  return true;
}

// Reads a required (or, with fallback, optional) unsigned attribute.
bool ReadUnsignedAttr(const TiXmlElement* e, const char* name, bool required,
                      std::uint32_t* out, std::string* error) {
  const char* value = e->Attribute(name);
  if (!value) {
    if (!required) return true;
    *error = At(e) + "<" + e->ValueStr() + "> lacks attribute \"" + name + "\"";
    return false;
  }
  if (!ParseUnsigned32(value, out)) {
    *error = At(e) + "attribute \"" + name + "\" is not an unsigned number: \"" +
             value + "\"";
    return false;
  }
  return true;
}

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
  if (!OnlyKnownAttributes(e, {"id", "name", "start", "end", "type", "frames"}, error) ||
      !ReadUnsignedAttr(e, "id", true, &file->id, error) ||
      !ReadUnsignedAttr(e, "type", false, &file->type, error) ||
      !ReadUnsignedAttr(e, "frames", false, &file->frames, error)) {
    return false;
  }
  const char* name = e->Attribute("name");
  file->name = name ? name : "";
  return ReadSpan(e, &file->start_text, &file->end_text, &file->start, &file->end,
                  error);
}

bool ReadMotion(const TiXmlElement* e, SimMotion* motion, std::string* error) {
  return OnlyKnownAttributes(e, {"file", "start", "end"}, error) &&
         ReadUnsignedAttr(e, "file", false, &motion->file_id, error) &&
         ReadSpan(e, &motion->start_text, &motion->end_text, &motion->start,
                  &motion->end, error);
}

// Line of each file id read so far, over all cameras: a file id names one
// recording of the server.
using FileLines = std::map<std::uint32_t, int>;

// Reads a camera and its children. A motion's file must be a file of the
// same camera (anywhere in it); file 0, or none, means a motion in a gap.
bool ReadCamera(const TiXmlElement* e, SimCamera* camera, FileLines* file_lines,
                std::string* error) {
  if (!OnlyKnownAttributes(e, {"id"}, error) ||
      !ReadUnsignedAttr(e, "id", true, &camera->id, error)) {
    return false;
  }
  std::vector<const TiXmlElement*> motion_elements;
  for (const TiXmlElement* child = e->FirstChildElement(); child;
       child = child->NextSiblingElement()) {
    if (child->ValueStr() == "file") {
      SimFile file;
      if (!ReadFile(child, &file, error)) return false;
      const auto earlier = file_lines->emplace(file.id, child->Row());
      if (!earlier.second) {
        *error = At(child) + "file id " + std::to_string(file.id) + " already used on line " +
                 std::to_string(earlier.first->second);
        return false;
      }
      camera->files.push_back(file);
    } else if (child->ValueStr() == "motion") {
      SimMotion motion;
      if (!ReadMotion(child, &motion, error)) return false;
      camera->motions.push_back(motion);
      motion_elements.push_back(child);
    } else {
      *error = At(child) + "unknown element <" + child->ValueStr() +
               "> in <camera> (want <file> or <motion>)";
      return false;
    }
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

// Closes a stdio stream on scope exit.
struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace

const SimCamera* Scenario::FindCamera(std::int64_t id) const {
  if (id < 0 || id > 0xFFFFFFFFll) return nullptr;
  const auto it = cameras.find(static_cast<std::uint32_t>(id));
  return it == cameras.end() ? nullptr : &it->second;
}

bool ParseScenarioText(const std::string& text, Scenario* out, std::string* error) {
  int deep_line = 0;
  if (!NestingWithin(text, kMaxScenarioDepth, &deep_line)) {
    *error = "line " + std::to_string(deep_line) + ": elements nested deeper than " +
             std::to_string(kMaxScenarioDepth) + " levels";
    return false;
  }
  KeepXmlWhiteSpace();
  TiXmlDocument doc;
  doc.Parse(text.c_str());
  if (doc.Error()) {
    *error = "line " + std::to_string(doc.ErrorRow()) + ": malformed XML: " +
             doc.ErrorDesc();
    return false;
  }
  const TiXmlElement* root = doc.RootElement();
  if (!root || root->ValueStr() != "scenario") {
    *error = "the document element must be <scenario>";
    return false;
  }
  if (!OnlyKnownAttributes(root, {}, error)) return false;
  Scenario scenario;
  FileLines file_lines;
  for (const TiXmlElement* e = root->FirstChildElement(); e;
       e = e->NextSiblingElement()) {
    if (e->ValueStr() != "camera") {
      *error = At(e) + "unknown element <" + e->ValueStr() +
               "> in <scenario> (want <camera>)";
      return false;
    }
    SimCamera camera;
    if (!ReadCamera(e, &camera, &file_lines, error)) return false;
    if (scenario.cameras.count(camera.id) != 0) {
      *error = At(e) + "camera " + std::to_string(camera.id) + " appears twice";
      return false;
    }
    scenario.cameras[camera.id] = std::move(camera);
  }
  *out = std::move(scenario);
  return true;
}

bool LoadScenarioFile(const std::string& path, Scenario* out, std::string* error) {
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) {
    *error = "cannot read scenario " + path + ": " + std::strerror(errno);
    return false;
  }
  std::string text;
  char buffer[8192];
  std::size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) {
    if (text.size() + got > kMaxScenarioBytes) {
      *error = "scenario " + path + " is larger than " +
               std::to_string(kMaxScenarioBytes) + " bytes";
      return false;
    }
    text.append(buffer, got);
  }
  if (std::ferror(file.get())) {
    *error = "cannot read scenario " + path + ": read error";
    return false;
  }
  if (text.find('\0') != std::string::npos) {
    *error = "scenario " + path + " contains a NUL byte";
    return false;
  }
  std::string reason;
  if (!ParseScenarioText(text, out, &reason)) {
    *error = "scenario " + path + " " + reason;
    return false;
  }
  return true;
}

}  // namespace qmsim
