#include "password_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include "unique_fd.h"

namespace qmsim {

bool ReadPasswordFile(const std::string& path, std::string* password, std::string* error) {
  const std::string what = "password file " + path;
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.Valid()) {
    *error = "cannot read " + what + ": " + std::strerror(errno);
    return false;
  }
  std::string text;
  char buffer[1024];
  for (;;) {
    const ssize_t got = ::read(fd.Get(), buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      *error = "cannot read " + what + ": " + std::strerror(errno);
      return false;
    }
    if (got == 0) break;
    text.append(buffer, static_cast<std::size_t>(got));
    if (text.size() > kMaxPasswordFileBytes) {
      *error = what + " is larger than " + std::to_string(kMaxPasswordFileBytes) + " bytes";
      return false;
    }
  }
  if (!text.empty() && text.back() == '\n') text.pop_back();
  if (!text.empty() && text.back() == '\r') text.pop_back();
  if (text.empty()) {
    *error = what + " is empty";
    return false;
  }
  if (text.find('\0') != std::string::npos) {
    *error = what + " holds a NUL byte";
    return false;
  }
  if (text.find_first_of("\r\n") != std::string::npos) {
    *error = what + " holds more than one line";
    return false;
  }
  *password = text;
  return true;
}

}  // namespace qmsim
