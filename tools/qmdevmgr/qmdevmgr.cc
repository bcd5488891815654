// qmdevmgr: a stand-in for the DVR system's device manager. It sets, shows
// and lists the records of the shared segment (user name, password, client
// process id, UID, camera ids) and removes the segment. Only setting a
// record creates the segment; reading never does. Passwords are shown only
// on request and are best given through a file or the environment.
//
// Exit statuses are the tools' shared ones (common/exit_status.h): 0 done,
// 1 password file or variable unusable, 2 usage error (nothing touched),
// 3 segment missing (for a read), of the wrong size or not attachable.
#include <charconv>
#include <cstdio>
#include <string>
#include <vector>

#include "commands.h"
#include "common/cli.h"
#include "devmgr/ikorindmif.h"
#include "password_source.h"

namespace {

using qmdevmgr::CamAssignment;

// Parses a whole decimal text into `out`; false on anything else, including
// overflow of unsigned long long.
bool ParseDecimal(const std::string& text, unsigned long long& out) {
  const char* first = text.data();
  const char* last = first + text.size();
  if (first == last) return false;
  auto res = std::from_chars(first, last, out, 10);
  return res.ec == std::errc() && res.ptr == last;
}

// Parses "CHANNEL=ID" with CHANNEL 1-128 and ID 0-4294967295. On failure
// prints why and returns false.
bool ParseCamAssignment(const std::string& text, CamAssignment& out) {
  const size_t eq = text.find('=');
  unsigned long long chnl = 0;
  unsigned long long id = 0;
  if (eq == std::string::npos || !ParseDecimal(text.substr(0, eq), chnl) ||
      !ParseDecimal(text.substr(eq + 1), id)) {
    std::fprintf(stderr, "qmdevmgr: --camid wants CHANNEL=ID, got \"%s\"\n",
                 text.c_str());
    return false;
  }
  if (chnl < 1 || chnl > dmlayout::kChannelCount) {
    std::fprintf(stderr, "qmdevmgr: channel %llu out of range (1 to %u)\n",
                 chnl, dmlayout::kChannelCount);
    return false;
  }
  if (id > 0xFFFFFFFFull) {
    std::fprintf(stderr,
                 "qmdevmgr: camera id %llu out of range (0 to 4294967295)\n",
                 id);
    return false;
  }
  out.channel = static_cast<unsigned>(chnl);
  out.id = static_cast<unsigned long>(id);
  return true;
}

// A text longer than the field would be cut silently by the interface, so
// it is refused instead.
bool CheckTextLength(const char* what, const std::string& text) {
  if (text.size() <= dmlayout::kTextMaxLen) return true;
  std::fprintf(stderr, "qmdevmgr: %s longer than %zu characters\n", what,
               dmlayout::kTextMaxLen);
  return false;
}

int Usage(const char* message) {
  std::fprintf(stderr, "qmdevmgr: %s\nRun with --help for more information.\n",
               message);
  return qmtools::kExitUsage;
}

constexpr const char kEnvironmentHelp[] =
    "Reading (--show or --show-password alone, --list) never creates the segment;\n"
    "setting a field creates and initialises it when it is missing.\n"
    "\n"
    "Environment:\n"
    "  QMDEVMGR_PASSWORD  the password to set when neither --password nor\n"
    "                     --password-file is given and it is not empty. Read by\n"
    "                     every command that writes the record (--dvrid with a\n"
    "                     setting option, or --dvrid alone); never by a read.\n"
    "  Prefer it or --password-file: --password shows the password to every user\n"
    "  of the machine (process list) and is for throw-away demos only.\n";

}  // namespace

namespace {

// The tool itself; main only guards it.
int Run(int argc, char** argv) {
  CLI::App app{"Stand-in device manager: sets, shows and lists the DVR records "
               "of the shared segment (key 4145).",
               "qmdevmgr"};
  qmtools::SetUpApp(app);
  app.footer([] { return std::string(kEnvironmentHelp); });

  qmdevmgr::SetRequest request;
  qmdevmgr::PasswordOptions password;
  std::vector<std::string> camids;
  bool show = false;
  bool show_password = false;
  bool list = false;
  bool remove = false;

  auto* o_dvrid = app.add_option("--dvrid", request.dvrid, "DVR id, 1 to 64")
                      ->type_name("N")
                      ->check(qmtools::QuietRange(1u, dmlayout::kDvrCount));
  auto* o_user = app.add_option("--user", request.user, "set the user name")
                     ->type_name("NAME");
  auto* o_pass = app.add_option("--password", password.option_value,
                                "set the password (visible to every user: "
                                "throw-away demos only)")
                     ->type_name("TEXT");
  auto* o_pfile = app.add_option("--password-file", password.file_path,
                                 "set the password to the first line of FILE")
                      ->type_name("FILE");
  auto* o_pid = app.add_option("--pid", request.pid, "set the client process id")
                    ->type_name("N");
  auto* o_uid = app.add_option("--uid", request.uid, "set the UID")
                    ->type_name("N");
  auto* o_cam = app.add_option("--camid", camids,
                               "set the camera id of a channel (1-128); repeatable")
                    ->type_name("CHANNEL=ID");
  auto* o_show = app.add_flag("--show", show, "show the record (after setting)");
  auto* o_showpw = app.add_flag("--show-password", show_password,
                                "show the record with its password");
  auto* o_list = app.add_flag("--list", list,
                              "list every DVR id with a user name set");
  app.add_flag("--remove", remove, "remove the segment");

  const int parsed = qmtools::Parse(app, argc, argv);
  if (parsed >= 0) return parsed;

  const bool setters = o_user->count() || o_pass->count() || o_pfile->count() ||
                       o_pid->count() || o_uid->count() || o_cam->count();
  const bool record_options =
      o_dvrid->count() || setters || o_show->count() || o_showpw->count();
  if (remove) {
    if (record_options || o_list->count()) {
      return Usage("--remove cannot be combined with other options");
    }
    return qmdevmgr::RemoveSegment();
  }
  if (list) {
    if (record_options) return Usage("--list cannot be combined with other options");
    return qmdevmgr::ListRecords();
  }
  if (o_dvrid->count() == 0) return Usage("--dvrid, --list or --remove is required");
  if (o_pass->count() && o_pfile->count()) {
    return Usage("give the password with one of --password and --password-file");
  }
  for (const std::string& text : camids) {
    CamAssignment cam;
    if (!ParseCamAssignment(text, cam)) return qmtools::kExitUsage;
    request.cams.push_back(cam);
  }
  if (o_user->count() && !CheckTextLength("user name", request.user)) {
    return qmtools::kExitUsage;
  }
  if (o_pass->count() && !CheckTextLength("password", password.option_value)) {
    return qmtools::kExitUsage;
  }
  request.set_user = o_user->count() > 0;
  request.set_pid = o_pid->count() > 0;
  request.set_uid = o_uid->count() > 0;

  // The environment's password turns no read into a write.
  const bool show_only = !setters && (show || show_password);
  password.from_option = o_pass->count() > 0;
  password.from_file = o_pfile->count() > 0;
  password.read_env = !show_only;
  std::string error;
  switch (qmdevmgr::ResolvePassword(password, request.password, error)) {
    case qmdevmgr::PasswordOutcome::kUnusable:
      std::fprintf(stderr, "qmdevmgr: %s\n", error.c_str());
      return qmtools::kExitFailure;
    case qmdevmgr::PasswordOutcome::kGiven:
      request.set_password = true;
      break;
    case qmdevmgr::PasswordOutcome::kNone:
      break;
  }

  if (!request.Any()) return qmdevmgr::ShowRecord(request.dvrid, show_password);
  return qmdevmgr::SetRecord(request, show || show_password, show_password);
}

}  // namespace

int main(int argc, char** argv) {
  return qmtools::RunGuarded("qmdevmgr", [&] { return Run(argc, argv); });
}
