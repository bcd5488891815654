// qmctl --dvrid: credentials from the device manager's segment (key 4145).
// Every test case runs in a private IPC and network namespace, so the key
// is the test's own.
#include <sys/shm.h>

#include "devmgr/ikorindmif.h"
#include "qmctl_run.h"

namespace {

using qmctl_test::CtlRun;
using qmctl_test::QmsimServer;

bool SegmentExists() { return shmget(dmlayout::kKey, 0, 0) != -1; }

CtlRun WithDvrid(const QmsimServer& sim, const std::string& dvrid) {
  return qmctl_test::RunQmctl({"--port", std::to_string(sim.port()), "--dvrid", dvrid, "server"});
}

// qmctl only attaches: a missing segment is an error and stays missing.
TEST(QmctlSegment, MissingSegmentExitsThreeAndIsNotCreated) {
  QmsimServer sim;
  ASSERT_GT(sim.port(), 0);
  const CtlRun run = WithDvrid(sim, "4");
  EXPECT_EQ(run.status, 3);
  EXPECT_EQ(run.err, "qmctl: no segment (key 4145)\n");
  EXPECT_FALSE(SegmentExists());
  EXPECT_EQ(sim.Log().find("#1 "), std::string::npos) << "no request without credentials";
}

// The record's user name and password log in; a record without a user name
// and a wrong stored password are told apart.
TEST(QmctlSegment, RecordCredentialsLogInAndEmptyRecordExitsThree) {
  QmsimServer sim;
  ASSERT_GT(sim.port(), 0);
  bool failed = true;
  IKorinDMIf* dm = Singleton<IKorinDMIf>::Instance(failed);
  ASSERT_NE(dm, nullptr);
  dm->SetUserNamebyDvrId(4, "admin");
  dm->SetPassWordbyDvrId(4, qmctl_test::kPassword);
  dm->SetUserNamebyDvrId(6, "admin");
  dm->SetPassWordbyDvrId(6, "stale");
  unsetenv("QMCTL_PASSWORD");  // the segment alone supplies the password
  const CtlRun good = WithDvrid(sim, "4");
  EXPECT_EQ(good.status, 0) << good.err;
  EXPECT_NE(good.out.find("name:             Harbour NVR\n"), std::string::npos);
  const CtlRun empty = WithDvrid(sim, "5");
  EXPECT_EQ(empty.status, 3);
  EXPECT_EQ(empty.err, "qmctl: DVR id 5 has no user name in the segment (key 4145)\n");
  EXPECT_EQ(WithDvrid(sim, "6").status, 5);
  Singleton<IKorinDMIf>::DeleteInstance();
  shmctl(shmget(dmlayout::kKey, 0, 0), IPC_RMID, nullptr);
}

}  // namespace
