// qmsim: a stand-in video server answering the recording-query commands
// (324 day tracker, 715 recording files, 716 motion periods) from a scenario
// file, with optional deliberate faults.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <string>

#include "faults.h"
#include "scenario.h"
#include "server_loop.h"

int main(int argc, char** argv) {
  qmsim::ServerOptions options;
  options.credentials.user = "admin";
  options.credentials.password = "admin";
  std::string scenario_path;
  std::string fault_name = "none";
  long long fault_command = -1;

  CLI::App app("Stand-in video server answering day-tracker, recording-info "
               "and motion-info requests from a scenario file.",
               "qmsim");
  app.add_option("--scenario", scenario_path, "Scenario XML file")
      ->required();
  app.add_option("--address", options.host, "Address to listen on")
      ->capture_default_str();
  app.add_option("--port", options.port, "Port to listen on (0: ephemeral)")
      ->capture_default_str();
  app.add_option("--port-file", options.port_file,
                 "Write the bound port number to this file once listening");
  app.add_option("--max-requests", options.max_requests,
                 "Exit after serving this many connections (0: no limit)")
      ->capture_default_str();
  app.add_option("--user", options.credentials.user, "User name requests must carry")
      ->capture_default_str();
  // No default shown: the password never appears in any output.
  app.add_option("--password", options.credentials.password,
                 "Password requests must carry (default: see scenarios/README.md)");
  app.add_option("--record", options.record_dir,
                 "Save each raw request as DIR/request-<n>.bin")
      ->check(CLI::ExistingDirectory);
  app.add_option("--fault", fault_name,
                 std::string("Misbehaviour: ") + qmsim::FaultModeNames())
      ->capture_default_str();
  app.add_option("--fault-command", fault_command,
                 "Limit the fault to requests of this command code")
      ->check(CLI::Range(0LL, 4294967295LL));
  app.add_option("--stall-ms", options.fault.stall_ms,
                 "Pause of the stall fault in milliseconds")
      ->check(CLI::Range(0, 600000))
      ->capture_default_str();
  app.add_option("--chunk-size", options.fault.chunk_size,
                 "Bytes per send of the chunked fault")
      ->check(CLI::Range(1, 65536))
      ->capture_default_str();
  app.add_option("--chunk-pause-ms", options.fault.chunk_pause_ms,
                 "Pause between sends of the chunked fault in milliseconds")
      ->check(CLI::Range(0, 10000))
      ->capture_default_str();
  app.add_option("--io-timeout-ms", options.io_timeout_ms,
                 "Per-connection send and receive timeout in milliseconds")
      ->check(CLI::Range(1, 600000))
      ->capture_default_str();
  CLI11_PARSE(app, argc, argv);

  if (!qmsim::ParseFaultMode(fault_name, &options.fault.mode)) {
    std::fprintf(stderr, "qmsim: unknown fault mode \"%s\" (want one of: %s)\n",
                 fault_name.c_str(), qmsim::FaultModeNames());
    return 2;
  }
  if (fault_command >= 0) {
    options.fault.only_one_command = true;
    options.fault.command = static_cast<std::uint32_t>(fault_command);
  }
  qmsim::Scenario scenario;
  std::string error;
  if (!qmsim::LoadScenarioFile(scenario_path, &scenario, &error)) {
    std::fprintf(stderr, "qmsim: %s\n", error.c_str());
    return 1;
  }
  return qmsim::RunServer(options, scenario);
}
