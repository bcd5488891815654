// The qmsim program as a whole: ephemeral port written to the port file, the
// request recorded, the password kept out of every output, clean stop on SIGTERM.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <sys/socket.h>

#include "../support/run_capture.h"
#include "unique_fd.h"

namespace {

TEST(QmsimProcess, ServesAndRecordsARequestHidesThePasswordStopsOnSigterm) {
  qmtest::TempDir dir;
  const std::string password = "Pa55-never-shown";
  std::vector<std::string> argv{QMSIM_BINARY, "--scenario", QM_SOURCE_DIR "/scenarios/sample_day.xml", "--port", "0",
                                "--port-file", dir.File("port"), "--record", dir.path(), "--password", password};
  std::vector<char*> args = qmtest::ArgvOf(argv);
  const std::string log = dir.File("log");  // its standard output and error
  const int log_fd = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  const pid_t pid = fork();
  if (pid == 0 && dup2(log_fd, 1) == 1 && dup2(log_fd, 2) == 2) execv(args[0], args.data());
  if (pid == 0) _exit(127);
  close(log_fd);
  int port = 0;
  for (int i = 0; i < 1000 && port == 0; ++i, usleep(10000))
    port = std::atoi(qmtest::ReadWholeFile(dir.File("port")).c_str());
  if (port == 0) kill(pid, SIGKILL), waitpid(pid, nullptr, 0);
  ASSERT_GT(port, 0) << qmtest::ReadWholeFile(log);
  const std::string text = "<Envelope><Body><a1:ClientRequestHeader><CommandCode>324</CommandCode><UID>admin</UID>"
      "<PWD>" + password + "</PWD></a1:ClientRequestHeader><a1:CommonCMDHeader><IntParameter1>12</IntParameter1>"
      "<StrParameter1>05.07.2013</StrParameter1></a1:CommonCMDHeader></Body></Envelope>\r";
  const std::string frame = std::string{'\x06', char(text.size() + 5), char((text.size() + 5) >> 8), 0, 0} + text;
  qmsim::UniqueFd fd(socket(AF_INET, SOCK_STREAM, 0));
  sockaddr_in a{AF_INET, htons(static_cast<std::uint16_t>(port)), {htonl(INADDR_LOOPBACK)}, {}};
  EXPECT_EQ(connect(fd.Get(), reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
  EXPECT_EQ(send(fd.Get(), frame.data(), frame.size(), 0), static_cast<ssize_t>(frame.size()));
  std::string reply;
  char buf[4096];
  for (ssize_t n; (n = recv(fd.Get(), buf, sizeof buf, 0)) > 0;) reply.append(buf, n);
  EXPECT_EQ(reply.size(), 192u);  // the tracker: login accepted
  int status = -1;
  kill(pid, SIGTERM);
  EXPECT_EQ(waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_EQ(qmtest::ReadWholeFile(dir.File("request-1.bin")), frame);
  const std::string out = qmtest::ReadWholeFile(log);
  EXPECT_NE(out.find("stopping after 1 connections"), std::string::npos) << out;
  EXPECT_EQ(out.find(password), std::string::npos) << out;
}

}  // namespace
