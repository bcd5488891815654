// Registration of qmctl's subcommands.
#include "command_set.h"

namespace qmctl {

CLI::App* CommandSet::Add(const std::string& name, const std::string& help,
                          CommandRun run) {
  CLI::App* sub = app_.add_subcommand(name, help);
  commands_.emplace_back(sub, std::move(run));
  return sub;
}

const CommandRun* CommandSet::Chosen() const {
  for (const auto& command : commands_) {
    if (command.first->parsed()) return &command.second;
  }
  return nullptr;
}

}  // namespace qmctl
