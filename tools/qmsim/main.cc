// qmsim: a stand-in video server answering the recording-query commands
// (324 day tracker, 715 recording files, 716 motion periods) and the service
// commands (server and cameras, video files and spans, PTZ and presets, live
// and playback streams) from a scenario file, with optional deliberate
// faults.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/cli.h"
#include "common/exit_status.h"
#include "faults.h"
#include "password_file.h"
#include "request_handler.h"
#include "scenario.h"
#include "server_loop.h"

namespace {

const char kPasswordHelp[] =
    "Password: requests must carry the user name of --user and the password read from\n"
    "--password-file FILE (its one line), else given with --password, else taken from the\n"
    "environment variable QMSIM_PASSWORD, else \"admin\". --password shows the password to\n"
    "every user of the machine (process list): use it only for throw-away demos.\n\n";

const char kStopHelp[] =
    "SIGTERM or SIGINT stops qmsim at once in any state (also during a stall or while a\n"
    "client trickles): connections in progress are closed, the port file is removed and\n"
    "qmsim exits with status 0. qmsim's own exit statuses are 0, 1 and 2.\n";

// Prints a usage error the way qmtools::Parse does; returns kExitUsage.
int UsageError(const std::string& message) {
  std::fprintf(stderr, "qmsim: %s\nRun with --help for more information.\n", message.c_str());
  return qmtools::kExitUsage;
}

// Checks the fault options against each other; -1 when they fit, else the
// exit status after the message.
int CheckFaultOptions(const CLI::App& app, const std::string& fault_name,
                      long long fault_command, qmsim::FaultPlan* plan) {
  if (!qmsim::ParseFaultMode(fault_name, &plan->mode)) {
    return UsageError("unknown fault mode \"" + fault_name + "\" (want one of: " +
                      qmsim::FaultModeNames() + ")");
  }
  const bool faulty = plan->mode != qmsim::FaultMode::kNone;
  if (app.count("--fault-command") > 0) {
    if (!faulty) return UsageError("--fault-command needs --fault");
    if (fault_command < 0 || fault_command > 0xFFFFFFFFLL ||
        !qmsim::IsServedCommand(static_cast<std::uint32_t>(fault_command))) {
      return UsageError("--fault-command " + std::to_string(fault_command) +
                        ": qmsim serves only " + qmsim::ServedCommandList());
    }
    plan->only_one_command = true;
    plan->command = static_cast<std::uint32_t>(fault_command);
  }
  if (app.count("--stall-ms") > 0 && plan->mode != qmsim::FaultMode::kStall) {
    return UsageError("--stall-ms needs --fault stall");
  }
  if ((app.count("--chunk-size") > 0 || app.count("--chunk-pause-ms") > 0) &&
      plan->mode != qmsim::FaultMode::kChunked) {
    return UsageError("--chunk-size and --chunk-pause-ms need --fault chunked");
  }
  if (app.count("--fault-frame") > 0 && plan->mode != qmsim::FaultMode::kCutFrame &&
      plan->mode != qmsim::FaultMode::kOversized) {
    return UsageError("--fault-frame needs --fault cut-frame or --fault oversized");
  }
  return -1;
}

// Settles the password: --password-file, else --password, else
// QMSIM_PASSWORD (when not empty), else the default already in *password. -1 on success, else
// the exit status after the message.
int SettlePassword(const CLI::App& app, const std::string& password_file,
                   const std::string& given, std::string* password) {
  const char* from_env = std::getenv("QMSIM_PASSWORD");
  std::string error;
  if (app.count("--password-file") > 0 && app.count("--password") > 0) {
    return UsageError("--password and --password-file exclude each other");
  }
  if (app.count("--password-file") > 0) {
    if (!qmsim::ReadPasswordFile(password_file, password, &error)) {
      std::fprintf(stderr, "qmsim: %s\n", error.c_str());
      return qmtools::kExitFailure;
    }
  } else if (app.count("--password") > 0) {
    *password = given;
  } else if (from_env && *from_env) {
    *password = from_env;
  }
  return -1;
}

}  // namespace

namespace {

// The tool itself; main only guards it.
int Run(int argc, char** argv) {
  qmsim::ServerOptions options;
  options.credentials.user = "admin";
  options.credentials.password = "admin";
  std::string scenario_path, password_file, given_password;
  std::string fault_name = "none";
  long long fault_command = -1;

  CLI::App app("Stand-in video server answering the recording query (324, 715, 716) and the "
               "service commands (server and cameras, video files and spans, PTZ and presets, "
               "live and playback streams) from a scenario file.",
               "qmsim");
  qmtools::SetUpApp(app);
  app.footer(std::string(kPasswordHelp) + kStopHelp + "\n" + qmtools::kExitStatusHelp);
  app.add_option("--scenario", scenario_path, "Scenario XML file (scenarios/README.md)")
      ->required()->type_name("FILE");
  app.add_option("--address", options.host, "Address to listen on (default 127.0.0.1)")
      ->type_name("HOST");
  app.add_option("--port", options.port, "Port to listen on (default 4011; 0: any free port)")
      ->type_name("N");
  app.add_option("--live-port", options.live_port,
                 "Port of the live streams (default: any free port; announced as LivePort)")
      ->type_name("N")->check(qmtools::QuietRange(0, 65535));
  app.add_option("--port-file", options.port_file,
                 "Holds the bound port and the live port (two lines) while qmsim listens; "
                 "removed when it stops")
      ->type_name("FILE");
  app.add_option("--max-requests", options.max_requests,
                 "Stop after serving N connections (default 0: no limit)")
      ->type_name("N");
  app.add_option("--user", options.credentials.user, "User name requests must carry (default admin)")
      ->type_name("NAME");
  app.add_option("--password-file", password_file,
                 "Read the password from FILE (see Password below)")
      ->type_name("FILE");
  app.add_option("--password", given_password,
                 "Password on the command line: throw-away demos only (visible to all)")
      ->type_name("PASSWORD");
  app.add_option("--record", options.record_dir,
                 "Save each raw request as DIR/request-<n>.bin (mode 0600)")
      ->type_name("DIR")->check(CLI::ExistingDirectory.description(""));
  app.add_option("--fault", fault_name, std::string("Misbehaviour: ") + qmsim::FaultModeNames())
      ->type_name("MODE");
  app.add_option("--fault-command", fault_command,
                 "Only requests of CODE (any served command) get the fault")
      ->type_name("CODE");
  app.add_option("--fault-frame", options.fault.frame,
                 "Frame (from 0) spoilt by --fault cut-frame or oversized (default 1)")
      ->type_name("N");
  app.add_option("--stall-ms", options.fault.stall_ms,
                 "Pause of --fault stall before the reply (default 1000)")
      ->type_name("MS")->check(qmtools::QuietRange(0, 600000));
  app.add_option("--chunk-size", options.fault.chunk_size,
                 "Bytes per send of --fault chunked (default 7)")
      ->type_name("N")->check(qmtools::QuietRange(1, 65536));
  app.add_option("--chunk-pause-ms", options.fault.chunk_pause_ms,
                 "Pause between sends of --fault chunked (default 5)")
      ->type_name("MS")->check(qmtools::QuietRange(0, 10000));
  app.add_option("--deadline-ms", options.deadline_ms,
                 "Time a connection may take in all (default 10000 plus the stall)")
      ->type_name("MS")->check(qmtools::QuietRange(1, 3600000));
  const int parsed = qmtools::Parse(app, argc, argv);
  if (parsed >= 0) return parsed;

  const int fault_status = CheckFaultOptions(app, fault_name, fault_command, &options.fault);
  if (fault_status >= 0) return fault_status;
  const int password_status =
      SettlePassword(app, password_file, given_password, &options.credentials.password);
  if (password_status >= 0) return password_status;
  qmsim::Scenario scenario;
  std::string error;
  if (!qmsim::LoadScenarioFile(scenario_path, &scenario, &error)) {
    std::fprintf(stderr, "qmsim: %s\n", error.c_str());
    return qmtools::kExitFailure;
  }
  return qmsim::RunServer(options, scenario);
}

}  // namespace

int main(int argc, char** argv) {
  return qmtools::RunGuarded("qmsim", [&] { return Run(argc, argv); });
}
