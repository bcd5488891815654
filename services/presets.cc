// PTZ presets: the preset requests, the preset-list reply, and the two
// composite operations that set a preset and recall a listed one.
#include <boost/make_shared.hpp>
#include <climits>
#include <cstdlib>
#include <cwchar>

#include "client/reply_document.h"
#include "client/server.h"
#include "services/exchange.h"

namespace QM {

namespace {

// Capacity of a generated preset name, in wide characters (terminator
// included).
const size_t kPresetNameChars = 256;

// The decimal value of a text as atoi reads it (leading blanks, an optional
// sign, digits up to the first other character; none gives 0), with values
// beyond the int range held at its ends instead of overflowing.
int ParsePresetID(const std::string& text) {
  const long value = std::strtol(text.c_str(), nullptr, 10);
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

}  // namespace

ByteVector Server::ReqPkt_GetPTZPresets(unsigned int camera_id) {
  SetCredentials();
  unsigned int count = 0;
  const char* frame = pkt_.GetPTZPresets(camera_id, &count);
  return FrameBytes(frame, count);
}

ByteVector Server::ReqPkt_SetPTZPreset(unsigned int camera_id,
                                       unsigned int preset,
                                       std::wstring name) {
  SetCredentials();
  unsigned int count = 0;
  const char* frame = pkt_.SetPTZPreset(camera_id, preset, name, &count);
  return FrameBytes(frame, count);
}

ByteVector Server::ReqPkt_RecallPTZPreset(unsigned int camera_id,
                                          unsigned int preset,
                                          std::wstring name) {
  SetCredentials();
  unsigned int count = 0;
  const char* frame = pkt_.RecallPTZPreset(camera_id, preset, name, &count);
  return FrameBytes(frame, count);
}

ByteVector Server::ReqPkt_DeletePTZPreset(unsigned int camera_id,
                                          unsigned int preset,
                                          std::wstring name) {
  SetCredentials();
  unsigned int count = 0;
  const char* frame = pkt_.DeletePTZPreset(camera_id, preset, name, &count);
  return FrameBytes(frame, count);
}

PresetList Server::RspPkt_ParsePresets(const void* reply,
                                       unsigned int length) {
  PresetList presets = boost::make_shared<std::vector<PresetPtr> >();
  ReplyDocument document(reply, length);
  if (document.Error()) return presets;
  const TiXmlElement* list =
      document.Document().FirstChildElement("ArrayOfIPCPreset");
  if (list == nullptr) return presets;
  for (const TiXmlNode* entry = list->FirstChild("IPCPreset");
       entry != nullptr; entry = entry->NextSibling()) {
    if (entry->FirstChildElement("PresetID") == nullptr) continue;
    PresetPtr preset = boost::make_shared<Preset>();
    preset->ID = ParsePresetID(ReadFieldText(entry, "PresetID"));
    preset->Name = ReadWideField(entry, "PresetName");
    presets->push_back(preset);
  }
  return presets;
}

bool Server::RegistPreset(unsigned int camera_id, unsigned int number) {
  wchar_t name[kPresetNameChars];
  std::swprintf(name, kPresetNameChars, L"Preset %d",
                static_cast<int>(number));
  ExchangeRequest(*this, ReqPkt_SetPTZPreset(camera_id, number, name));
  return true;
}

bool Server::ExecutePreset(unsigned int camera_id, unsigned int preset_id) {
  const ByteVector reply =
      ExchangeRequest(*this, ReqPkt_GetPTZPresets(camera_id));
  if (reply.empty()) return false;
  const PresetList presets =
      RspPkt_ParsePresets(reply.data(), ReplyLength(reply));
  for (const PresetPtr& preset : *presets) {
    if (static_cast<unsigned int>(preset->ID) != preset_id) continue;
    ExchangeRequest(*this, ReqPkt_RecallPTZPreset(
                               camera_id, static_cast<unsigned int>(preset->ID),
                               preset->Name));
    return true;
  }
  return false;
}

}  // namespace QM
