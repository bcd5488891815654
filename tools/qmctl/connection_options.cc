// Common options of qmctl and the credentials they name.
#include "connection_options.h"

#include <cstdlib>

#include "common/cli.h"
#include "common/password_file.h"
#include "common/segment_reader.h"
#include "devmgr/ikorindmif.h"
#include "failure.h"

namespace qmctl {

const char kCredentialsHelp[] =
    "Login: --dvrid N reads the user name and password of DVR id N from the\n"
    "device manager's segment (key 4145), which must exist: qmctl only attaches\n"
    "it, read-only. Or --user NAME, with the password from the first line of\n"
    "--password-file FILE or else from the environment variable QMCTL_PASSWORD.\n"
    "A password is never taken from the command line, which every user of the\n"
    "machine can read.\n";

void AddConnectionOptions(CLI::App& app, ConnectionOptions& options) {
  app.add_option("--address", options.address, "server address (default 127.0.0.1)")
      ->type_name("HOST");
  app.add_option("--port", options.port, "command port (default 4011)")
      ->type_name("N")
      ->check(qmtools::QuietRange(1u, 65535u));
  auto* dvrid = app.add_option("--dvrid", options.dvrid,
                               "log in as DVR id N of the device manager's segment (1 to 64)")
                    ->type_name("N")
                    ->check(qmtools::QuietRange(1u, dmlayout::kDvrCount));
  auto* user = app.add_option("--user", options.user, "log in as NAME")->type_name("NAME");
  auto* file = app.add_option("--password-file", options.password_file,
                              "the password for --user: the first line of FILE")
                   ->type_name("FILE");
  dvrid->excludes(user)->excludes(file);
  file->needs(user);
  app.add_flag("--json", options.json, "JSON Lines: one object per record");
}

namespace {

int FromSegment(unsigned int dvrid, Credentials& credentials) {
  qmtools::SegmentReader reader;
  const qmtools::SegmentState state = reader.Open();
  if (state != qmtools::SegmentState::kAttached) {
    return Fail(qmtools::kExitNoSegment, qmtools::DescribeUnusable(reader, state));
  }
  const qmtools::DvrRecord record = reader.Read(dvrid);
  if (record.user.empty()) {
    return Fail(qmtools::kExitNoSegment,
                "DVR id " + std::to_string(dvrid) +
                    " has no user name in the segment (key " +
                    std::to_string(dmlayout::kKey) + ")");
  }
  credentials.user = record.user;
  credentials.password = record.password;
  return qmtools::kExitOk;
}

int FromFileOrEnvironment(const ConnectionOptions& options, Credentials& credentials) {
  std::string password;
  std::string where;
  if (!options.password_file.empty()) {
    std::string error;
    if (!qmtools::ReadFirstLine(options.password_file, password, error)) {
      return Fail(qmtools::kExitFailure, error);
    }
    where = options.password_file;
    // A full read without a line end: the line goes on beyond the limit.
    if (password.size() >= qmtools::kPasswordReadLimit) {
      return Fail(qmtools::kExitFailure,
                  "the password in " + where + " is longer than " +
                      std::to_string(qmtools::kPasswordReadLimit - 1) + " characters");
    }
  } else {
    const char* env = std::getenv(kPasswordEnv);
    if (env == nullptr || *env == '\0') {
      return Fail(qmtools::kExitUsage,
                  std::string("no password for --user: set ") + kPasswordEnv +
                      " or give --password-file FILE");
    }
    password = env;
    where = kPasswordEnv;
  }
  if (password.find('\0') != std::string::npos) {
    return Fail(qmtools::kExitFailure, "the password in " + where + " holds a zero byte");
  }
  credentials.user = options.user;
  credentials.password = password;
  return qmtools::kExitOk;
}

}  // namespace

int ResolveCredentials(const ConnectionOptions& options, Credentials& credentials) {
  if (options.dvrid != 0) return FromSegment(options.dvrid, credentials);
  if (options.user.empty()) {
    return Fail(qmtools::kExitUsage, "give the login: --dvrid N, or --user NAME");
  }
  return FromFileOrEnvironment(options, credentials);
}

}  // namespace qmctl
