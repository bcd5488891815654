// The password of qmdevmgr from its option, a file or the environment.
#include "password_source.h"

#include <cstdlib>

#include "common/password_file.h"
#include "devmgr/ikorindmif.h"

namespace qmdevmgr {

namespace {

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
    if (!qmtools::ReadFirstLine(options.file_path, password, error)) {
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
