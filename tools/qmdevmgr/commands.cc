// qmdevmgr's commands on the device manager's segment. Reading goes through
// SegmentReader (attach only, read-only); only SetRecord goes through the
// device-manager interface, whose attach creates a missing segment.
#include "commands.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "common/exit_status.h"
#include "devmgr/ikorindmif.h"
#include "devmgr/sharedmem.h"
#include "common/segment_reader.h"

namespace qmdevmgr {

using qmtools::DescribeUnusable;
using qmtools::DvrRecord;
using qmtools::SegmentReader;
using qmtools::SegmentState;

namespace {

// Opens `reader`; prints why the segment is unusable when it is not attached.
bool OpenForReading(SegmentReader& reader) {
  const SegmentState state = reader.Open();
  if (state == SegmentState::kAttached) return true;
  std::fprintf(stderr, "qmdevmgr: %s\n", DescribeUnusable(reader, state).c_str());
  return false;
}

void PrintRecord(unsigned dvrid, const DvrRecord& record, bool show_password) {
  std::printf("DVR %u\n", dvrid);
  std::printf("user name: %s\n", record.user.c_str());
  if (show_password) {
    std::printf("password: %s\n", record.password.c_str());
  } else {
    std::printf("password: %s\n", record.password.empty() ? "(empty)" : "(set)");
  }
  std::printf("client process id: %u\n", static_cast<unsigned>(record.client_pid));
  std::printf("UID: %d\n", static_cast<int>(record.uid));
  std::printf("camera ids:");
  bool any = false;
  for (unsigned c = 1; c <= dmlayout::kChannelCount; ++c) {
    const unsigned long id = record.cam_ids[c - 1];
    if (id != 0) {
      std::printf(" %u=%lu", c, id);
      any = true;
    }
  }
  std::puts(any ? "" : " (none)");
}

// Releases the device-manager interface on every path out of SetRecord.
struct InstanceGuard {
  ~InstanceGuard() { Singleton<IKorinDMIf>::DeleteInstance(); }
};

}  // namespace

int ShowRecord(unsigned dvrid, bool show_password) {
  SegmentReader reader;
  if (!OpenForReading(reader)) return qmtools::kExitNoSegment;
  PrintRecord(dvrid, reader.Read(dvrid), show_password);
  return qmtools::kExitOk;
}

int ListRecords() {
  SegmentReader reader;
  if (!OpenForReading(reader)) return qmtools::kExitNoSegment;
  bool any = false;
  for (unsigned dvrid = 1; dvrid <= dmlayout::kDvrCount; ++dvrid) {
    const DvrRecord record = reader.Read(dvrid);
    if (record.user.empty()) continue;
    if (!any) std::printf("%-4s %-20s %s\n", "DVR", "user name", "password");
    std::printf("%-4u %-20s %s\n", dvrid, record.user.c_str(),
                record.password.empty() ? "(empty)" : "(set)");
    any = true;
  }
  if (!any) std::puts("no DVR record has a user name");
  return qmtools::kExitOk;
}

int SetRecord(const SetRequest& request, bool show, bool show_password) {
  {
    // A segment that is there but unusable is reported as it is: the
    // interface below would only say that it cannot attach or create one.
    SegmentReader probe;
    const SegmentState state = probe.Open();
    if (state == SegmentState::kWrongSize || state == SegmentState::kError) {
      std::fprintf(stderr, "qmdevmgr: %s\n", DescribeUnusable(probe, state).c_str());
      return qmtools::kExitNoSegment;
    }
  }
  InstanceGuard guard;
  bool failed = true;
  IKorinDMIf* dm = Singleton<IKorinDMIf>::Instance(failed);
  if (dm == nullptr) {
    std::fprintf(stderr,
                 "qmdevmgr: cannot attach or create the segment (key %d) for writing\n",
                 static_cast<int>(dmlayout::kKey));
    return qmtools::kExitNoSegment;
  }
  // Every value was checked by the caller, so the setters cannot refuse it.
  const unsigned d = request.dvrid;
  if (request.set_user) dm->SetUserNamebyDvrId(d, request.user);
  if (request.set_password) dm->SetPassWordbyDvrId(d, request.password);
  if (request.set_pid) dm->SetClientProcIdbyDvrId(d, request.pid);
  if (request.set_uid) dm->SetUIDbyDvrId(d, request.uid);
  for (const CamAssignment& cam : request.cams) {
    dm->SetCamIdbyDvrIdChnl(d, cam.channel, cam.id);
  }
  Singleton<IKorinDMIf>::DeleteInstance();
  return show ? ShowRecord(d, show_password) : qmtools::kExitOk;
}

int RemoveSegment() {
  int id = -1;
  void* addr = nullptr;
  const int rc = Shm_Link(dmlayout::kKey, 0, &id, &addr);
  if (rc == ENOENT) {
    std::puts("qmdevmgr: no segment to remove");
    return qmtools::kExitOk;
  }
  if (rc != 0) {
    std::fprintf(stderr, "qmdevmgr: cannot attach the segment (key %d): %s\n",
                 static_cast<int>(dmlayout::kKey),
                 rc > 0 ? std::strerror(rc) : "unknown error");
    return qmtools::kExitNoSegment;
  }
  const int drc = Shm_Destroy(id, addr);
  if (drc != 0) {
    std::fprintf(stderr, "qmdevmgr: cannot remove the segment (key %d): %s\n",
                 static_cast<int>(dmlayout::kKey),
                 drc > 0 ? std::strerror(drc) : "unknown error");
    return qmtools::kExitNoSegment;
  }
  std::puts("qmdevmgr: segment removed");
  return qmtools::kExitOk;
}

}  // namespace qmdevmgr
