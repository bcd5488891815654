// Shared by the qmctl tests: qmctl run as a child process without a shell,
// both output streams captured, and qmsim on sample_server.xml with
// ephemeral ports for it to talk to.
#pragma once

#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "../qmsim/qmsim_child.h"
#include "../support/run_capture.h"

namespace qmctl_test {

// The password qmsim wants for user "admin" in these tests.
constexpr char kPassword[] = "s3cret-pw";

struct CtlRun {
  int status = -1;
  std::string out;  // standard output, byte for byte
  std::string err;  // standard error
};

// Runs qmctl with `args` in the test's environment; standard error is our
// fd 2, pointed at a memory file for the run.
inline CtlRun RunQmctl(const std::vector<std::string>& args) {
  std::vector<std::string> argv{QMCTL_BINARY};
  argv.insert(argv.end(), args.begin(), args.end());
  const int err = memfd_create("qmctl-stderr", MFD_CLOEXEC);
  const int saved = dup(2);
  fflush(stderr);
  dup2(err, 2);
  const qmtest::RunResult run = qmtest::RunCaptured(argv, "/");
  dup2(saved, 2);
  close(saved);
  CtlRun result{run.status, run.out, {}};
  char buffer[4096];
  for (ssize_t n; (n = pread(err, buffer, sizeof buffer, off_t(result.err.size()))) > 0;)
    result.err.append(buffer, size_t(n));
  close(err);
  return result;
}

// qmsim serving sample_server.xml (plus `extra` options) for one test, and
// qmctl pointed at it as user admin with the password in QMCTL_PASSWORD.
class QmsimServer {
 public:
  explicit QmsimServer(const std::vector<std::string>& extra = {})
      : qmsim_(dir_, Args(extra), {std::string("QMSIM_PASSWORD=") + kPassword}) {
    setenv("QMCTL_PASSWORD", kPassword, 1);
    port_ = qmsim_.Port();
  }

  const qmtest::TempDir& dir() const { return dir_; }
  int port() const { return port_; }
  std::string Log() const { return qmsim_.Log(); }
  // The live port: the second line of the port file.
  std::string LivePort() const {
    const std::string file = qmtest::ReadWholeFile(dir_.File("port"));
    const size_t eol = file.find('\n');
    return eol == std::string::npos ? "" : std::to_string(std::atoi(file.c_str() + eol + 1));
  }
  // qmctl with --port and --user in front of `args`.
  CtlRun Ctl(const std::vector<std::string>& args) const {
    std::vector<std::string> all{"--port", std::to_string(port_), "--user", "admin"};
    all.insert(all.end(), args.begin(), args.end());
    return RunQmctl(all);
  }

 private:
  static std::vector<std::string> Args(const std::vector<std::string>& extra) {
    std::vector<std::string> args{"--scenario", QM_SOURCE_DIR "/scenarios/sample_server.xml",
                                  "--port", "0", "--port-file", "port"};
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
  }

  qmtest::TempDir dir_;
  qmtest::QmsimChild qmsim_;
  int port_ = 0;
};

}  // namespace qmctl_test
