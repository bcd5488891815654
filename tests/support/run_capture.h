// Test helpers: run a program in a directory and capture its standard output
// and exit status, bounded by a deadline; make and remove private temporary
// directories; read and write whole files.
#ifndef QM_TESTS_SUPPORT_RUN_CAPTURE_H_
#define QM_TESTS_SUPPORT_RUN_CAPTURE_H_

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace qmtest {

struct RunResult {
  std::string out;         // standard output, byte for byte
  int status;              // exit status, or -1 when it did not exit normally
  bool timed_out = false;  // killed because it outlived the deadline
};

// How a child is run.
struct RunOptions {
  // The child is killed (SIGKILL) when it is still running after this many
  // milliseconds; RunResult::timed_out then tells so. Keeps a hanging
  // program from hanging the test suite.
  int timeout_ms = 30000;
  // "NAME=VALUE" entries put into the child's environment, replacing an
  // inherited variable of the same name.
  std::vector<std::string> env;
};

// The inherited environment with `extra` ("NAME=VALUE") merged in. Built in
// the parent, because a child forked from a threaded process must not
// allocate before exec.
inline std::vector<std::string> MergedEnvironment(
    const std::vector<std::string>& extra) {
  std::vector<std::string> merged;
  for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
    const std::string text = *entry;
    const std::string name = text.substr(0, text.find('=') + 1);
    bool replaced = false;
    for (const std::string& e : extra)
      if (e.compare(0, name.size(), name) == 0) replaced = true;
    if (!replaced) merged.push_back(text);
  }
  merged.insert(merged.end(), extra.begin(), extra.end());
  return merged;
}

// Pointers to the texts of `strings`, ended by a null pointer. Valid while
// `strings` is unchanged.
inline std::vector<char*> ArgvOf(const std::vector<std::string>& strings) {
  std::vector<char*> pointers;
  for (const std::string& s : strings) pointers.push_back(const_cast<char*>(s.c_str()));
  pointers.push_back(nullptr);
  return pointers;
}

// Runs argv[0] with the arguments argv in the directory cwd, with standard
// input from /dev/null and the environment of `options`. Standard error is
// left alone. Reads standard output until the child closes it or the
// deadline passes, then reaps the child (killing it on a timeout).
inline RunResult RunCaptured(const std::vector<std::string>& argv,
                             const std::string& cwd,
                             const RunOptions& options = RunOptions()) {
  RunResult result{"", -1};
  int fds[2];
  if (pipe(fds) != 0) return result;
  const std::vector<std::string> env = MergedEnvironment(options.env);
  std::vector<char*> args = ArgvOf(argv);
  std::vector<char*> envp = ArgvOf(env);
  fflush(stdout);
  pid_t pid = fork();
  if (pid == 0) {
    int null_fd = open("/dev/null", O_RDONLY);
    if (null_fd >= 0) dup2(null_fd, 0);
    dup2(fds[1], 1);
    close(fds[0]);
    close(fds[1]);
    if (chdir(cwd.c_str()) != 0) _exit(126);
    execve(args[0], args.data(), envp.data());
    _exit(127);
  }
  close(fds[1]);
  if (pid < 0) {
    close(fds[0]);
    return result;
  }
  const auto deadline = std::chrono::steady_clock::now() +
                        std::chrono::milliseconds(options.timeout_ms);
  char buffer[4096];
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          deadline - std::chrono::steady_clock::now())
                          .count();
    if (left <= 0) {
      result.timed_out = true;
      break;
    }
    struct pollfd entry = {fds[0], POLLIN, 0};
    const int ready = poll(&entry, 1, static_cast<int>(left));
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) break;
    if (ready == 0) continue;  // the deadline check above ends the wait
    const ssize_t n = read(fds[0], buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    result.out.append(buffer, static_cast<size_t>(n));
  }
  close(fds[0]);
  int wstatus = 0;
  pid_t reaped;
  // A child that closed its output but keeps running is still bounded.
  while ((reaped = waitpid(pid, &wstatus, WNOHANG)) == 0) {
    if (std::chrono::steady_clock::now() >= deadline) {
      result.timed_out = true;
      kill(pid, SIGKILL);
      reaped = waitpid(pid, &wstatus, 0);
      break;
    }
    usleep(2000);
  }
  if (reaped == pid && WIFEXITED(wstatus) && !result.timed_out) {
    result.status = WEXITSTATUS(wstatus);
  }
  return result;
}

// A fresh directory under the temporary directory, removed with its content
// when the holder goes away.
class TempDir {
 public:
  TempDir() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "qmtest.XXXXXX").string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (mkdtemp(name.data()) != nullptr) path_ = name.data();
  }
  ~TempDir() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

  // Names of the entries in the directory.
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(path_, ignored))
      names.push_back(entry.path().filename().string());
    return names;
  }

 private:
  std::string path_;
};

// The whole content of a file; empty when it cannot be read.
inline std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

inline void WriteWholeFile(const std::string& path, const std::string& content) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
}

}  // namespace qmtest

#endif  // QM_TESTS_SUPPORT_RUN_CAPTURE_H_
