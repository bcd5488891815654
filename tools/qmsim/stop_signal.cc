#include "stop_signal.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace qmsim {
namespace {

int g_pipe[2] = {-1, -1};
volatile std::sig_atomic_t g_stop = 0;

extern "C" void OnStopSignal(int) {
  const int saved = errno;
  g_stop = 1;
  const char byte = 's';
  // Non-blocking: once the pipe holds a byte, further writes may fail; one
  // byte is all a poller needs.
  ssize_t ignored = ::write(g_pipe[1], &byte, 1);
  (void)ignored;
  errno = saved;
}

}  // namespace

bool InstallStopSignal() {
  if (g_pipe[0] >= 0) return true;
  if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return false;
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
  std::signal(SIGPIPE, SIG_IGN);
  sigset_t stop_signals;
  sigemptyset(&stop_signals);
  sigaddset(&stop_signals, SIGTERM);
  sigaddset(&stop_signals, SIGINT);
  pthread_sigmask(SIG_UNBLOCK, &stop_signals, nullptr);
  return true;
}

int StopSignalFd() { return g_pipe[0]; }

bool StopRequested() { return g_stop != 0; }

}  // namespace qmsim
