// The options every qmctl command shares: where the server is, how to log
// in, and the output form; and the credentials they lead to.
#pragma once

#include <string>

#include <CLI/CLI.hpp>

namespace qmctl {

// The environment variable holding the password for --user.
inline constexpr const char kPasswordEnv[] = "QMCTL_PASSWORD";

struct ConnectionOptions {
  std::string address = "127.0.0.1";
  unsigned int port = 4011;
  unsigned int dvrid = 0;      // 0: not given
  std::string user;            // empty: not given
  std::string password_file;   // empty: not given
  bool json = false;
};

// The login for the server's requests.
struct Credentials {
  std::string user;
  std::string password;
};

// Adds --address, --port, --dvrid, --user, --password-file and --json to
// `app`, storing into `options` (which must outlive parsing). --dvrid
// excludes --user and --password-file.
void AddConnectionOptions(CLI::App& app, ConnectionOptions& options);

// The credentials the parsed options name: the record of --dvrid in the
// device manager's segment (attached read-only, never created), or --user
// with the first line of --password-file or else QMCTL_PASSWORD. Returns
// kExitOk, or the exit status after printing why: kExitUsage (no login
// named, no password for --user), kExitNoSegment (segment missing or
// unusable, or no user name in the record), kExitFailure (password file
// unreadable, password too long or holding a zero byte).
int ResolveCredentials(const ConnectionOptions& options, Credentials& credentials);

// The help text on credentials and the environment, for the footer.
extern const char kCredentialsHelp[];

}  // namespace qmctl
