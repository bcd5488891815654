// qmctl run as a child process against qmsim (127.0.0.1, ephemeral port),
// for the end-to-end tests of day and timeline: the scenario from scenarios/,
// user "admin" with its password in a file, JSON lines read back.
#ifndef QM_TESTS_QMCTL_DAY_QMCTL_RUNS_H_
#define QM_TESTS_QMCTL_DAY_QMCTL_RUNS_H_

#include <nlohmann/json.hpp>

#include <sstream>
#include <string>
#include <vector>

#include "tests/qmsim/qmsim_child.h"
#include "tests/support/run_capture.h"

namespace qmday {

// qmsim serving one scenario file until destroyed. `extra` adds options
// (faults). Port() is 0 when it did not come up.
class SimServer {
 public:
  explicit SimServer(const std::string& scenario, const std::vector<std::string>& extra = {})
      : written_(Write(dir_)), sim_(dir_, Args(scenario, extra)) {}
  int Port() const { return sim_.Port(); }
  const qmtest::TempDir& dir() const { return dir_; }
  std::string Log() const { return sim_.Log(); }

 private:
  static bool Write(const qmtest::TempDir& dir) {
    qmtest::WriteWholeFile(dir.File("pw"), "secret\n");
    return true;
  }
  std::vector<std::string> Args(const std::string& scenario, const std::vector<std::string>& extra) {
    std::vector<std::string> args{"--scenario", std::string(QM_SOURCE_DIR) + "/scenarios/" + scenario,
                                  "--port", "0", "--port-file", dir_.File("port"), "--user",
                                  "admin", "--password-file", dir_.File("pw")};
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
  }
  qmtest::TempDir dir_;
  bool written_;
  qmtest::QmsimChild sim_;
};

// Runs qmctl with the login of SimServer (password file `password`) and
// `args` after the common options; in `dir`.
inline qmtest::RunResult RunQmctl(const SimServer& sim, const std::vector<std::string>& args,
                                  const std::string& password = "secret") {
  qmtest::WriteWholeFile(sim.dir().File("login"), password + "\n");
  std::vector<std::string> argv{QMCTL_BINARY, "--port", std::to_string(sim.Port()), "--user",
                                "admin", "--password-file", sim.dir().File("login")};
  argv.insert(argv.end(), args.begin(), args.end());
  return qmtest::RunCaptured(argv, sim.dir().path());
}

// The JSON lines of an output; a line that is not JSON becomes a string.
inline std::vector<nlohmann::json> JsonLines(const std::string& out) {
  std::vector<nlohmann::json> lines;
  std::istringstream in(out);
  for (std::string line; std::getline(in, line);)
    lines.push_back(nlohmann::json::parse(line, nullptr, false));
  return lines;
}

// "IDX,CAMID,RECTYPE,START,END" of every interval line of `day --json`.
inline std::vector<std::string> IntervalRows(const std::vector<nlohmann::json>& lines) {
  std::vector<std::string> rows;
  for (size_t i = 1; i < lines.size(); ++i) {
    const nlohmann::json& l = lines[i];
    if (!l.is_object() || !l.contains("idx")) continue;
    rows.push_back(std::to_string(l["idx"].get<unsigned>()) + "," +
                   std::to_string(l["camera_id"].get<unsigned>()) + "," +
                   std::to_string(l["rec_type"].get<unsigned>()) + "," +
                   l["start"].get<std::string>() + "," + l["end"].get<std::string>());
  }
  return rows;
}

}  // namespace qmday

#endif  // QM_TESTS_QMCTL_DAY_QMCTL_RUNS_H_
