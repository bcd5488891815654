// Staged faults: the real qmrecinfo (TZ=AST4) for camera 12 on 05.07.2013
// of the bundled sample day, through an in-test relay on 127.0.0.1:4011 that
// forwards each request to qmsim and delivers qmsim's real reply the wrong
// way (one byte at a time, padded to many megabytes, cut by a connection
// reset, never read at all); a device manager's segment with texts lacking
// their terminator, of all 0xFF bytes, or unreadable for the tool's user;
// result-file paths that cannot be opened. Each run is checked for its exit
// status, printed output, exact result file and the requests that went out.
#include <arpa/inet.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/shm.h>
#include <sys/socket.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>
#include <sstream>
#include <thread>

#include "devmgr/ikorindmif.h"
#include "tests/e2e/private_namespace.h"
#include "tests/support/run_capture.h"

namespace {

enum class Fault { kPass, kDrip, kPadMegabytes, kResetHalfway, kCloseUnanswered, kNeverRead };

const size_t kPadBytes = 48u << 20;  // blanks after the files document
const std::string kUser = "operator", kPass = "demo-pass";

bool SendAll(int fd, const char* data, size_t size) {
  for (ssize_t n = 0; size > 0; data += n, size -= size_t(n))
    if ((n = send(fd, data, size, MSG_NOSIGNAL)) <= 0) return false;
  return true;
}

// Everything the peer sends until it closes.
std::string ReadToEnd(int fd) {
  std::string all;
  char buffer[65536];
  for (ssize_t n; (n = recv(fd, buffer, sizeof buffer, 0)) > 0;) all.append(buffer, size_t(n));
  return all;
}

int Listen(uint16_t port) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0), on = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  const sockaddr_in addr{AF_INET, htons(port), {htonl(INADDR_LOOPBACK)}, {}};
  if (bind(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0 || listen(fd, 8) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

// Relays each connection on 127.0.0.1:4011 to qmsim: reads one request
// frame, fetches qmsim's reply to it and delivers that reply with the fault
// of the connection's turn (kPass beyond the list).
class Relay {
 public:
  Relay(uint16_t upstream, std::vector<Fault> faults) : upstream_(upstream), faults_(std::move(faults)) {
    listener_ = Listen(4011);
    EXPECT_GE(listener_, 0) << "port 4011 in use";
    thread_ = std::thread([this] { Serve(); });
  }
  ~Relay() {
    release_ = true;
    shutdown(listener_, SHUT_RDWR);  // ends the accept
    thread_.join();
    close(listener_);
  }
  // Lets a never-read connection go: it is closed without reply.
  void Release() { release_ = true; }
  size_t Connections() const { return connections_; }
  // Request frames received (a never-read connection adds none).
  std::vector<std::string> Requests() {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
  }

 private:
  void Serve() {
    for (int fd; (fd = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC)) >= 0; close(fd)) {
      const Fault fault = connections_ < faults_.size() ? faults_[connections_] : Fault::kPass;
      ++connections_;
      if (fault == Fault::kNeverRead) {
        while (!release_) usleep(10000);
        continue;
      }
      unsigned char head[5] = {};
      recv(fd, head, 5, MSG_WAITALL);
      const size_t length = head[1] | head[2] << 8 | head[3] << 16 | size_t(head[4]) << 24;
      std::string frame(reinterpret_cast<char*>(head), 5);
      frame.resize(length >= 5 && length <= 65536 ? length : 5);
      if (frame.size() > 5) recv(fd, &frame[5], frame.size() - 5, MSG_WAITALL);
      {
        std::lock_guard<std::mutex> lock(mutex_);
        requests_.push_back(frame);
      }
      if (fault != Fault::kCloseUnanswered) Deliver(fd, fault, Fetch(frame));
    }
  }
  std::string Fetch(const std::string& frame) const {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in addr{AF_INET, htons(upstream_), {htonl(INADDR_LOOPBACK)}, {}};
    std::string reply;
    if (connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0 &&
        SendAll(fd, frame.data(), frame.size()))
      reply = ReadToEnd(fd);
    close(fd);
    return reply;
  }
  static void Deliver(int fd, Fault fault, std::string reply) {
    const int on = 1;
    switch (fault) {
      case Fault::kDrip:
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        for (size_t i = 0; i < reply.size() && SendAll(fd, &reply[i], 1); ++i) usleep(200);
        return;
      case Fault::kPadMegabytes:
        reply.append(kPadBytes, ' ');
        SendAll(fd, reply.data(), reply.size());
        return;
      case Fault::kResetHalfway: {
        SendAll(fd, reply.data(), reply.size() / 2);
        const linger abort_on_close{1, 0};  // closing now sends a reset
        setsockopt(fd, SOL_SOCKET, SO_LINGER, &abort_on_close, sizeof abort_on_close);
        return;
      }
      default:
        SendAll(fd, reply.data(), reply.size());
    }
  }

  uint16_t upstream_;
  std::vector<Fault> faults_;
  int listener_ = -1;
  std::atomic<size_t> connections_{0};
  std::atomic<bool> release_{false};
  std::mutex mutex_;
  std::vector<std::string> requests_;
  std::thread thread_;
};

// Deadlines stretch by QM_TEST_TIME_SCALE (for runs under valgrind).
int TimeScale() {
  const char* scale = getenv("QM_TEST_TIME_SCALE");
  return scale != nullptr && std::atoi(scale) > 0 ? std::atoi(scale) : 1;
}

// qmrecinfo started as a child, standard output in a memory file; run as
// `uid` (and its group) when it is not -1.
class Tool {
 public:
  Tool(const std::vector<std::string>& argv, const std::string& cwd, uid_t uid = uid_t(-1)) {
    std::vector<char*> args = qmtest::ArgvOf(argv);
    out_ = memfd_create("qmtest-stdout", MFD_CLOEXEC);
    setenv("TZ", "AST4", 1);
    fflush(stdout);
    pid_ = fork();
    if (pid_ == 0) {
      dup2(open("/dev/null", O_RDONLY | O_CLOEXEC), 0);
      dup2(out_, 1);
      if (uid != uid_t(-1) && (setgroups(0, nullptr) != 0 || setgid(uid) != 0 || setuid(uid) != 0)) _exit(125);
      if (chdir(cwd.c_str()) == 0) execv(args[0], args.data());
      _exit(126);
    }
  }
  ~Tool() {
    if (pid_ > 0 && waitpid(pid_, nullptr, WNOHANG) == 0) kill(pid_, SIGKILL), waitpid(pid_, nullptr, 0);
    close(out_);
  }
  bool Running() const {
    siginfo_t info{};
    return waitid(P_PID, pid_t(pid_), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == 0;
  }
  // Scheduler state ('S' sleeping) and CPU time in clock ticks, from /proc.
  std::pair<char, long> StateAndCpu() const {
    const std::string stat = qmtest::ReadWholeFile("/proc/" + std::to_string(pid_) + "/stat");
    const size_t after = stat.rfind(')');
    if (after == std::string::npos) return {'?', 0};
    std::istringstream fields(stat.substr(after + 2));
    std::string field[13];
    for (std::string& f : field) fields >> f;  // state ... utime stime
    return {field[0][0], std::stol(field[11]) + std::stol(field[12])};
  }
  // Waits for the end (killed after 60 s times the time scale); status -1
  // when it did not exit.
  qmtest::RunResult Finish() {
    qmtest::RunResult result;
    for (int waited_ms = 0; Running() && waited_ms < 60000 * TimeScale(); waited_ms += 10) usleep(10000);
    result.timed_out = Running();
    if (result.timed_out) kill(pid_, SIGKILL);
    int wstatus = 0;
    waitpid(pid_, &wstatus, 0);
    pid_ = -1;
    if (WIFEXITED(wstatus)) result.status = WEXITSTATUS(wstatus);
    char buffer[4096];
    for (ssize_t n; (n = pread(out_, buffer, sizeof buffer, off_t(result.out.size()))) > 0;)
      result.out.append(buffer, size_t(n));
    return result;
  }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
};

std::string ErrorFile(int code) { return "DVRID=1\nERRORCODE=" + std::to_string(code) + "\n"; }

class StagedFaults : public ::testing::Test {
 protected:
  // Only in the private namespaces of tests/netns_run.sh are the segment key
  // and port 4011 the test's own. qmsim serves the sample day on an
  // ephemeral port; DVR 1 holds its credentials.
  void SetUp() override {
    QM_SKIP_OUTSIDE_PRIVATE_NAMESPACES();
    StartSim(kUser, kPass);
    bool failed = true;
    IKorinDMIf* dm = Singleton<IKorinDMIf>::Instance(failed);
    ASSERT_TRUE(dm && dm->SetUserNamebyDvrId(1, kUser) && dm->SetPassWordbyDvrId(1, kPass));
    Singleton<IKorinDMIf>::DeleteInstance();
  }
  void TearDown() override {
    if (sim_ > 0) kill(sim_, SIGKILL), waitpid(sim_, nullptr, 0);
  }
  void StartSim(const std::string& user, const std::string& password) {
    const std::string port_file = dir_.File("sim-port");
    unlink(port_file.c_str());
    std::vector<std::string> argv{QMSIM_PATH, "--scenario", QM_SOURCE_DIR "/scenarios/sample_day.xml",
                                  "--port", "0", "--port-file", port_file, "--user", user, "--password", password};
    std::vector<char*> args = qmtest::ArgvOf(argv);
    sim_ = fork();
    if (sim_ == 0) execv(args[0], args.data()), _exit(127);
    for (int i = 0; i < 2000 * TimeScale() && qmtest::ReadWholeFile(port_file).empty(); ++i) usleep(5000);
    sim_port_ = uint16_t(std::atoi(qmtest::ReadWholeFile(port_file).c_str()));
    ASSERT_NE(sim_port_, 0) << "qmsim did not come up";
  }
  std::vector<std::string> Argv(const std::string& filepath = "") const {
    return {QMRECINFO_PATH, "-dvrid=1", "-ipa=127.0.0.1", "-camid=12", "-sdate=05.07.2013",
            "-filepath=" + (filepath.empty() ? dir_.File("result.txt") : filepath)};
  }
  // One run through a relay with `faults`; connections counted in *connections.
  qmtest::RunResult Run(const std::vector<Fault>& faults, size_t* connections = nullptr,
                        const std::string& filepath = "") {
    Relay relay(sim_port_, faults);
    Tool tool(Argv(filepath), dir_.path());
    qmtest::RunResult run = tool.Finish();
    if (connections != nullptr) *connections = relay.Connections();
    return run;
  }
  std::string Result() const { return qmtest::ReadWholeFile(dir_.File("result.txt")); }

  qmtest::TempDir dir_;
  pid_t sim_ = -1;
  uint16_t sim_port_ = 0;
};

// The file of an undisturbed run (and of one whose motion request went
// unanswered) is what a faulty delivery must still give, or an error form.
TEST_F(StagedFaults, RepliesDeliveredBadlyGiveTheUndisturbedResultOrCode4) {
  size_t connections = 0;
  ASSERT_EQ(Run({}, &connections).status, 0);
  const std::string undisturbed = Result();
  ASSERT_NE(undisturbed.find("LISTCOUNT=6\n"), std::string::npos) << undisturbed;
  ASSERT_EQ(Run({Fault::kPass, Fault::kPass, Fault::kCloseUnanswered}).status, 0);
  const std::string without_motions = Result();
  ASSERT_NE(without_motions, undisturbed);
  const struct {
    const char* fault;
    std::vector<Fault> faults;
    int status;
    std::string file;
    size_t connections;
  } cases[] = {
      {"every reply one byte at a time", {Fault::kDrip, Fault::kDrip, Fault::kDrip}, 0, undisturbed, 3},
      {"48 MiB files reply", {Fault::kPass, Fault::kPadMegabytes}, 0, undisturbed, 3},
      {"reset halfway through the tracker", {Fault::kResetHalfway}, 4, ErrorFile(4), 1},
      {"reset halfway through the motions", {Fault::kPass, Fault::kPass, Fault::kResetHalfway}, 0,
       without_motions, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fault);
    qmtest::WriteWholeFile(dir_.File("result.txt"), "stale");
    const qmtest::RunResult run = Run(c.faults, &connections);
    EXPECT_FALSE(run.timed_out);
    EXPECT_EQ(run.status, c.status);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(Result(), c.file);
    EXPECT_EQ(connections, c.connections);
  }
}

// No timeout by design: while the peer holds the connection unread the tool
// waits asleep, using no CPU and writing nothing; once the peer closes, the
// empty tracker reply ends the query with code 4.
TEST_F(StagedFaults, PeerThatNeverReadsKeepsToolAsleepUntilItClosesThenCode4) {
  Relay relay(sim_port_, {Fault::kNeverRead});
  Tool tool(Argv(), dir_.path());
  for (int i = 0; i < 3000 * TimeScale() && relay.Connections() == 0 && tool.Running(); ++i) usleep(10000);
  ASSERT_EQ(relay.Connections(), 1u);
  const long cpu_before = tool.StateAndCpu().second;
  sleep(3);
  const std::pair<char, long> state = tool.StateAndCpu();
  EXPECT_TRUE(tool.Running());
  EXPECT_EQ(state.first, 'S') << "not asleep in a blocking call";
  EXPECT_LE(state.second - cpu_before, 20) << "clock ticks of CPU time while waiting 3 s";
  EXPECT_FALSE(std::filesystem::exists(dir_.File("result.txt")));
  relay.Release();
  const qmtest::RunResult run = tool.Finish();
  EXPECT_EQ(run.status, 4);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(Result(), ErrorFile(4));
  EXPECT_EQ(relay.Connections(), 1u);
}

// The segment's bytes of DVR 1's user name and password fields.
void WriteCredentialFields(const std::string& user21, const std::string& pass21) {
  const int id = shmget(dmlayout::kKey, 0, 0);
  void* addr = shmat(id, nullptr, 0);
  ASSERT_NE(addr, reinterpret_cast<void*>(-1));
  unsigned char* rec = static_cast<unsigned char*>(addr) + dmlayout::RecordOffset(1);
  std::memcpy(rec + dmlayout::kUserOffset, user21.data(), dmlayout::kTextFieldSize);
  std::memcpy(rec + dmlayout::kPassOffset, pass21.data(), dmlayout::kTextFieldSize);
  shmdt(addr);
}

// Texts filling all 21 bytes without a zero read as their first 20
// characters: the same result as the same texts stored with terminators.
TEST_F(StagedFaults, SegmentTextsWithoutTerminatorSendTheirFirst20Characters) {
  const std::string user(20, 'u'), pass(20, 'p');
  TearDown();
  StartSim(user, pass);
  WriteCredentialFields(user + '\0', pass + '\0');
  ASSERT_EQ(Run({}).status, 0);
  const std::string terminated = Result();
  ASSERT_NE(terminated.find("LISTCOUNT=6\n"), std::string::npos) << terminated;
  WriteCredentialFields(user + 'u', pass + 'p');
  size_t connections = 0;
  const qmtest::RunResult run = Run({}, &connections);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(Result(), terminated);
  EXPECT_EQ(connections, 3u);
}

// All 0xFF: 20-byte texts that the "C" locale cannot convert. The request
// is refused rather than sent with altered credentials: code 4, no request.
TEST_F(StagedFaults, SegmentOfAll0xFFSendsNoRequestAndGivesCode4) {
  const int id = shmget(dmlayout::kKey, 0, 0);
  void* addr = shmat(id, nullptr, 0);
  ASSERT_NE(addr, reinterpret_cast<void*>(-1));
  std::memset(addr, 0xFF, dmlayout::kSegmentSize);
  shmdt(addr);
  size_t connections = 0;
  const qmtest::RunResult run = Run({}, &connections);
  EXPECT_EQ(run.status, 4);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(Result(), ErrorFile(4));
  EXPECT_EQ(connections, 0u);
}

// A segment of another user without read permission for the tool's user:
// no instance, code 2, exit 1, no request, the segment untouched.
TEST_F(StagedFaults, SegmentOfAnotherUserUnreadableGivesCode2AndExit1) {
  const uid_t kNobody = 65534;
  if (getuid() != 0) GTEST_SKIP() << "needs root to create a segment of one user and run as another";
  const int id = shmget(dmlayout::kKey, 0, 0);
  shmid_ds info{};
  ASSERT_EQ(shmctl(id, IPC_STAT, &info), 0);
  info.shm_perm.mode = 0600;
  ASSERT_EQ(shmctl(id, IPC_SET, &info), 0);
  void* addr = shmat(id, nullptr, SHM_RDONLY);
  const std::string before(static_cast<const char*>(addr), dmlayout::kSegmentSize);
  ASSERT_EQ(chmod(dir_.path().c_str(), 0777), 0);
  Relay relay(sim_port_, {});
  Tool tool(Argv(), dir_.path(), kNobody);
  const qmtest::RunResult run = tool.Finish();
  if (run.status == 125) GTEST_SKIP() << "cannot switch to uid 65534 in this user namespace";
  if (run.status == 126) GTEST_SKIP() << "qmrecinfo is not executable by uid 65534 at " QMRECINFO_PATH;
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "qmrecinfo: error: Could not get instance of ikorindmif\n");
  EXPECT_EQ(Result(), ErrorFile(2));
  EXPECT_EQ(relay.Connections(), 0u);
  EXPECT_EQ(std::string(static_cast<const char*>(addr), dmlayout::kSegmentSize), before);
  shmdt(addr);
}

// A result file that cannot be opened is not reported and does not change
// the exit status of a query that succeeded; nothing is created.
TEST_F(StagedFaults, ResultFileThatCannotBeOpenedLeavesNoFileAndExitStatus0) {
  const std::string readonly = dir_.File("readonly");
  std::filesystem::create_directory(readonly);
  // A read-only bind mount in a mount namespace of this process: not
  // writable even for root.
  ASSERT_EQ(unshare(CLONE_NEWNS), 0);
  ASSERT_EQ(mount("none", "/", "none", MS_REC | MS_PRIVATE, nullptr), 0);
  ASSERT_EQ(mount(readonly.c_str(), readonly.c_str(), "none", MS_BIND, nullptr), 0);
  struct Unmount {
    std::string path;
    ~Unmount() { umount2(path.c_str(), MNT_DETACH); }  // lets the directory be removed
  } unmount{readonly};
  ASSERT_EQ(mount("none", readonly.c_str(), "none", MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr), 0);
  const struct { const char* where; std::string path; } cases[] = {
      {"in a missing directory", dir_.File("missing/result.txt")},
      {"on a read-only mount", readonly + "/result.txt"},
      // Accepted by the option parser (4,096 characters), too long to open.
      {"of exactly 4096 characters", std::string(4096, 'r')},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.where);
    size_t connections = 0;
    const qmtest::RunResult run = Run({}, &connections, c.path);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(connections, 3u);
    std::vector<std::string> entries;
    for (const auto& e : std::filesystem::recursive_directory_iterator(dir_.path()))
      entries.push_back(e.path().filename());
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries, std::vector<std::string>({"readonly", "sim-port"}));
  }
}

}  // namespace
