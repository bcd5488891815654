// The stand-in device manager tool, run as a child process without a shell
// (paths with blanks stay whole). Every test case runs in its own IPC
// namespace, so the tool works on a private key 4145.
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/shm.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "../support/run_capture.h"

namespace {

struct ToolRun {
  int status = -1;
  std::string out;  // standard output
  std::string err;  // standard error
};

// Runs qmdevmgr with `args`, capturing both of its output streams: its
// standard error is our fd 2, pointed at a memory file for the run.
ToolRun Tool(const std::vector<std::string>& args) {
  std::vector<std::string> argv{QMDEVMGR_PATH};
  argv.insert(argv.end(), args.begin(), args.end());
  const int err = memfd_create("qmdevmgr-stderr", MFD_CLOEXEC);
  const int saved = dup(2);
  fflush(stderr);
  dup2(err, 2);
  const qmtest::RunResult run = qmtest::RunCaptured(argv, "/");
  dup2(saved, 2);
  close(saved);
  ToolRun result{run.status, run.out, {}};
  char buffer[4096];
  for (ssize_t n; (n = pread(err, buffer, sizeof buffer, off_t(result.err.size()))) > 0;)
    result.err.append(buffer, size_t(n));
  close(err);
  return result;
}

bool SegmentExists() { return shmget(4145, 0, 0) != -1; }

TEST(QmDevMgrTool, SetThenShowHidesPasswordUnlessAsked) {
  ASSERT_EQ(Tool({"--dvrid", "7", "--user", "admin", "--password", "s3cr3t", "--uid", "-5", "--pid",
                  "99", "--camid", "3=1005", "--camid", "128=4294967295"}).status, 0);
  const std::string rest = "client process id: 99\nUID: -5\ncamera ids: 3=1005 128=4294967295\n";
  EXPECT_EQ(Tool({"--dvrid", "7", "--show"}).out, "DVR 7\nuser name: admin\npassword: (set)\n" + rest);
  EXPECT_EQ(Tool({"--dvrid", "7", "--show-password"}).out,
            "DVR 7\nuser name: admin\npassword: s3cr3t\n" + rest);
  ASSERT_EQ(Tool({"--dvrid", "2", "--user", "second"}).status, 0);
  const ToolRun list = Tool({"--list"});
  EXPECT_EQ(list.status, 0);
  EXPECT_EQ(list.out, "DVR  user name            password\n"
                      "2    second               (empty)\n"
                      "7    admin                (set)\n");
}

// Reads must only attach: on a missing segment each one reports it with
// status 3 and creates nothing, even with a password in the environment.
TEST(QmDevMgrTool, ReadsOnMissingSegmentExitThreeAndCreateNothing) {
  setenv("QMDEVMGR_PASSWORD", "from-env", 1);
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--dvrid", "1", "--show"}, {"--dvrid", "64", "--show-password"},
        {"--list"}}) {
    const ToolRun run = Tool(args);
    EXPECT_EQ(run.status, 3) << args[0];
    EXPECT_EQ(run.err, "qmdevmgr: no segment (key 4145)\n") << args[0];
    EXPECT_FALSE(SegmentExists()) << args[0];
  }
  unsetenv("QMDEVMGR_PASSWORD");
  EXPECT_EQ(Tool({"--dvrid", "1"}).status, 3) << "nothing to set: a read";
  EXPECT_EQ(Tool({"--list"}).status, 3);
  EXPECT_FALSE(SegmentExists());
  EXPECT_EQ(Tool({"--remove"}).out, "qmdevmgr: no segment to remove\n");
}

TEST(QmDevMgrTool, UsageErrorsExitTwoWithMessageAndTouchNothing) {
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"--dvrid", "0", "--show"}, {"--dvrid", "65", "--show"}, {"--dvrid", "4294967296"},
           {"--show"}, {}, {"--dvrid", "1", "--camid", "0=5"}, {"--dvrid", "1", "--camid", "129=5"},
           {"--dvrid", "1", "--camid", "3=4294967296"}, {"--dvrid", "1", "--camid", "3="},
           {"--dvrid", "1", "--camid", "x=5"}, {"--dvrid", "1", "--user", "123456789012345678901"},
           {"--dvrid", "1", "--password", "123456789012345678901"}, {"--dvrid", "1", "--pid", "-1"},
           {"--dvrid", "1", "--password", "a", "--password-file", "/dev/null"},
           {"--remove", "--dvrid", "1"}, {"--list", "--show"}, {"--list", "--remove"}, {"--bogus"}}) {
    const ToolRun run = Tool(args);
    const std::string what = args.empty() ? "(none)" : args.back();
    EXPECT_EQ(run.status, 2) << what;
    EXPECT_EQ(run.out, "") << what;
    EXPECT_EQ(run.err.rfind("qmdevmgr: ", 0), 0u) << what << ": " << run.err;
    EXPECT_FALSE(SegmentExists()) << what;
  }
}

// A foreign segment under the key: every command but --remove says so with
// the size and the cure, and leaves it alone; --remove clears it.
TEST(QmDevMgrTool, WrongSizeSegmentIsReportedAndOnlyRemoveClearsIt) {
  const int id = shmget(4145, 100, IPC_CREAT | 0666);
  ASSERT_NE(id, -1);
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--dvrid", "1", "--show"}, {"--list"}, {"--dvrid", "1", "--user", "op"}}) {
    const ToolRun run = Tool(args);
    EXPECT_EQ(run.status, 3) << args.back();
    EXPECT_EQ(run.err, "qmdevmgr: the segment of key 4145 has the wrong size: 100 bytes instead of "
                       "36100; qmdevmgr --remove clears it\n") << args.back();
  }
  struct shmid_ds desc {};
  ASSERT_EQ(shmctl(id, IPC_STAT, &desc), 0);
  EXPECT_EQ(desc.shm_segsz, 100u);
  EXPECT_EQ(Tool({"--remove"}).status, 0);
  EXPECT_FALSE(SegmentExists());
}

// The password from a file (its first line) or the environment; an unusable
// source is status 1 and stores nothing.
TEST(QmDevMgrTool, PasswordFromFileOrEnvironmentAndUnusableSourcesRefused) {
  qmtest::TempDir dir;
  const std::string spaced = dir.File("pass word");
  struct Case {
    std::string file_content;  // empty: no file
    const char* env;           // nullptr: unset
    int status;
    std::string stored;
  } cases[] = {
      {"filepass\nsecond line\n", nullptr, 0, "filepass"},
      {"crlf\r\n", "env-loses", 0, "crlf"},
      {"", "from-env", 0, "from-env"},
      {"123456789012345678901\n", nullptr, 1, ""},
      {"", "123456789012345678901", 1, ""},
      {std::string("nul\0byte", 8), nullptr, 1, ""},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(Tool({"--dvrid", "9", "--user", "op", "--password", ""}).status, 0);
    std::vector<std::string> args{"--dvrid", "9"};
    if (!c.file_content.empty()) {
      qmtest::WriteWholeFile(spaced, c.file_content);
      args.insert(args.end(), {"--password-file", spaced});
    }
    if (c.env != nullptr) setenv("QMDEVMGR_PASSWORD", c.env, 1);
    const ToolRun run = Tool(args);
    unsetenv("QMDEVMGR_PASSWORD");
    EXPECT_EQ(run.status, c.status) << c.file_content << run.err;
    EXPECT_NE(Tool({"--dvrid", "9", "--show-password"}).out.find("password: " + c.stored + "\n"),
              std::string::npos) << c.file_content;
  }
  const ToolRun missing = Tool({"--dvrid", "9", "--password-file", dir.File("none")});
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("cannot read the password file"), std::string::npos);
}

TEST(QmDevMgrTool, VersionAndHelpCarryNoOptionLibraryArtefacts) {
  const ToolRun version = Tool({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("qmdevmgr ", 0), 0u) << version.out;
  const ToolRun help = Tool({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("Stand-in device manager", 0), 0u);
  EXPECT_NE(help.out.find("Usage: qmdevmgr [OPTIONS]"), std::string::npos);
  EXPECT_NE(help.out.find("QMDEVMGR_PASSWORD"), std::string::npos);
  EXPECT_NE(help.out.find("  3  the device-manager segment is missing"), std::string::npos);
  for (const char* artefact : {"INT", "TEXT:", " in [", "Excludes"})
    EXPECT_EQ(help.out.find(artefact), std::string::npos) << artefact;
}

}  // namespace
