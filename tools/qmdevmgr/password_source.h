// Where qmdevmgr takes the password to store from: --password (visible in
// the process list, for throw-away demos only), --password-file FILE or the
// environment variable QMDEVMGR_PASSWORD.
#pragma once

#include <string>

namespace qmdevmgr {

// The environment variable read when no password option is given.
inline constexpr const char kPasswordEnv[] = "QMDEVMGR_PASSWORD";

// The password sources named on the command line.
struct PasswordOptions {
  bool from_option = false;  // --password given
  std::string option_value;
  bool from_file = false;    // --password-file given
  std::string file_path;
  bool read_env = false;     // the environment may supply it (a command that writes)
};

enum class PasswordOutcome {
  kNone,      // no source gave a password: leave the stored one alone
  kGiven,     // `password` holds the password to store
  kUnusable,  // the file or variable cannot be used; `error` says why
};

// Picks the password: the option, else the file (its first line, without
// the line end), else QMDEVMGR_PASSWORD when read_env is set and the
// variable is not empty. A password longer than 20 characters or holding a
// zero byte is unusable, as is a file that cannot be read. Naming both
// options is a usage error the caller refuses before calling this.
PasswordOutcome ResolvePassword(const PasswordOptions& options,
                                std::string& password, std::string& error);

}  // namespace qmdevmgr
