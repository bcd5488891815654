#include "log.h"

#include <cerrno>
#include <mutex>
#include <unistd.h>

namespace qmsim {
namespace {

std::mutex g_log_mutex;

// Writes the whole text to fd under the lock (a pipe may take it in parts).
void WriteWhole(int fd, const std::string& text) {
  std::lock_guard<std::mutex> lock(g_log_mutex);
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;  // output gone: the server goes on without a log
    done += static_cast<std::size_t>(n);
  }
}

}  // namespace

void LogLine(const std::string& line) { WriteWhole(STDOUT_FILENO, line + "\n"); }

void LogProblem(const std::string& message) {
  WriteWhole(STDERR_FILENO, "qmsim: " + message + "\n");
}

}  // namespace qmsim
