// The qmsim program as a whole: port file, recording, the password kept out of
// every output, clean stop on SIGTERM.
#include <gtest/gtest.h>
#include <arpa/inet.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <fstream>
#include <sstream>

#include "unique_fd.h"

extern char** environ;

using namespace qmsim;

namespace {

std::string ReadAll(const std::string& path) {
  std::stringstream s;
  s << std::ifstream(path, std::ios::binary).rdbuf();
  return s.str();
}

struct Reaper {  // kills qmsim when the test ends early
  pid_t pid = -1;
  ~Reaper() { if (pid > 0 && ::kill(pid, SIGKILL) == 0) ::waitpid(pid, nullptr, 0); }
};

TEST(QmsimProcess, ServesAndRecordsARequestHidesThePasswordStopsOnSigterm) {
  char dir_template[] = "/tmp/qmsim_test_XXXXXX";
  ASSERT_NE(::mkdtemp(dir_template), nullptr);
  const std::string dir = dir_template, password = "Pa55-never-shown";
  const std::string command = std::string("exec '") + QMSIM_BINARY + "' --scenario '"
      QM_SOURCE_DIR "/scenarios/sample_day.xml' --port 0 --port-file " + dir + "/port --record "
      + dir + " --password " + password + " >" + dir + "/out 2>" + dir + "/err";
  const char* argv[] = {"/bin/sh", "-c", command.c_str(), nullptr};
  Reaper sim;
  ASSERT_EQ(posix_spawn(&sim.pid, argv[0], nullptr, nullptr, const_cast<char**>(argv), environ), 0);
  int port = 0;
  for (int i = 0; i < 1000 && port == 0; ++i, ::usleep(10000)) {
    port = std::atoi(ReadAll(dir + "/port").c_str());
  }
  ASSERT_GT(port, 0) << ReadAll(dir + "/err");

  const std::string text =
      "<SOAP-ENV:Envelope><SOAP-ENV:Body><a1:ClientRequestHeader><CommandCode>324"
      "</CommandCode><UID>admin</UID><PWD>" + password + "</PWD></a1:ClientRequestHeader>"
      "<a1:CommonCMDHeader><IntParameter1>12</IntParameter1><StrParameter1>05.07.2013"
      "</StrParameter1></a1:CommonCMDHeader></SOAP-ENV:Body></SOAP-ENV:Envelope>\r";
  const std::size_t size = text.size() + 5;
  const std::string frame = std::string{'\x06', char(size), char(size >> 8), 0, 0} + text;
  UniqueFd fd(::socket(AF_INET, SOCK_STREAM, 0));
  sockaddr_in a{AF_INET, htons(static_cast<std::uint16_t>(port)), {htonl(INADDR_LOOPBACK)}, {}};
  ASSERT_EQ(::connect(fd.Get(), reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
  ASSERT_EQ(::send(fd.Get(), frame.data(), frame.size(), 0), static_cast<ssize_t>(frame.size()));
  std::string reply;
  char buf[4096];
  for (ssize_t n; (n = ::recv(fd.Get(), buf, sizeof buf, 0)) > 0;) reply.append(buf, n);
  fd.Reset();
  EXPECT_EQ(reply.size(), 192u);

  ASSERT_EQ(::kill(sim.pid, SIGTERM), 0);
  int status = -1;
  ASSERT_EQ(::waitpid(sim.pid, &status, 0), sim.pid);
  sim.pid = -1;
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_EQ(ReadAll(dir + "/request-1.bin"), frame);
  const std::string out = ReadAll(dir + "/out"), err = ReadAll(dir + "/err");
  EXPECT_NE(out.find("stopping after 1 connections"), std::string::npos) << out;
  EXPECT_EQ((out + err).find(password), std::string::npos) << out << err;
  std::system(("rm -rf '" + dir + "'").c_str());
}

}  // namespace
