#include "preset_store.h"

namespace qmsim {

PresetStore::PresetStore(const Scenario& scenario) {
  for (const auto& entry : scenario.cameras) {
    if (!entry.second.presets.empty()) presets_[entry.first] = entry.second.presets;
  }
}

std::vector<SimPreset> PresetStore::List(std::uint32_t camera_id) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto it = presets_.find(camera_id);
  return it == presets_.end() ? std::vector<SimPreset>() : it->second;
}

std::size_t PresetStore::Set(std::uint32_t camera_id, std::uint32_t preset_id,
                             const std::string& name) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<SimPreset>& list = presets_[camera_id];
  for (SimPreset& preset : list) {
    if (preset.id != preset_id) continue;
    preset.name = name;
    return list.size();
  }
  list.push_back(SimPreset{preset_id, name});
  return list.size();
}

bool PresetStore::Delete(std::uint32_t camera_id, std::uint32_t preset_id) {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto it = presets_.find(camera_id);
  if (it == presets_.end()) return false;
  for (auto p = it->second.begin(); p != it->second.end(); ++p) {
    if (p->id != preset_id) continue;
    it->second.erase(p);
    return true;
  }
  return false;
}

bool PresetStore::Find(std::uint32_t camera_id, std::uint32_t preset_id,
                       std::string* name) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto it = presets_.find(camera_id);
  if (it == presets_.end()) return false;
  for (const SimPreset& preset : it->second) {
    if (preset.id != preset_id) continue;
    *name = preset.name;
    return true;
  }
  return false;
}

}  // namespace qmsim
