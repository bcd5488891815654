// The password of qmdevmgr from its option, a file or the environment.
#include "password_source.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "devmgr/ikorindmif.h"

namespace qmdevmgr {

namespace {

// More than a password field can hold, so that an overlong first line is
// reported rather than cut; the rest of a large file is never read.
constexpr size_t kReadLimit = 256;

// The first line of `path` (at most kReadLimit bytes read), without "\n" or
// "\r\n". False with `error` set when the file cannot be opened or read
// (a directory, for example, fails here instead of giving an empty line).
bool ReadFirstLine(const std::string& path, std::string& line,
                   std::string& error) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error = "cannot read the password file " + path + ": " + std::strerror(errno);
    return false;
  }
  char buffer[kReadLimit];
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

// Checks what the segment's 21-byte field can hold exactly.
bool Storable(const std::string& password, const std::string& where,
              std::string& error) {
  if (password.find('\0') != std::string::npos) {
    error = "the password from " + where + " holds a zero byte";
    return false;
  }
  if (password.size() > dmlayout::kTextMaxLen) {
    error = "the password from " + where + " is longer than " +
            std::to_string(dmlayout::kTextMaxLen) + " characters";
    return false;
  }
  return true;
}

}  // namespace

PasswordOutcome ResolvePassword(const PasswordOptions& options,
                                std::string& password, std::string& error) {
  std::string where;
  if (options.from_option) {
    password = options.option_value;
    where = "--password";
  } else if (options.from_file) {
    if (!ReadFirstLine(options.file_path, password, error)) {
      return PasswordOutcome::kUnusable;
    }
    where = options.file_path;
  } else {
    const char* env = options.read_env ? std::getenv(kPasswordEnv) : nullptr;
    if (env == nullptr || *env == '\0') return PasswordOutcome::kNone;
    password = env;
    where = kPasswordEnv;
  }
  return Storable(password, where, error) ? PasswordOutcome::kGiven
                                          : PasswordOutcome::kUnusable;
}

}  // namespace qmdevmgr
