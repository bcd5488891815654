// The stand-in device manager tool, run as a child process. Every test case
// runs in its own IPC namespace, so the tool works on a private key 4145.
#include <gtest/gtest.h>
#include <sys/shm.h>

#include <string>

#include "../support/run_capture.h"

namespace {

// Runs the tool with `args` as shell words: "<exit status>|<stdout and stderr>".
std::string Tool(const std::string& args) {
  const std::string line = std::string(QMDEVMGR_PATH) + " " + args + " 2>&1";
  const qmtest::RunResult run = qmtest::RunCaptured({"/bin/sh", "-c", line}, "/");
  return std::to_string(run.status) + "|" + run.out;
}

TEST(QmDevMgrTool, SetThenShowHidesPasswordUnlessAsked) {
  ASSERT_EQ(Tool("--dvrid 7 --user admin --password s3cr3t --uid -5 --pid 99 --camid 3=1005 "
                 "--camid 128=4294967295"), "0|");
  const std::string rest = "client process id: 99\nUID: -5\ncamera ids: 3=1005 128=4294967295\n";
  EXPECT_EQ(Tool("--dvrid 7 --show"), "0|DVR 7\nuser name: admin\npassword: (set)\n" + rest);
  EXPECT_EQ(Tool("--dvrid 7 --show-password"),
            "0|DVR 7\nuser name: admin\npassword: s3cr3t\n" + rest);
}

TEST(QmDevMgrTool, BadArgumentsRejectedWithMessageWithoutCreatingTheSegment) {
  for (const char* args :
       {"--dvrid 0 --show", "--dvrid 65 --show", "--dvrid 4294967296 --show", "--show",
        "--dvrid 1 --camid 0=5", "--dvrid 1 --camid 129=5", "--dvrid 1 --camid 3=4294967296",
        "--dvrid 1 --camid 3=", "--dvrid 1 --camid 3", "--dvrid 1 --camid x=5",
        "--dvrid 1 --user 123456789012345678901", "--dvrid 1 --password 123456789012345678901",
        "--remove --dvrid 1"}) {
    const std::string run = Tool(args);  // a non-zero status and a message
    EXPECT_TRUE(run.rfind("0|", 0) != 0 && run.find('|') + 1 < run.size()) << args << ": " << run;
    EXPECT_EQ(shmget(4145, 0, 0), -1) << args << ": segment created";
  }
}

}  // namespace
