// A scenario parsed from text with the presets and server state built on it,
// for tests that call the answers and streams directly.
#ifndef QM_TESTS_QMSIM_SIM_STATE_H_
#define QM_TESTS_QMSIM_SIM_STATE_H_

#include <gtest/gtest.h>

#include <string>

#include "preset_store.h"
#include "scenario.h"
#include "server_state.h"

namespace qmtest {

// The scenario of `text` (a test failure when it does not parse), its
// presets, and the state the answers use, announcing `live_port`.
struct SimState {
  explicit SimState(const std::string& text, std::uint16_t live_port = 4012)
      : scenario(Parsed(text)), state{scenario, presets, live_port} {}
  static qmsim::Scenario Parsed(const std::string& text) {
    qmsim::Scenario parsed;
    std::string error;
    EXPECT_TRUE(qmsim::ParseScenarioText(text, &parsed, &error)) << error;
    return parsed;
  }
  qmsim::Scenario scenario;
  qmsim::PresetStore presets{scenario};
  qmsim::ServerState state;
};

}  // namespace qmtest

#endif  // QM_TESTS_QMSIM_SIM_STATE_H_
