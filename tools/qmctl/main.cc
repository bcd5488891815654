// qmctl: the service command. It asks a video server for its description,
// cameras and their health, recorded files and their frames, recording
// folders, PTZ movements and presets, and live and playback streams, and
// prints the answers as an aligned text view or as JSON Lines (--json).
//
// Every command first asks for the server description. Every failure is one
// line on standard error and an exit status of the tools' shared table
// (common/exit_status.h).
#include <cstdio>

#include "command_set.h"
#include "common/cli.h"
#include "connection_options.h"
#include "failure.h"
#include "record_output.h"
#include "session.h"
#include "timeline_command.h"

namespace {

// The command groups; a new group adds its function here.
void (*const kCommandGroups[])(qmctl::CommandSet&) = {
    qmctl::AddServerCommands, qmctl::AddCameraCommands, qmctl::AddFileCommands,
    qmctl::AddPtzCommands, qmctl::AddStreamCommands, qmctl::AddDayCommands,
};

constexpr const char kOutputHelp[] =
    "Output: an aligned text view, or with --json one JSON object per record\n"
    "and line, keys in snake_case after the record's fields. Every time is given\n"
    "twice: as text YYYY-MM-DDTHH:MM:SS[.fff] in the server's wall clock (no zone)\n"
    "and as .NET ticks under the same key with \"_ticks\" appended; a time the\n"
    "server did not give is null in both. --from and --to are read in the\n"
    "server's wall clock as well.\n";

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"Service command for a video server: server description, cameras, "
               "recorded files, PTZ and presets, live and playback streams.",
               "qmctl"};
  qmtools::SetUpApp(app);
  // Printed above the exit-status table that SetUpApp puts in the footer.
  app.footer([] { return std::string(qmctl::kCredentialsHelp) + "\n" + kOutputHelp; });
  // Common options may also follow the subcommand.
  app.fallthrough();
  app.require_subcommand(1);

  qmctl::ConnectionOptions options;
  qmctl::AddConnectionOptions(app, options);
  qmctl::CommandSet commands(app);
  for (auto add : kCommandGroups) add(commands);
  qmctl::TimelineCommand timeline(app);  // needs no server: runs before the login

  const int parsed = qmtools::Parse(app, argc, argv);
  if (parsed >= 0) return parsed;
  if (timeline.Chosen()) return timeline.Run();
  const qmctl::CommandRun* run = commands.Chosen();
  if (run == nullptr) return qmctl::Fail(qmtools::kExitUsage, "no command given");

  qmctl::Credentials credentials;
  const int resolved = qmctl::ResolveCredentials(options, credentials);
  if (resolved != qmtools::kExitOk) return resolved;

  qmctl::Session session(options, credentials);
  qmctl::RecordOutput out(options.json, stdout);
  int status = session.Describe();
  if (status == qmtools::kExitOk) {
    qmctl::CommandContext context{session, out};
    status = (*run)(context);
  }
  if (!out.Finish() && status == qmtools::kExitOk) {
    status = qmctl::Fail(qmtools::kExitFailure, "cannot write the output");
  }
  return status;
}
