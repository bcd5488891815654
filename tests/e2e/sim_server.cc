#include "tests/e2e/sim_server.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "tests/support/run_capture.h"

namespace e2e {
namespace {

const int kStartWaitMs = 10000;
const int kStopWaitMs = 5000;

// Waits up to `ms` for the child to end; its wait status in *wstatus.
bool WaitForExit(pid_t pid, int ms, int* wstatus) {
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  for (;;) {
    const pid_t reaped = waitpid(pid, wstatus, WNOHANG);
    if (reaped == pid || reaped < 0) return reaped == pid;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

}  // namespace

SimServer::SimServer(const std::string& dir, const SimOptions& options)
    : dir_(dir) {
  const std::string scenario_path = dir_ + "/scenario.xml";
  const std::string port_path = dir_ + "/qmsim.port";
  const std::string requests = dir_ + "/requests";
  qmtest::WriteWholeFile(scenario_path, options.scenario);
  mkdir(requests.c_str(), 0700);

  std::vector<std::string> argv{QMSIM_PATH,
                                "--address", "127.0.0.1",
                                "--port", std::to_string(options.port),
                                "--scenario", scenario_path,
                                "--port-file", port_path,
                                "--record", requests,
                                // Separate words: qmsim ignores an empty
                                // "--user=" and keeps its default.
                                "--user", options.user,
                                "--password", options.password};
  argv.insert(argv.end(), options.extra_args.begin(), options.extra_args.end());
  std::vector<char*> args = qmtest::ArgvOf(argv);

  const int log = open((dir_ + "/qmsim.log").c_str(),
                       O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (log < 0) return;
  fflush(stdout);
  pid_ = fork();
  if (pid_ == 0) {
    dup2(log, 1);
    dup2(log, 2);
    const int null_fd = open("/dev/null", O_RDONLY);
    if (null_fd >= 0) dup2(null_fd, 0);
    execv(args[0], args.data());
    _exit(127);
  }
  close(log);
  if (pid_ < 0) return;

  const auto deadline = std::chrono::steady_clock::now() +
                        std::chrono::milliseconds(kStartWaitMs);
  while (std::chrono::steady_clock::now() < deadline) {
    int wstatus = 0;
    if (waitpid(pid_, &wstatus, WNOHANG) == pid_) {  // ended before listening
      pid_ = -1;
      return;
    }
    std::error_code missing;
    const auto size = std::filesystem::file_size(port_path, missing);
    if (!missing && size > 0) {
      listening_ = true;
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

SimServer::~SimServer() { Stop(); }

int SimServer::Stop() {
  if (pid_ <= 0) return exit_status_;
  int wstatus = 0;
  kill(pid_, SIGTERM);
  if (!WaitForExit(pid_, kStopWaitMs, &wstatus)) {
    kill(pid_, SIGKILL);
    waitpid(pid_, &wstatus, 0);
    exit_status_ = -1;
  } else {
    exit_status_ = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
  }
  pid_ = -1;
  listening_ = false;
  return exit_status_;
}

std::vector<std::string> SimServer::Requests() const {
  std::vector<std::string> frames;
  for (int n = 1;; ++n) {
    const std::string path =
        dir_ + "/requests/request-" + std::to_string(n) + ".bin";
    if (!std::filesystem::exists(path)) break;
    frames.push_back(qmtest::ReadWholeFile(path));
  }
  return frames;
}

std::string SimServer::Log() const {
  return qmtest::ReadWholeFile(dir_ + "/qmsim.log");
}

}  // namespace e2e
