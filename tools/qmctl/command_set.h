// qmctl's subcommands: how each is registered and run. A group of related
// commands lives in its own file and adds its commands through one
// function; a new group needs that function, one line in main.cc's list and
// its file in CMakeLists.txt.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <CLI/CLI.hpp>

#include "record_output.h"
#include "session.h"

namespace qmctl {

// What a command runs with: the session, after the server description has
// been read, and the output.
struct CommandContext {
  Session& session;
  RecordOutput& out;
};

// Runs the command; returns the exit status (failures printed already).
using CommandRun = std::function<int(CommandContext&)>;

class CommandSet {
 public:
  explicit CommandSet(CLI::App& app) : app_(app) {}

  // Adds the subcommand `name`; `run` is called when it is chosen. Returns
  // the subcommand (owned by the app) for its arguments and options, whose
  // values must live as long as `run` (keep them in an object `run` holds).
  CLI::App* Add(const std::string& name, const std::string& help, CommandRun run);

  // The run function of the subcommand on the command line; null for none.
  const CommandRun* Chosen() const;

 private:
  CLI::App& app_;
  std::vector<std::pair<CLI::App*, CommandRun>> commands_;
};

// The command groups, one file each.
void AddServerCommands(CommandSet& commands);  // server
void AddCameraCommands(CommandSet& commands);  // cameras, status, camera
void AddFileCommands(CommandSet& commands);    // files, frames, dirs
void AddPtzCommands(CommandSet& commands);     // ptz, presets, preset-set, preset-go
void AddStreamCommands(CommandSet& commands);  // live, playback
void AddDayCommands(CommandSet& commands);     // day

}  // namespace qmctl
