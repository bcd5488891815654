// The stand-in device manager tool, run as a child process. Every test case
// runs in its own IPC namespace, so the tool works on a private key 4145.
#include <gtest/gtest.h>
#include <sys/shm.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>
namespace {

struct ToolRun { int status; std::string output; };  // output: stdout and stderr

ToolRun Tool(const std::string& args) {  // args as shell words
  FILE* p = popen((std::string(QMDEVMGR_PATH) + " " + args + " 2>&1").c_str(), "r");
  ToolRun run{-1, {}};
  char buf[512];
  for (size_t n; p && (n = fread(buf, 1, sizeof buf, p)) > 0;) run.output.append(buf, n);
  const int ws = p ? pclose(p) : -1;
  if (p && WIFEXITED(ws)) run.status = WEXITSTATUS(ws);
  return run;
}

TEST(QmDevMgrTool, SetThenShowHidesPasswordUnlessAsked) {
  ASSERT_EQ(Tool("--dvrid 7 --user admin --password s3cr3t --uid -5 --pid 99 --camid 3=1005 "
                 "--camid 128=4294967295").status, 0);
  const ToolRun show = Tool("--dvrid 7 --show");
  EXPECT_EQ(show.status, 0);
  for (const char* line : {"user name: admin\n", "password: (set)\n", "UID: -5\n",
                           "client process id: 99\n", "camera ids: 3=1005 128=4294967295\n"})
    EXPECT_NE(show.output.find(line), std::string::npos) << line << show.output;
  EXPECT_EQ(show.output.find("s3cr3t"), std::string::npos) << "password shown";
  const std::string shown = Tool("--dvrid 7 --show-password").output;
  EXPECT_NE(shown.find("password: s3cr3t\n"), std::string::npos) << shown;
  EXPECT_NE(Tool("--dvrid 8 --show").output.find("password: (empty)\n"), std::string::npos);
}

TEST(QmDevMgrTool, BadArgumentsRejectedWithMessageWithoutCreatingTheSegment) {
  for (const char* args :
       {"--dvrid 0 --show", "--dvrid 65 --show", "--dvrid 4294967296 --show", "--show",
        "--dvrid 1 --camid 0=5", "--dvrid 1 --camid 129=5", "--dvrid 1 --camid 3=4294967296",
        "--dvrid 1 --camid 3=",
        "--dvrid 1 --camid 3", "--dvrid 1 --camid x=5", "--dvrid 1 --user 123456789012345678901",
        "--dvrid 1 --password 123456789012345678901", "--remove --dvrid 1"}) {
    SCOPED_TRACE(args);
    const ToolRun run = Tool(args);
    EXPECT_NE(run.status, 0);
    EXPECT_FALSE(run.output.empty()) << "no message";
    EXPECT_EQ(shmget(4145, 0, 0), -1) << "segment created";
  }
}

}  // namespace
