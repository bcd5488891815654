// The qmsim program as a whole: ephemeral port written to the port file, the
// request recorded, the password kept out of every output, clean stop on SIGTERM.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <sys/socket.h>

#include <future>

#include "../support/run_capture.h"
#include "unique_fd.h"

namespace {

TEST(QmsimProcess, ServesAndRecordsARequestHidesThePasswordStopsOnSigterm) {
  qmtest::TempDir dir;
  const std::string password = "Pa55-never-shown";
  const std::string command = "echo $$ >pid && exec " QMSIM_BINARY " --scenario " QM_SOURCE_DIR
      "/scenarios/sample_day.xml --port 0 --port-file port --record . --password " + password;
  auto run = std::async(std::launch::async, [&] {  // standard output and error; killed after 30 s
    return qmtest::RunCaptured({"/bin/sh", "-c", command + " 2>&1"}, dir.path());
  });
  int port = 0;
  for (int i = 0; i < 1000 && port == 0; ++i, usleep(10000))
    port = std::atoi(qmtest::ReadWholeFile(dir.File("port")).c_str());
  const pid_t pid = std::atoi(qmtest::ReadWholeFile(dir.File("pid")).c_str());
  ASSERT_TRUE(port > 0 && pid > 1) << run.get().out;
  const std::string text = "<Envelope><Body><ClientRequestHeader><CommandCode>324</CommandCode>"
      "<UID>admin</UID><PWD>" + password + "</PWD></ClientRequestHeader><CommonCMDHeader>"
      "<IntParameter1>12</IntParameter1><StrParameter1>05.07.2013</StrParameter1>"
      "</CommonCMDHeader></Body></Envelope>\r";
  const std::string frame =
      std::string{'\x06', char(text.size() + 5), char((text.size() + 5) >> 8), 0, 0} + text;
  qmsim::UniqueFd fd(socket(AF_INET, SOCK_STREAM, 0));
  sockaddr_in a{AF_INET, htons(static_cast<std::uint16_t>(port)), {htonl(INADDR_LOOPBACK)}, {}};
  EXPECT_EQ(connect(fd.Get(), reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
  EXPECT_EQ(send(fd.Get(), frame.data(), frame.size(), 0), static_cast<ssize_t>(frame.size()));
  char buf[4096];  // until the server closes: the tracker, so the login was accepted
  EXPECT_EQ(recv(fd.Get(), buf, sizeof buf, MSG_WAITALL), 192);
  kill(pid, SIGTERM);
  const qmtest::RunResult result = run.get();
  EXPECT_EQ(result.status, 0) << "not a clean exit on SIGTERM";
  EXPECT_EQ(qmtest::ReadWholeFile(dir.File("request-1.bin")), frame);
  EXPECT_NE(result.out.find("stopping after 1 connections"), std::string::npos) << result.out;
  EXPECT_EQ(result.out.find(password), std::string::npos) << result.out;
}

}  // namespace
