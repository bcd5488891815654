// qmsim run as a child process for the process tests, without a shell (paths
// may hold blanks): standard output and error into one log file, umask 0 (so
// that file modes are qmsim's own doing), and a 20 s safety kill.
#ifndef QM_TESTS_QMSIM_QMSIM_CHILD_H_
#define QM_TESTS_QMSIM_QMSIM_CHILD_H_

#include <arpa/inet.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "../support/run_capture.h"

extern char** environ;

namespace qmtest {

constexpr int kSafetyMs = 20000;  // a safety net against a hung qmsim, not a timing check

class QmsimChild {
 public:
  // Starts QMSIM_BINARY with args in dir; `env` entries ("NAME=value") are
  // added to the test's environment.
  QmsimChild(const TempDir& dir, const std::vector<std::string>& args,
             const std::vector<std::string>& env = {})
      : dir_(dir) {
    std::vector<std::string> argv{QMSIM_BINARY};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<std::string> envs(env);
    for (char** e = environ; *e; ++e) envs.push_back(*e);
    std::vector<char*> a = ArgvOf(argv), e = ArgvOf(envs);
    const std::string log = dir.File("qmsim.log");
    pid_ = fork();
    if (pid_ == 0) {
      const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND, 0644);
      dup2(out, 1), dup2(out, 2), umask(0);
      if (chdir(dir.path().c_str()) == 0) execve(a[0], a.data(), e.data());
      _exit(127);
    }
  }
  ~QmsimChild() {
    if (pid_ > 0) kill(pid_, SIGKILL), waitpid(pid_, nullptr, 0);
  }
  pid_t Pid() const { return pid_; }
  std::string Log() const { return ReadWholeFile(dir_.File("qmsim.log")); }
  // Waits until the log holds `fragment` (false after the safety time).
  bool AwaitLog(const std::string& fragment) const {
    return Poll([&] { return Log().find(fragment) != std::string::npos; });
  }
  // The port from the file "port" of the directory, once qmsim wrote it; 0
  // when it did not within the safety time.
  int Port() const {
    int port = 0;
    Poll([&] { return (port = std::atoi(ReadWholeFile(dir_.File("port")).c_str())) > 0; });
    return port > 0 ? port : 0;
  }
  // The exit status; -1 when killed after the safety time or not exited normally.
  int Wait() {
    int status = 0;
    pid_t reaped = 0;
    if (!Poll([&] { return (reaped = waitpid(pid_, &status, WNOHANG)) != 0; }))
      kill(pid_, SIGKILL), waitpid(pid_, &status, 0);
    pid_ = -1;
    return reaped > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  // Calls `done` every 10 ms until it holds; false after the safety time.
  template <class Done>
  static bool Poll(Done done) {
    for (int ms = 0; ms < kSafetyMs; ms += 10, usleep(10000))
      if (done()) return true;
    return false;
  }
  const TempDir& dir_;
  pid_t pid_ = -1;
};

// A request frame of `code` carrying `params` (CommonCMDHeader elements).
inline std::string RequestFrame(int code, const std::string& user, const std::string& password,
                                const std::string& params) {
  const std::string text = "<Envelope><Body><ClientRequestHeader><CommandCode>" + std::to_string(code) +
      "</CommandCode><UID>" + user + "</UID><PWD>" + password + "</PWD></ClientRequestHeader>"
      "<CommonCMDHeader>" + params + "</CommonCMDHeader></Body></Envelope>\r";
  const size_t n = text.size() + 5;
  return std::string{'\x06', char(n), char(n >> 8), 0, 0} + text;
}

// A day-tracker request frame for camera 12 on 05.07.2013.
inline std::string TrackerFrame(const std::string& user, const std::string& password) {
  return RequestFrame(324, user, password,
                      "<IntParameter1>12</IntParameter1><StrParameter1>05.07.2013</StrParameter1>");
}

// A connected socket to 127.0.0.1:port whose receives give up after the safety time.
inline int ConnectTo(int port) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const timeval safety{kSafetyMs / 1000, 0};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &safety, sizeof safety);
  sockaddr_in a{AF_INET, htons(static_cast<uint16_t>(port)), {htonl(INADDR_LOOPBACK)}, {}};
  if (fd >= 0 && connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) return fd;
  if (fd >= 0) close(fd);
  return -1;
}

// Sends frame on a new connection and returns what arrives until the server closes.
inline std::string Exchange(int port, const std::string& frame) {
  const int fd = ConnectTo(port);
  std::string reply;
  char buffer[4096];
  ssize_t n = send(fd, frame.data(), frame.size(), MSG_NOSIGNAL);
  while (n > 0 && (n = recv(fd, buffer, sizeof buffer, 0)) > 0) reply.append(buffer, size_t(n));
  close(fd);
  return reply;
}

}  // namespace qmtest

#endif  // QM_TESTS_QMSIM_QMSIM_CHILD_H_
