// The first line of a password file, read with a fixed bound.
#include "common/password_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace qmtools {

bool ReadFirstLine(const std::string& path, std::string& line,
                   std::string& error) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error = "cannot read the password file " + path + ": " + std::strerror(errno);
    return false;
  }
  char buffer[kPasswordReadLimit];
  size_t got = 0;
  while (got < sizeof buffer) {
    const ssize_t n = read(fd, buffer + got, sizeof buffer - got);
    if (n == 0) break;
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      error = "cannot read the password file " + path + ": " + std::strerror(errno);
      close(fd);
      return false;
    }
    got += static_cast<size_t>(n);
  }
  close(fd);
  line.assign(buffer, got);
  const size_t end = line.find('\n');
  if (end != std::string::npos) line.erase(end);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

}  // namespace qmtools
