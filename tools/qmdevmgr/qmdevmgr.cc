// qmdevmgr: a stand-in for the DVR system's device manager. It creates the
// shared segment when needed, sets and shows the record of one DVR id (user
// name, password, client process id, UID, camera ids) and removes the
// segment. Passwords are shown only on request.
//
// Exit status: 0 done; 1 invalid arguments (nothing touched); 2 the segment
// could not be attached, created or removed; other nonzero values are
// command-line syntax errors.
#include <CLI/CLI.hpp>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "devmgr/ikorindmif.h"
#include "devmgr/sharedmem.h"

namespace {

struct CamAssignment {
  unsigned channel;
  unsigned long id;
};

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

// Removes the segment of the device-manager key whatever its size. A missing
// segment is not an error, so that clean-up can run unconditionally.
int RemoveSegment() {
  int id = -1;
  void* addr = nullptr;
  const int rc = Shm_Link(dmlayout::kKey, 0, &id, &addr);
  if (rc == ENOENT) {
    std::puts("qmdevmgr: no segment to remove");
    return 0;
  }
  if (rc != 0) {
    std::fprintf(stderr, "qmdevmgr: cannot attach the segment: %s\n",
                 rc > 0 ? std::strerror(rc) : "too small");
    return 2;
  }
  const int drc = Shm_Destroy(id, addr);
  if (drc != 0) {
    std::fprintf(stderr, "qmdevmgr: cannot remove the segment: %s\n",
                 drc > 0 ? std::strerror(drc) : "no address");
    return 2;
  }
  std::puts("qmdevmgr: segment removed");
  return 0;
}

void ShowRecord(const IKorinDMIf& dm, unsigned dvrid, bool show_password) {
  std::printf("DVR %u\n", dvrid);
  std::printf("user name: %s\n", dm.GetUserNamebyDvrId(dvrid).c_str());
  const std::string pass = dm.GetPassWordbyDvrId(dvrid);
  if (show_password) {
    std::printf("password: %s\n", pass.c_str());
  } else {
    std::printf("password: %s\n", pass.empty() ? "(empty)" : "(set)");
  }
  std::printf("client process id: %u\n", dm.GetClientProcIdbyDvrId(dvrid));
  std::printf("UID: %d\n", dm.GetUIDbyDvrId(dvrid));
  std::printf("camera ids:");
  bool any = false;
  for (unsigned c = 1; c <= dmlayout::kChannelCount; ++c) {
    const long id = dm.GetCamIdbyDvrIdChnl(dvrid, c);
    if (id > 0) {
      std::printf(" %u=%ld", c, id);
      any = true;
    }
  }
  std::puts(any ? "" : " (none)");
}

// Releases the device-manager interface on every path out of main.
struct InstanceGuard {
  ~InstanceGuard() { Singleton<IKorinDMIf>::DeleteInstance(); }
};

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"Stand-in device manager: edits the shared DVR records."};
  unsigned dvrid = 0;
  std::string user;
  std::string password;
  unsigned pid = 0;
  int uid = 0;
  std::vector<std::string> camids;
  bool show = false;
  bool show_password = false;
  bool remove = false;

  auto* o_dvrid = app.add_option("--dvrid", dvrid, "DVR id, 1 to 64");
  auto* o_user = app.add_option("--user", user, "set the user name");
  auto* o_pass = app.add_option("--password", password, "set the password");
  auto* o_pid = app.add_option("--pid", pid, "set the client process id");
  auto* o_uid = app.add_option("--uid", uid, "set the UID");
  auto* o_cam = app.add_option("--camid", camids,
                               "set a camera id, CHANNEL=ID (repeatable)");
  auto* o_show = app.add_flag("--show", show, "show the record");
  auto* o_showpw = app.add_flag("--show-password", show_password,
                                "show the record with its password");
  auto* o_remove = app.add_flag("--remove", remove, "remove the segment");
  o_remove->excludes(o_dvrid)->excludes(o_user)->excludes(o_pass);
  o_remove->excludes(o_pid)->excludes(o_uid)->excludes(o_cam);
  o_remove->excludes(o_show)->excludes(o_showpw);

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e);
  }

  if (remove) return RemoveSegment();

  if (o_dvrid->count() == 0) {
    std::fprintf(stderr, "qmdevmgr: --dvrid or --remove is required\n");
    return 1;
  }
  if (dvrid < 1 || dvrid > dmlayout::kDvrCount) {
    std::fprintf(stderr, "qmdevmgr: DVR id %u out of range (1 to %u)\n",
                 dvrid, dmlayout::kDvrCount);
    return 1;
  }
  std::vector<CamAssignment> cams;
  for (const std::string& text : camids) {
    CamAssignment cam{};
    if (!ParseCamAssignment(text, cam)) return 1;
    cams.push_back(cam);
  }
  if (o_user->count() && !CheckTextLength("user name", user)) return 1;
  if (o_pass->count() && !CheckTextLength("password", password)) return 1;

  InstanceGuard guard;
  bool failed = true;
  IKorinDMIf* dm = Singleton<IKorinDMIf>::Instance(failed);
  if (dm == nullptr) {
    std::fprintf(stderr,
                 "qmdevmgr: cannot attach or create the segment (key %d)\n",
                 static_cast<int>(dmlayout::kKey));
    return 2;
  }

  // Every value was checked above, so the setters cannot refuse them.
  bool changed = false;
  if (o_user->count()) changed |= dm->SetUserNamebyDvrId(dvrid, user);
  if (o_pass->count()) changed |= dm->SetPassWordbyDvrId(dvrid, password);
  if (o_pid->count()) changed |= dm->SetClientProcIdbyDvrId(dvrid, pid);
  if (o_uid->count()) changed |= dm->SetUIDbyDvrId(dvrid, uid);
  for (const CamAssignment& cam : cams) {
    changed |= dm->SetCamIdbyDvrIdChnl(dvrid, cam.channel, cam.id);
  }

  if (show || show_password || !changed) {
    ShowRecord(*dm, dvrid, show_password);
  }
  return 0;
}
