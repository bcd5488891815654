#include "scenario.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <tinyxml.h>

#include "envelope.h"
#include "markup_depth.h"
#include "scenario_attrs.h"
#include "scenario_camera.h"

namespace qmsim {
namespace {

bool ReadServer(const TiXmlElement* e, SimServer* server, std::string* error) {
  return OnlyKnownAttributes(e, {"id", "name", "version", "time-zone", "data-path"}, error) &&
         ReadUnsignedAttr(e, "id", false, &server->id, error) &&
         ReadTextAttr(e, "name", &server->name, error) &&
         ReadTextAttr(e, "version", &server->version, error) &&
         ReadTextAttr(e, "time-zone", &server->time_zone, error) &&
         ReadTextAttr(e, "data-path", &server->data_path, error);
}

// Closes a stdio stream on scope exit.
struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace

const SimCamera* Scenario::FindCamera(std::int64_t id) const {
  if (id < 0 || id > 0xFFFFFFFFLL) return nullptr;
  const auto it = cameras.find(static_cast<std::uint32_t>(id));
  return it == cameras.end() ? nullptr : &it->second;
}

const SimFile* Scenario::FindFile(std::uint32_t camera_id, std::uint32_t file_id) const {
  const SimCamera* camera = FindCamera(camera_id);
  if (!camera) return nullptr;
  for (const SimFile& file : camera->files) {
    if (file.id == file_id) return &file;
  }
  return nullptr;
}

const SimFile* Scenario::FindFileByName(const std::string& name,
                                        const SimCamera** camera) const {
  for (const auto& entry : cameras) {
    for (const SimFile& file : entry.second.files) {
      if (file.name != name) continue;
      if (camera) *camera = &entry.second;
      return &file;
    }
  }
  return nullptr;
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
  int server_line = 0;
  for (const TiXmlElement* e = root->FirstChildElement(); e;
       e = e->NextSiblingElement()) {
    if (e->ValueStr() == "server") {
      if (server_line != 0) {
        *error = At(e) + "second <server> (the first is on line " +
                 std::to_string(server_line) + ")";
        return false;
      }
      server_line = e->Row();
      if (!ReadServer(e, &scenario.server, error)) return false;
      continue;
    }
    if (e->ValueStr() != "camera") {
      *error = At(e) + "unknown element <" + e->ValueStr() +
               "> in <scenario> (want <server> or <camera>)";
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
