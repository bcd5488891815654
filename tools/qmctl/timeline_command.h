// qmctl timeline RESULT_FILE --svg FILE: the interval lane of a day drawn
// from a result file of qmrecinfo alone. It needs no server and no login,
// so it runs before qmctl resolves credentials and asks for the server
// description.
#pragma once

#include <string>

#include <CLI/CLI.hpp>

namespace qmctl {

class TimelineCommand {
 public:
  // Adds the subcommand "timeline" to `app` (which owns it and must outlive
  // this object).
  explicit TimelineCommand(CLI::App& app);
  TimelineCommand(const TimelineCommand&) = delete;
  TimelineCommand& operator=(const TimelineCommand&) = delete;

  // True when the parsed command line chose "timeline".
  bool Chosen() const;
  // Reads the result file and writes the picture. Returns kExitOk, or prints
  // why not and returns kExitFailure (file unreadable or not a result file,
  // an error code in it, no rows and no --date, SVG not writable).
  int Run() const;

 private:
  CLI::App* sub_;
  std::string result_file_;
  std::string svg_file_;
  std::string zone_;
  std::string date_;
};

}  // namespace qmctl
