// qmctl's failures: each one a single "qmctl: " line on standard error,
// nothing on standard output, and the exit status of the shared table that
// names the cause.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include "qmctl_run.h"

namespace {

using qmctl_test::CtlRun;
using qmctl_test::QmsimServer;

void ExpectOneLineFailure(const CtlRun& run, int status, const std::string& fragment,
                          const std::string& what) {
  EXPECT_EQ(run.status, status) << what << ": " << run.err;
  EXPECT_EQ(run.out, "") << what;
  EXPECT_EQ(run.err.rfind("qmctl: ", 0), 0u) << what << ": " << run.err;
  EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << what << ": " << run.err;
  EXPECT_NE(run.err.find(fragment), std::string::npos) << what << ": " << run.err;
}

// A loopback port with nothing listening (bound, then released).
int ClosedPort() {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
  socklen_t size = sizeof a;
  bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
  getsockname(fd, reinterpret_cast<sockaddr*>(&a), &size);
  close(fd);
  return ntohs(a.sin_port);
}

// Answers without the record asked for, told apart from a failed exchange
// also where the library call answers alike (ExecutePreset, the stream
// calls, the file chain) or not at all (the PTZ answer).
TEST(QmctlFailures, MissingRecordsExitSeven) {
  QmsimServer sim;
  ASSERT_GT(sim.port(), 0);
  const std::vector<std::vector<std::string>> cases = {
      {"camera", "42"},
      {"files", "9", "--from", "2013-05-07T00:00:00", "--to", "2013-05-07T23:59:59"},
      {"frames", "5", "D:\\no\\such.vid"},
      {"dirs", "42"},
      {"ptz", "7", "ZoomIn"},  // not a PTZ camera: the server answers false
      {"preset-go", "5", "77"},
      {"live", "42"},
      {"playback", "5", "999"},
  };
  for (const std::vector<std::string>& args : cases) {
    ExpectOneLineFailure(sim.Ctl(args), 7, "", args[0]);
  }
  EXPECT_EQ(sim.Log().find("RecallPreset"), std::string::npos)
      << "an unlisted preset is never recalled";
}

TEST(QmctlFailures, RefusedLoginUnreachableAndUnreadableRepliesHaveTheirStatus) {
  {
    QmsimServer sim;
    ASSERT_GT(sim.port(), 0);
    setenv("QMCTL_PASSWORD", "wrong", 1);
    ExpectOneLineFailure(sim.Ctl({"cameras"}), 5, "refused the login of user \"admin\"",
                         "wrong password");
    EXPECT_EQ(sim.Log().find("50003"), std::string::npos) << "nothing asked after the refusal";
  }
  ExpectOneLineFailure(qmctl_test::RunQmctl({"--port", std::to_string(ClosedPort()), "--user",
                                             "admin", "server"}),
                       4, "no answer from 127.0.0.1:", "nothing listening");
  for (const auto& fault : std::vector<std::pair<std::string, int>>{
           {"close", 4}, {"malformed", 6}, {"login-refused", 5}}) {
    QmsimServer sim({"--fault", fault.first});
    ASSERT_GT(sim.port(), 0);
    ExpectOneLineFailure(sim.Ctl({"server"}), fault.second, "", "fault " + fault.first);
  }
  // A fault on one command alone: the description passed, the reply of that
  // command decides, also inside the file chain whose call answers alike.
  const std::string file502 = "D:\\VideoStore\\192.0.2.15-5\\2013-05-07\\5_20130507_060000.vid";
  const std::vector<std::string> day = {"--from", "2013-05-07T00:00:00", "--to",
                                        "2013-05-07T23:59:59"};
  struct Case {
    std::string fault, code;
    std::vector<std::string> args;
    int status;
    std::string fragment;
  } cases[] = {
      {"malformed", "50003", {"cameras"}, 6, "camera directory is not a readable XML"},
      {"malformed", "50014", {"files", "5"}, 6, "file list of camera 5 from"},
      {"close", "321", {"files", "5"}, 4, "to any file header request"},
      {"truncated", "321", {"frames", "5", file502}, 6, "holds 1070 of its 2160 frames"},
      {"login-refused", "321", {"frames", "5", file502}, 5, "refused the login"},
  };
  for (const Case& c : cases) {
    QmsimServer sim({"--fault", c.fault, "--fault-command", c.code});
    ASSERT_GT(sim.port(), 0);
    std::vector<std::string> args = c.args;
    if (args[0] == "files") args.insert(args.end(), day.begin(), day.end());
    ExpectOneLineFailure(sim.Ctl(args), c.status, c.fragment, c.fault + " on " + c.code);
  }
}

// Wrong command lines and password sources fail before any connection.
TEST(QmctlFailures, UsageAndPasswordSourceErrorsTouchNoServer) {
  QmsimServer sim;
  ASSERT_GT(sim.port(), 0);
  const std::string long_line = sim.dir().File("long");
  qmtest::WriteWholeFile(long_line, std::string(300, 'x') + "\n");
  const std::string good = sim.dir().File("good");
  qmtest::WriteWholeFile(good, std::string(qmctl_test::kPassword) + "\r\n");
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string fragment;
  } cases[] = {
      {{"files", "7", "--from", "2013-02-29T00:00:00", "--to", "2013-03-01T00:00:00"}, 2,
       "is not a date-time"},
      {{"files", "7", "--from", "2013-05-07 00:00:00", "--to", "2013-05-07T01:00:00"}, 2,
       "is not a date-time"},
      {{"ptz", "5", "14"}, 2, "no PTZ action"},
      {{"playback", "5", "502", "--stop-value", "1"}, 2, "--stop-value requires --stop-frame"},
      {{"camera", "-1"}, 2, "ID"},
      {{"--dvrid", "1", "server"}, 2, "excludes"},
      {{"--password-file", sim.dir().File("missing"), "server"}, 1, "cannot read the password file"},
      {{"--password-file", long_line, "server"}, 1, "longer than 255 characters"},
      {{"server", "--password-file", good, "--json"}, 0, ""},  // common options after the command
  };
  for (const Case& c : cases) {
    const CtlRun run = sim.Ctl(c.args);
    if (c.status == 0) {
      EXPECT_EQ(run.status, 0) << run.err;
      continue;
    }
    EXPECT_EQ(run.status, c.status) << c.args[0] << ": " << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find(c.fragment), std::string::npos) << run.err;
  }
  unsetenv("QMCTL_PASSWORD");
  ExpectOneLineFailure(sim.Ctl({"server"}), 2, "no password for --user", "no password");
  ExpectOneLineFailure(qmctl_test::RunQmctl({"server"}), 2, "give the login", "no login");
  // Only the one command that worked (description, server table) reached
  // the server.
  EXPECT_EQ(sim.Log().find("#3 "), std::string::npos) << sim.Log();
}

}  // namespace
