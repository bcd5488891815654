// Test helpers: run a program with its standard output captured and a
// deadline (killed after it), private temporary directories, whole files.
#ifndef QM_TESTS_SUPPORT_RUN_CAPTURE_H_
#define QM_TESTS_SUPPORT_RUN_CAPTURE_H_

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace qmtest {

struct RunResult {
  std::string out;         // standard output, byte for byte
  int status = -1;         // exit status; -1 when it did not exit normally
  bool timed_out = false;  // killed because it outlived the deadline
};

// Pointers to the texts, ended by a null pointer.
inline std::vector<char*> ArgvOf(const std::vector<std::string>& strings) {
  std::vector<char*> pointers;
  for (const std::string& s : strings) pointers.push_back(const_cast<char*>(s.c_str()));
  pointers.push_back(nullptr);
  return pointers;
}

// Runs argv[0] in cwd, in the test's environment, with standard input from
// /dev/null, killed with SIGKILL after timeout_ms; standard error is left
// alone. All the child needs is built before fork (threads may run).
inline RunResult RunCaptured(const std::vector<std::string>& argv, const std::string& cwd,
                             int timeout_ms = 30000) {
  RunResult result;
  std::vector<char*> args = ArgvOf(argv);
  const int out = memfd_create("qmtest-stdout", MFD_CLOEXEC);  // never fills, unlike a pipe
  fflush(stdout);
  const pid_t pid = out < 0 ? -1 : fork();
  if (pid == 0) {
    dup2(open("/dev/null", O_RDONLY | O_CLOEXEC), 0);
    dup2(out, 1);
    if (chdir(cwd.c_str()) == 0) execv(args[0], args.data());
    _exit(127);
  }
  for (pid_t reaped = 0, waited_ms = 0; pid > 0 && reaped == 0; usleep(1000), ++waited_ms) {
    int wstatus = 0;
    if ((reaped = waitpid(pid, &wstatus, WNOHANG)) == pid && WIFEXITED(wstatus)) result.status = WEXITSTATUS(wstatus);
    if (reaped == 0 && waited_ms >= timeout_ms)  // each round sleeps at least 1 ms
      result.timed_out = true, kill(pid, SIGKILL), reaped = waitpid(pid, nullptr, 0);
  }
  char buffer[4096];
  for (ssize_t n; out >= 0 && (n = pread(out, buffer, sizeof buffer, off_t(result.out.size()))) > 0;)
    result.out.append(buffer, size_t(n));
  if (out >= 0) close(out);
  return result;
}

// A fresh directory under the temporary directory, removed with its content.
class TempDir {
 public:
  TempDir() : path_(std::filesystem::temp_directory_path() / "qmtest.XXXXXX") {
    if (mkdtemp(path_.data()) == nullptr) path_.clear();
  }
  ~TempDir() { std::error_code ignored; std::filesystem::remove_all(path_, ignored); }
  TempDir(const TempDir&) = delete;  // one owner removes it
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// The whole content of a file; empty when it cannot be read.
inline std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteWholeFile(const std::string& path, const std::string& content) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
}

}  // namespace qmtest

#endif  // QM_TESTS_SUPPORT_RUN_CAPTURE_H_
