// The end-to-end harness: qmrecinfo run with TZ=AST4 (killed after 30 s), the
// device manager qmdevmgr, qmsim as a background child, an in-test server
// with canned replies, and the documents and result files of camera 12 on
// 2013-05-07 (zone -04:00).
#ifndef QM_TESTS_E2E_E2E_SUPPORT_H_
#define QM_TESTS_E2E_E2E_SUPPORT_H_

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <map>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/run_capture.h"

namespace e2e {

using Periods = std::vector<std::pair<std::string, std::string>>;  // times of day
using Replies = std::map<std::string, std::string>;               // command code -> reply

// Only loopback is visible in the private namespaces of tests/netns_run.sh;
// only there are the fixed segment key and command port the test's own.
inline bool InPrivateNamespace() {
  struct if_nameindex* names = if_nameindex();
  bool only_lo = names != nullptr;
  for (auto* n = names; only_lo && n->if_index != 0; ++n) only_lo = std::string(n->if_name) == "lo";
  if (names != nullptr) if_freenameindex(names);
  return only_lo;
}

struct Query {
  std::string dvrid = "1", ipa = "127.0.0.1", port = "4011", sdate = "05.07.2013";  // port "": none
};

inline std::string At(const std::string& time) { return "2013-05-07T" + time + "-04:00"; }
inline std::string Row(int idx, int type, const std::string& start, const std::string& end) {
  return std::to_string(idx) + ",12," + std::to_string(type) + "," + At(start) + "," + At(end);
}
inline std::string ErrorFile(int dvrid, int code) {
  return "DVRID=" + std::to_string(dvrid) + "\nERRORCODE=" + std::to_string(code) + "\n";
}
inline std::string ListFile(int dvrid, const std::vector<std::string>& rows) {
  std::string file = ErrorFile(dvrid, 0) + "LISTCOUNT=" + std::to_string(rows.size()) +
                     "\nIDX,CAMID,RECTYPE,START,END\n";
  for (const std::string& row : rows) file += row + "\n";
  return file;
}

inline std::string Scenario(const Periods& files, const Periods& motions) {
  std::string xml = "<scenario><camera id=\"12\">\n";
  for (size_t i = 0; i < files.size(); ++i)
    xml += "<file id=\"" + std::to_string(i + 1) + "\" start=\"" + At(files[i].first) +
           "\" end=\"" + At(files[i].second) + "\"/>\n";
  for (const auto& m : motions) xml += "<motion start=\"" + At(m.first) + "\" end=\"" + At(m.second) + "\"/>\n";
  return xml + "</camera></scenario>\n";
}

// 192 bytes, 8 per hour: minute m of the hour is bit m % 8 of byte m / 8.
inline std::string TrackerReply(const std::vector<std::pair<int, int>>& minute_runs) {
  std::string tracker(192, '\0');
  for (const auto& run : minute_runs)
    for (int m = run.first; m <= run.second; ++m) tracker[m / 60 * 8 + m % 60 / 8] |= char(1 << (m % 60 % 8));
  return tracker;
}

// A DataSet reply listing files or motions of camera 12.
inline std::string DataSet(const Periods& periods, bool files) {
  std::string rows;
  for (size_t i = 0; i < periods.size(); ++i)
    rows += (files ? "<Table><CameraID>12</CameraID><FileID>" + std::to_string(i + 1) +
                         "</FileID><FileName>f.vid</FileName>"
                   : std::string("<Table><oCameraID>12</oCameraID><FileID>1</FileID>")) +
            "<StartTime>" + At(periods[i].first) + "</StartTime><EndTime>" + At(periods[i].second) +
            "</EndTime>" + (files ? "<RecordingType>0</RecordingType><TotalFrames>1</TotalFrames>" : "") +
            "</Table>";
  return "<DataSet><diffgr:diffgram xmlns:msdata=\"urn:schemas-microsoft-com:xml-msdata\" "
         "xmlns:diffgr=\"urn:schemas-microsoft-com:xml-diffgram-v1\"><NewDataSet>" +
         rows + "</NewDataSet></diffgr:diffgram></DataSet>";
}

inline std::string CommandOf(const std::string& frame) {  // "324"; "" when there is none
  const size_t end = frame.find("</CommandCode>");
  return end == std::string::npos || end < 3 ? "" : frame.substr(end - 3, 3);
}

// Base of every end-to-end test: skipped outside a private namespace; a
// temporary directory; a run of qmrecinfo (TZ=AST4, killed after 30 s)
// against qmsim, the canned server or nothing, keeping in requests_ what
// the server received.
class E2eTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!InPrivateNamespace())
      GTEST_SKIP() << "needs a private IPC and network namespace: run through ctest or tests/netns_run.sh";
    ASSERT_FALSE(dir_.path().empty());
  }
  // Through the device manager qmdevmgr, which creates the segment if needed.
  bool StoreCredentials(int dvrid, const std::string& user, const std::string& password) {
    return qmtest::RunCaptured({QMDEVMGR_PATH, "--dvrid", std::to_string(dvrid), "--user", user, "--password",
                                password}, dir_.path()).status == 0;
  }
  qmtest::RunResult RunQmrecinfo(const Query& q) {
    std::vector<std::string> argv{QMRECINFO_PATH, "-dvrid=" + q.dvrid, "-ipa=" + q.ipa, "-camid=12",
                                  "-sdate=" + q.sdate, "-filepath=" + dir_.File("result.txt")};
    if (!q.port.empty()) argv.push_back("-port=" + q.port);
    return qmtest::RunCaptured(argv, dir_.path(), {30000, {"TZ=AST4"}});
  }
  // qmsim as a child, its files in a new directory: scenario.xml,
  // qmsim.log, requests/request-<n>.bin. Defaults: port 4011, user
  // "operator", password "demo-pass"; `args` are option-value pairs. Waits
  // up to 10 s for it to listen; killed when qmrecinfo has ended.
  qmtest::RunResult RunSim(const Query& q, const std::string& scenario, const std::vector<std::string>& args = {}) {
    static int runs = 0;  // a fresh directory per run
    const std::string d = dir_.File("sim" + std::to_string(++runs));
    requests_.clear();
    std::map<std::string, std::string> opts{{"--port", "4011"}, {"--user", "operator"}, {"--password", "demo-pass"},
        {"--address", "127.0.0.1"}, {"--scenario", d + "/scenario.xml"}, {"--port-file", d + "/port"},
        {"--record", d + "/requests"}};
    for (size_t i = 0; i + 1 < args.size(); i += 2) opts[args[i]] = args[i + 1];
    std::vector<std::string> argv{QMSIM_PATH};
    for (const auto& o : opts) argv.insert(argv.end(), {o.first, o.second});
    std::filesystem::create_directories(d + "/requests");
    qmtest::WriteWholeFile(d + "/scenario.xml", scenario);
    std::vector<char*> p = qmtest::ArgvOf(argv);
    const int log = open((d + "/qmsim.log").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    fflush(stdout);
    const pid_t pid = fork();
    if (pid == 0 && dup2(log, 1) == 1 && dup2(log, 2) == 2) execv(p[0], p.data());
    if (pid == 0) _exit(127);
    close(log);
    pid_t gone = pid < 0 ? -1 : 0;  // nonzero once reaped (or never started)
    for (int i = 0; i < 2000 && !gone && qmtest::ReadWholeFile(d + "/port").empty(); ++i, usleep(5000))
      gone = waitpid(pid, nullptr, WNOHANG);
    EXPECT_FALSE(gone) << "qmsim did not come up: " << qmtest::ReadWholeFile(d + "/qmsim.log");
    const qmtest::RunResult run = RunQmrecinfo(q);
    if (!gone) kill(pid, SIGKILL), waitpid(pid, nullptr, 0);  // it recorded each request before answering
    log_ = qmtest::ReadWholeFile(d + "/qmsim.log");
    for (int n = 1; std::filesystem::exists(d + "/requests/request-" + std::to_string(n) + ".bin"); ++n)
      requests_.push_back(qmtest::ReadWholeFile(d + "/requests/request-" + std::to_string(n) + ".bin"));
    return run;
  }
  // An in-test server on 127.0.0.1:4011 for replies qmsim cannot stage: per
  // connection it reads one frame, sends the reply of its command code in
  // pieces of `chunk` bytes 1 ms apart (none: nothing) and closes.
  qmtest::RunResult RunCanned(const Query& q, Replies replies, size_t chunk) {
    const int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0), on = 1;
    setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    const sockaddr_in addr{AF_INET, htons(4011), {htonl(INADDR_LOOPBACK)}, {}};
    EXPECT_EQ(bind(listener, reinterpret_cast<const sockaddr*>(&addr), sizeof addr), 0);
    EXPECT_EQ(listen(listener, 8), 0);
    requests_.clear();
    std::thread server([&] {
      for (int fd; (fd = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC)) >= 0; close(fd)) {
        unsigned char h[5] = {};
        recv(fd, h, 5, MSG_WAITALL);
        const size_t length = h[1] | h[2] << 8 | h[3] << 16 | size_t(h[4]) << 24;
        std::string frame(length > 5 && length <= 65536 ? length - 5 : 0, '\0');
        frame.resize(size_t(std::max<ssize_t>(0, recv(fd, &frame[0], frame.size(), MSG_WAITALL))));
        requests_.push_back(std::string(reinterpret_cast<char*>(h), 5) + frame);
        const std::string& reply = replies[CommandOf(frame)];
        for (size_t at = 0; at < reply.size(); at += chunk, usleep(1000))
          send(fd, reply.data() + at, std::min(chunk, reply.size() - at), MSG_NOSIGNAL);
      }
    });
    const qmtest::RunResult run = RunQmrecinfo(q);
    shutdown(listener, SHUT_RDWR);  // ends the accept
    server.join();
    close(listener);
    return run;
  }
  std::string Result() const { return qmtest::ReadWholeFile(dir_.File("result.txt")); }
  // Not killed, printed nothing, ended with `status`, wrote `file`; the
  // server saw `requests` requests: 324, 715, 716 in this order.
  void Expect(const qmtest::RunResult& run, int status, const std::string& file, size_t requests) {
    EXPECT_FALSE(run.timed_out);
    EXPECT_EQ(run.status, status);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(Result(), file) << log_;
    ASSERT_EQ(requests_.size(), requests) << log_;
    for (size_t i = 0; i < requests; ++i) EXPECT_EQ(CommandOf(requests_[i]), std::string("324715716").substr(3 * i, 3));
  }

  qmtest::TempDir dir_;
  std::vector<std::string> requests_;
  std::string log_;  // what qmsim printed
};

}  // namespace e2e

#endif  // QM_TESTS_E2E_E2E_SUPPORT_H_
