// The stand-in device manager tool, run as a child process. Every test case
// runs in its own IPC namespace, so the tool works on a private key 4145.
#include <gtest/gtest.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "devmgr/ikorindmif.h"

namespace {

struct ToolRun {
  int status;
  std::string output;  // standard output and error together
};

// Runs the tool with `args` (shell words) and collects its output.
ToolRun Tool(const std::string& args) {
  const std::string cmd = std::string(QMDEVMGR_PATH) + " " + args + " 2>&1";
  ToolRun run{-1, {}};
  FILE* p = popen(cmd.c_str(), "r");
  if (p == nullptr) return run;
  char buf[512];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) run.output.append(buf, n);
  const int ws = pclose(p);
  run.status = WIFEXITED(ws) ? WEXITSTATUS(ws) : -1;
  return run;
}

bool SegmentExists() { return shmget(dmlayout::kKey, 0, 0) != -1; }

TEST(QmDevMgrTool, SetThenShowHidesPasswordUnlessAsked) {
  ToolRun set = Tool("--dvrid 7 --user admin --password s3cr3t --uid -5 "
                 "--pid 99 --camid 3=1005 --camid 128=4294967295");
  ASSERT_EQ(set.status, 0) << set.output;

  ToolRun show = Tool("--dvrid 7 --show");
  ASSERT_EQ(show.status, 0) << show.output;
  EXPECT_NE(show.output.find("user name: admin\n"), std::string::npos);
  EXPECT_NE(show.output.find("password: (set)\n"), std::string::npos);
  EXPECT_EQ(show.output.find("s3cr3t"), std::string::npos) << "password shown";
  EXPECT_NE(show.output.find("UID: -5\n"), std::string::npos);
  EXPECT_NE(show.output.find("client process id: 99\n"), std::string::npos);
  EXPECT_NE(show.output.find("camera ids: 3=1005 128=4294967295\n"),
            std::string::npos);

  ToolRun shown = Tool("--dvrid 7 --show-password");
  EXPECT_NE(shown.output.find("password: s3cr3t\n"), std::string::npos)
      << shown.output;
  ToolRun other = Tool("--dvrid 8 --show");
  EXPECT_NE(other.output.find("password: (empty)\n"), std::string::npos);

  // What the tool wrote is what the interface of qmrecinfo reads.
  bool failed = true;
  IKorinDMIf dm(failed);
  ASSERT_FALSE(failed);
  EXPECT_EQ(dm.GetUserNamebyDvrId(7), "admin");
  EXPECT_EQ(dm.GetPassWordbyDvrId(7), "s3cr3t");
  EXPECT_EQ(dm.GetCamIdbyDvrIdChnl(7, 3), 1005);
}

TEST(QmDevMgrTool, RemoveDeletesSegmentAndToleratesAMissingOne) {
  ASSERT_EQ(Tool("--dvrid 1 --user a").status, 0);
  ASSERT_TRUE(SegmentExists());
  ToolRun rm = Tool("--remove");
  EXPECT_EQ(rm.status, 0) << rm.output;
  EXPECT_FALSE(SegmentExists());
  EXPECT_EQ(Tool("--remove").status, 0);

  // A segment too small for the interface can still be removed.
  ASSERT_NE(shmget(dmlayout::kKey, 10, IPC_CREAT | 0666), -1);
  EXPECT_EQ(Tool("--remove").status, 0);
  EXPECT_FALSE(SegmentExists());
}

// Bad values must be refused with a message before the segment is touched.
TEST(QmDevMgrTool, RejectsOutOfRangeValuesWithoutCreatingTheSegment) {
  const char* bad[] = {
      "--dvrid 0 --show",
      "--dvrid 65 --show",
      "--dvrid 4294967296 --show",
      "--dvrid 1 --camid 0=5",
      "--dvrid 1 --camid 129=5",
      "--dvrid 1 --camid 3=4294967296",
      "--dvrid 1 --camid 3=",
      "--dvrid 1 --camid 3",
      "--dvrid 1 --camid x=5",
      "--dvrid 1 --user 123456789012345678901",
      "--dvrid 1 --password 123456789012345678901",
      "--show",
      "--remove --dvrid 1",
  };
  for (const char* args : bad) {
    SCOPED_TRACE(args);
    ToolRun run = Tool(args);
    EXPECT_NE(run.status, 0);
    EXPECT_FALSE(run.output.empty()) << "no message";
    EXPECT_FALSE(SegmentExists());
  }
}

TEST(QmDevMgrTool, TooSmallSegmentIsReportedNotOverrun) {
  ASSERT_NE(shmget(dmlayout::kKey, 100, IPC_CREAT | 0666), -1);
  ToolRun run = Tool("--dvrid 1 --show");
  EXPECT_EQ(run.status, 2) << run.output;
  EXPECT_NE(run.output.find("cannot attach"), std::string::npos);
}

}  // namespace
