// The qmsim program as a whole: exit statuses, port file, one request per
// connection, hostile connections, stop on SIGTERM, the password kept out of
// every output.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <netinet/in.h>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "unique_fd.h"

extern char** environ;

namespace qmsim {
namespace {

const char kPassword[] = "Pa55-never-shown";

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// A private scratch directory, removed with its files.
struct TempDir {
  std::string path;
  TempDir() {
    char templ[] = "/tmp/qmsim_test_XXXXXX";
    path = ::mkdtemp(templ);
  }
  ~TempDir() { std::system(("rm -rf '" + path + "'").c_str()); }
};

// One qmsim process with stdout and stderr captured in files of dir.
struct Sim {
  pid_t pid = -1;
  std::string dir;
  Sim(const std::string& work_dir, std::vector<std::string> args) : dir(work_dir) {
    args.insert(args.begin(), QMSIM_BINARY);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(&a[0]);
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, (dir + "/out").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, (dir + "/err").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
  }
  ~Sim() {
    if (pid > 0) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, nullptr, 0);
    }
  }
  // Waits for the exit status (-1 when it did not end within about 10 s).
  int Wait() {
    for (int i = 0; i < 1000 && pid > 0; ++i) {
      int status = 0;
      if (::waitpid(pid, &status, WNOHANG) == pid) {
        pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      }
      ::usleep(10000);
    }
    return -1;
  }
  // The port from the port file (0 when it did not appear within about 10 s).
  int Port() {
    for (int i = 0; i < 1000; ++i) {
      const std::string text = ReadAll(dir + "/port");
      if (!text.empty()) return std::atoi(text.c_str());
      ::usleep(10000);
    }
    return 0;
  }
  std::string Out() { return ReadAll(dir + "/out"); }
  std::string Err() { return ReadAll(dir + "/err"); }
};

std::string Frame(const std::string& code, const std::string& pwd, const std::string& str1) {
  const std::string text =
      "<SOAP-ENV:Envelope><SOAP-ENV:Body><a1:ClientRequestHeader id=\"ref-1\">"
      "<CommandCode>" + code + "</CommandCode><UID id=\"ref-3\">admin</UID><PWD>" + pwd +
      "</PWD>\r\n<CookieID>0</CookieID>\r\n</a1:ClientRequestHeader>\r\n"
      "<a1:CommonCMDHeader id=\"ref-4\"><IntParameter1>12</IntParameter1>"
      "<StrParameter1 id=\"ref-5\">" + str1 + "</StrParameter1><StrParameter2 id=\"ref-6\" />"
      "</a1:CommonCMDHeader>\r\n</SOAP-ENV:Body>\r\n</SOAP-ENV:Envelope>\r";
  const std::uint32_t length = static_cast<std::uint32_t>(text.size() + 5);
  std::string frame(1, '\x06');
  for (int i = 0; i < 4; ++i) frame += static_cast<char>((length >> (8 * i)) & 0xFF);
  return frame + text;
}

// Connects, sends bytes, optionally shuts down the write side, reads to EOF.
std::string Exchange(int port, const std::string& bytes, bool close_write) {
  UniqueFd fd(::socket(AF_INET, SOCK_STREAM, 0));
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<std::uint16_t>(port));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd.Get(), reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) return "<no connect>";
  ::send(fd.Get(), bytes.data(), bytes.size(), MSG_NOSIGNAL);
  if (close_write) ::shutdown(fd.Get(), SHUT_WR);
  std::string reply;
  char buf[4096];
  ssize_t n;
  while ((n = ::recv(fd.Get(), buf, sizeof buf, 0)) > 0) reply.append(buf, n);
  return reply;
}

const std::string kSample = QM_SOURCE_DIR "/scenarios/sample_day.xml";

TEST(QmsimProcess, UnreadableScenarioExitsNonzeroWithMessage) {
  TempDir tmp;
  std::ofstream(tmp.path + "/bad.xml") << "<scenario><camera id='12'>\n";
  struct Case {
    std::string path;
    const char* message;
  };
  const Case cases[] = {{tmp.path + "/missing.xml", "cannot read scenario"},
                        {tmp.path + "/bad.xml", "malformed XML"}};
  for (const Case& c : cases) {
    Sim sim(tmp.path, {"--scenario", c.path, "--port", "0"});
    ASSERT_GT(sim.pid, 0);
    EXPECT_EQ(sim.Wait(), 1) << c.path;
    EXPECT_NE(sim.Err().find(c.message), std::string::npos) << sim.Err();
    EXPECT_NE(sim.Err().find(c.path), std::string::npos) << sim.Err();
  }
}

TEST(QmsimProcess, UnknownFaultModeIsAUsageError) {
  TempDir tmp;
  Sim sim(tmp.path, {"--scenario", kSample, "--fault", "explode"});
  EXPECT_EQ(sim.Wait(), 2);
  EXPECT_NE(sim.Err().find("explode"), std::string::npos);
}

TEST(QmsimProcess, ServesRequestsSurvivesHostileOnesAndRecordsThem) {
  TempDir tmp;
  Sim sim(tmp.path, {"--scenario", kSample, "--port", "0", "--port-file", tmp.path + "/port",
                     "--max-requests", "5", "--record", tmp.path, "--password", kPassword,
                     "--io-timeout-ms", "2000"});
  const int port = sim.Port();
  ASSERT_GT(port, 0) << sim.Err();
  const std::string good = Frame("324", kPassword, "05.07.2013");
  EXPECT_EQ(Exchange(port, good, false).size(), 192u);
  EXPECT_EQ(Exchange(port, std::string("\x06\xFF\xFF\xFF\xFF", 5) + "junk", false), "");
  EXPECT_EQ(Exchange(port, good.substr(0, 40), true), "");
  EXPECT_EQ(Exchange(port, "", true), "");
  EXPECT_EQ(Exchange(port, Frame("324", "guess", "05.07.2013"), false),
            "<string>Login Error</string>");
  EXPECT_EQ(sim.Wait(), 0);
  EXPECT_EQ(ReadAll(tmp.path + "/request-1.bin"), good);
  EXPECT_EQ(ReadAll(tmp.path + "/request-4.bin"), "");
  const std::string out = sim.Out();
  EXPECT_NE(out.find("324 camera=12 date=05.07.2013 ok 1201 minutes 192 bytes"),
            std::string::npos) << out;
  EXPECT_NE(out.find("bad-length"), std::string::npos) << out;
  EXPECT_NE(out.find("324 camera=12 date=05.07.2013 login-refused"), std::string::npos);
  EXPECT_EQ(out.find(kPassword), std::string::npos);
  EXPECT_EQ(sim.Err().find(kPassword), std::string::npos);
}

TEST(QmsimProcess, ChunkedFaultStillDeliversTheWholeReply) {
  TempDir tmp;
  Sim sim(tmp.path, {"--scenario", kSample, "--port", "0", "--port-file", tmp.path + "/port",
                     "--max-requests", "2", "--password", kPassword, "--fault", "chunked",
                     "--fault-command", "715", "--chunk-pause-ms", "1"});
  const int port = sim.Port();
  ASSERT_GT(port, 0) << sim.Err();
  const std::string reply =
      Exchange(port, Frame("715", kPassword, "2013-05-07T08:30:00"), false);
  EXPECT_EQ(reply.substr(0, 9), "<DataSet>");
  EXPECT_EQ(reply.substr(reply.size() - 10), "</DataSet>");
  EXPECT_EQ(Exchange(port, Frame("324", kPassword, "05.07.2013"), false).size(), 192u);
  EXPECT_EQ(sim.Wait(), 0);
  EXPECT_NE(sim.Out().find("fault=chunked"), std::string::npos);
}

TEST(QmsimProcess, SigtermStopsAnIdleServerCleanly) {
  TempDir tmp;
  Sim sim(tmp.path, {"--scenario", kSample, "--port", "0", "--port-file", tmp.path + "/port"});
  ASSERT_GT(sim.Port(), 0) << sim.Err();
  ::kill(sim.pid, SIGTERM);
  EXPECT_EQ(sim.Wait(), 0);
  EXPECT_NE(sim.Out().find("stopping after 0 connections"), std::string::npos);
}

}  // namespace
}  // namespace qmsim
