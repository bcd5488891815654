// The presets of every camera while the server runs: loaded from the
// scenario, changed by set and delete requests. Safe to use from the
// threads of several connections at once.
#ifndef QMSIM_PRESET_STORE_H
#define QMSIM_PRESET_STORE_H

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "scenario.h"

namespace qmsim {

class PresetStore {
 public:
  // The presets of the scenario's cameras, in scenario order.
  explicit PresetStore(const Scenario& scenario);

  // A copy of the camera's presets in their order (empty for a camera
  // without presets).
  std::vector<SimPreset> List(std::uint32_t camera_id) const;
  // Stores the preset: a preset with the same ID is renamed in place,
  // otherwise it is appended. Returns the camera's preset count after.
  std::size_t Set(std::uint32_t camera_id, std::uint32_t preset_id, const std::string& name);
  // Removes the first preset with the ID; false when there is none.
  bool Delete(std::uint32_t camera_id, std::uint32_t preset_id);
  // The name of the first preset with the ID into *name; false when none.
  bool Find(std::uint32_t camera_id, std::uint32_t preset_id, std::string* name) const;

 private:
  mutable std::mutex mutex_;
  std::map<std::uint32_t, std::vector<SimPreset>> presets_;
};

}  // namespace qmsim

#endif  // QMSIM_PRESET_STORE_H
