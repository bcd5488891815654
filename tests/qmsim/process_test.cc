// The qmsim program as a whole: option mistakes, the password kept out of the
// process list and the log, private record files, concurrent connections,
// prompt stop on a signal in any state, the port file removed on the way out.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <thread>

#include "qmsim_child.h"

namespace {

const std::string kSample = QM_SOURCE_DIR "/scenarios/sample_day.xml";

TEST(QmsimProcess, OptionMistakesAreUsageErrorsUnusableFilesStatusOneHelpIsPlain) {
  qmtest::TempDir dir;
  std::string deep = "<scenario>\n<camera id='1'>\n";
  for (int i = 0; i < 50000; ++i) deep += "<a>";  // about 150 KB
  qmtest::WriteWholeFile(dir.File("deep.xml"), deep);
  const struct { std::vector<std::string> args; int status; const char* says; } cases[] = {
      {{"--fault-command", "324"}, 2, "--fault-command needs --fault"},
      {{"--fault", "none", "--fault-command", "715"}, 2, "--fault-command needs --fault"},
      {{"--fault", "close", "--fault-command", "325"}, 2, "serves only 1, 2, 302, 321, 324"},
      {{"--fault", "close", "--fault-frame", "3"}, 2, "--fault-frame needs --fault cut-frame"},
      {{"--live-port", "65536"}, 2, "--live-port"},
      {{"--fault", "close", "--stall-ms", "5"}, 2, "--stall-ms needs --fault stall"},
      {{"--chunk-size", "3"}, 2, "need --fault chunked"},
      {{"--password", "x", "--password-file", "pw"}, 2, "exclude each other"},
      {{"--fault", "stall", "--stall-ms", "600001"}, 2, "--stall-ms"},
      {{"--password-file", "missing"}, 1, "cannot read password file missing"},
      {{"--scenario", dir.File("deep.xml")}, 1, "deep.xml line 3: elements nested deeper than 32"},
      {{"--version"}, 0, "qmsim "},
      {{"--help"}, 0, "Exit status:\n  0  success"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args{"--port", "0"};
    if (c.args[0] != "--scenario") args.insert(args.end(), {"--scenario", kSample});
    args.insert(args.end(), c.args.begin(), c.args.end());
    qmtest::QmsimChild sim(dir, args);
    EXPECT_EQ(sim.Wait(), c.status) << c.args[0];
    const std::string log = sim.Log();
    EXPECT_NE(log.find(c.says), std::string::npos) << log;
    if (c.args[0] != "--help") continue;  // option-library artefacts, the build path
    for (const char* artefact : {"TEXT", "UINT", ":INT", " in [", QMSIM_BINARY, "Excludes"})
      EXPECT_EQ(log.find(artefact), std::string::npos) << artefact << " in " << log;
  }
}

// Started the documented ways, the password is in neither /proc/<pid>/cmdline
// nor the log, yet requests carrying it are served; a refused login names the
// user that arrived; record files are private whatever the umask.
TEST(QmsimProcess, PasswordFromFileOrEnvironmentStaysOutOfProcessListAndLog) {
  const std::string password = "Pa55-never-shown";
  const struct { std::vector<std::string> args, env; } cases[] = {
      {{"--password-file", "pw"}, {}},
      {{}, {"QMSIM_PASSWORD=" + password}},
  };
  for (const auto& c : cases) {
    qmtest::TempDir dir;
    qmtest::WriteWholeFile(dir.File("pw"), password + "\n");
    std::vector<std::string> args{"--scenario", kSample, "--port", "0", "--port-file", "port",
                                  "--record", "."};
    args.insert(args.end(), c.args.begin(), c.args.end());
    qmtest::QmsimChild sim(dir, args, c.env);
    const int port = sim.Port();
    ASSERT_GT(port, 0) << sim.Log();
    const std::string cmdline = qmtest::ReadWholeFile("/proc/" + std::to_string(sim.Pid()) + "/cmdline");
    EXPECT_NE(cmdline.find("--scenario"), std::string::npos);
    EXPECT_EQ(cmdline.find(password), std::string::npos) << "password in the process list";
    EXPECT_EQ(qmtest::Exchange(port, qmtest::TrackerFrame("admin", password)).size(), 192u);
    EXPECT_EQ(qmtest::Exchange(port, qmtest::TrackerFrame("intruder", password + "x")).size(), 28u);
    ASSERT_TRUE(sim.AwaitLog("#2 324 day-tracker: login-refused for user \"intruder\"")) << sim.Log();
    kill(sim.Pid(), SIGTERM);
    EXPECT_EQ(sim.Wait(), 0);
    EXPECT_EQ(sim.Log().find(password), std::string::npos) << sim.Log();
    for (const char* record : {"request-1.bin", "request-2.bin"}) {
      struct stat st {};
      EXPECT_EQ(stat(dir.File(record).c_str(), &st), 0) << record;
      EXPECT_EQ(st.st_mode & 0777, 0600u) << record;
    }
    EXPECT_EQ(qmtest::ReadWholeFile(dir.File("request-1.bin")), qmtest::TrackerFrame("admin", password));
  }
}

// A client sending one byte every 1.5 s must not hold up the others. With
// --max-requests 2 qmsim ends by itself once both connections are done.
TEST(QmsimProcess, QueryIsServedWhileATricklingClientHoldsAConnection) {
  qmtest::TempDir dir;
  qmtest::QmsimChild sim(dir, {"--scenario", kSample, "--port", "0", "--port-file", "port",
                               "--max-requests", "2", "--deadline-ms", "60000"});
  const int port = sim.Port();
  ASSERT_GT(port, 0) << sim.Log();
  // Connected and sending first, so that it is ahead in the accept queue; it
  // sends a valid frame, one byte at a time.
  const std::string slow = qmtest::TrackerFrame("admin", "admin");
  const int fd = qmtest::ConnectTo(port);
  ASSERT_EQ(send(fd, slow.data(), 1, MSG_NOSIGNAL), 1);
  std::atomic<bool> query_done{false}, trickling{true};
  std::thread trickler([&] {
    // At most 12 more bytes (18 s): a server serving one connection at a
    // time would answer the query only after this.
    for (int i = 1; i < 13 * 15 && !query_done; ++i) {
      if (i % 15 == 0 && send(fd, &slow[size_t(i / 15)], 1, MSG_NOSIGNAL) != 1) break;
      usleep(100000);
    }
    trickling = false;
    close(fd);
  });
  const std::string reply = qmtest::Exchange(port, qmtest::TrackerFrame("admin", "admin"));
  const bool trickler_still_connected = trickling;
  query_done = true;
  trickler.join();
  EXPECT_EQ(reply.size(), 192u);
  EXPECT_TRUE(trickler_still_connected) << "the query waited for the trickling client";
  EXPECT_EQ(sim.Wait(), 0) << sim.Log();
  EXPECT_NE(sim.Log().find("stopping after 2 connections\n"), std::string::npos) << sim.Log();
  EXPECT_FALSE(std::filesystem::exists(dir.File("port")));
}

// The request line is logged before the stall; the signal ends the stall,
// qmsim exits 0 and takes its port file with it.
TEST(QmsimProcess, StopSignalEndsA600SecondStallAndRemovesThePortFile) {
  for (const int signal : {SIGTERM, SIGINT}) {
    qmtest::TempDir dir;
    qmtest::QmsimChild sim(dir, {"--scenario", kSample, "--port", "0", "--port-file", "port",
                                 "--fault", "stall", "--stall-ms", "600000"});
    const int port = sim.Port();
    ASSERT_GT(port, 0) << sim.Log();
    const int fd = qmtest::ConnectTo(port);
    const std::string frame = qmtest::TrackerFrame("admin", "admin");
    EXPECT_EQ(send(fd, frame.data(), frame.size(), MSG_NOSIGNAL), ssize_t(frame.size()));
    EXPECT_TRUE(sim.AwaitLog("#1 324 day-tracker camera=12 date=05.07.2013\n")) << sim.Log();
    kill(sim.Pid(), signal);
    EXPECT_EQ(sim.Wait(), 0) << "signal " << signal << ": " << sim.Log();
    char byte;
    EXPECT_EQ(recv(fd, &byte, 1, 0), 0) << "closed without a reply";
    close(fd);
    EXPECT_NE(sim.Log().find("fault=stall 600000 ms: nothing sent (stopped by signal)"),
              std::string::npos) << sim.Log();
    EXPECT_FALSE(std::filesystem::exists(dir.File("port")));
  }
}

// The port file's second line is the live port (the client tests check the
// description announces it); each port serves only its own requests.
TEST(QmsimProcess, PortFileHoldsBothPortsEachServesOnlyItsOwnRequests) {
  qmtest::TempDir dir;
  qmtest::QmsimChild sim(dir, {"--scenario", QM_SOURCE_DIR "/scenarios/sample_server.xml", "--port", "0",
                               "--port-file", "port"});
  const int port = sim.Port();
  ASSERT_GT(port, 0) << sim.Log();
  const std::string lines = qmtest::ReadWholeFile(dir.File("port"));
  const int live = std::atoi(lines.substr(lines.find('\n') + 1).c_str());
  EXPECT_EQ(lines, std::to_string(port) + "\n" + std::to_string(live) + "\n");
  EXPECT_TRUE(live > 0 && live != port) << lines;
  EXPECT_EQ(qmtest::Exchange(live, qmtest::TrackerFrame("admin", "admin")), "");
  EXPECT_EQ(qmtest::Exchange(port, qmtest::RequestFrame(2, "admin", "admin", "")), "");
  EXPECT_TRUE(sim.AwaitLog("#1 324 day-tracker: not served on the live port; nothing sent")) << sim.Log();
  EXPECT_TRUE(sim.AwaitLog("#2 2 live-stream: not served on the command port (the live port is " +
                           std::to_string(live) + ")")) << sim.Log();
}

}  // namespace
