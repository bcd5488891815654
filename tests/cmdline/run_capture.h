// Test helpers: run a program in a directory and capture its standard output
// and exit status; make and remove private temporary directories.
#ifndef QM_TESTS_CMDLINE_RUN_CAPTURE_H_
#define QM_TESTS_CMDLINE_RUN_CAPTURE_H_

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace qmtest {

struct RunResult {
  std::string out;  // standard output, byte for byte
  int status;       // exit status, or -1 when it did not exit normally
};

// Runs argv[0] with the arguments argv in the directory cwd, with standard
// input from /dev/null. Standard error is left alone.
inline RunResult RunCaptured(const std::vector<std::string>& argv,
                             const std::string& cwd) {
  RunResult result{"", -1};
  int fds[2];
  if (pipe(fds) != 0) return result;
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  fflush(stdout);
  pid_t pid = fork();
  if (pid == 0) {
    int null_fd = open("/dev/null", O_RDONLY);
    if (null_fd >= 0) dup2(null_fd, 0);
    dup2(fds[1], 1);
    close(fds[0]);
    close(fds[1]);
    if (chdir(cwd.c_str()) != 0) _exit(126);
    execv(args[0], args.data());
    _exit(127);
  }
  close(fds[1]);
  if (pid < 0) {
    close(fds[0]);
    return result;
  }
  char buffer[4096];
  ssize_t n;
  while ((n = read(fds[0], buffer, sizeof buffer)) != 0) {
    if (n < 0) break;
    result.out.append(buffer, static_cast<size_t>(n));
  }
  close(fds[0]);
  int wstatus = 0;
  if (waitpid(pid, &wstatus, 0) == pid && WIFEXITED(wstatus)) {
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
        (std::filesystem::temp_directory_path() / "qmcmdline.XXXXXX").string();
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

#endif  // QM_TESTS_CMDLINE_RUN_CAPTURE_H_
