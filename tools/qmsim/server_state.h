// What the answers to service requests draw on, shared by every connection.
#ifndef QMSIM_SERVER_STATE_H
#define QMSIM_SERVER_STATE_H

#include <cstdint>

#include "preset_store.h"
#include "scenario.h"

namespace qmsim {

// The scenario (never changed while serving), the presets (changed by
// requests, locked inside) and the port the live stream listens on. Both
// objects outlive every connection.
struct ServerState {
  const Scenario& scenario;
  PresetStore& presets;
  std::uint16_t live_port;
};

}  // namespace qmsim

#endif  // QMSIM_SERVER_STATE_H
