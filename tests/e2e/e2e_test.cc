// End-to-end tests: the real qmrecinfo (TZ=AST4, killed after 30 s) against
// the stand-in server qmsim, or an in-test server with canned replies, for
// camera 12 on 2013-05-07 (zone -04:00), with the credentials stored by the
// device manager qmdevmgr. The worked examples (exact result file and the
// three request frames byte for byte), runs where the server or the query
// goes wrong (exit status, exact result file, no more requests than the
// failure allows) and the device manager's segment around a run.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <sys/socket.h>

#include <cstring>
#include <map>
#include <thread>

#include "devmgr/ikorindmif.h"
#include "tests/e2e/private_namespace.h"
#include "tests/support/run_capture.h"

namespace e2e {
namespace {

using Periods = std::vector<std::pair<std::string, std::string>>;  // times of day

struct Query { std::string port = "4011", sdate = "05.07.2013", ipa = "127.0.0.1", dvrid = "1"; };  // port "": none

inline std::string At(const std::string& time) { return "2013-05-07T" + time + "-04:00"; }
inline std::string Row(int idx, int type, const std::string& start, const std::string& end) {
  return std::to_string(idx) + ",12," + std::to_string(type) + "," + At(start) + "," + At(end);
}
// The result file: the error form when `code` is not 0, else the list.
inline std::string ResultFile(int dvrid, int code, const std::vector<std::string>& rows = {}) {
  std::string file = "DVRID=" + std::to_string(dvrid) + "\nERRORCODE=" + std::to_string(code) + "\n";
  if (code == 0) file += "LISTCOUNT=" + std::to_string(rows.size()) + "\nIDX,CAMID,RECTYPE,START,END\n";
  for (const std::string& row : rows) file += row + "\n";
  return file;
}

inline std::string Scenario(const Periods& files, const Periods& motions) {
  std::string xml = "<scenario><camera id=\"12\">\n";
  for (size_t i = 0; i < files.size() + motions.size(); ++i) {
    const auto& p = i < files.size() ? files[i] : motions[i - files.size()];
    xml += (i < files.size() ? "<file id=\"" + std::to_string(i + 1) + "\"" : std::string("<motion")) +
           " start=\"" + At(p.first) + "\" end=\"" + At(p.second) + "\"/>\n";
  }
  return xml + "</camera></scenario>\n";
}

// 192 bytes, 8 per hour: minute m of the hour is bit m % 8 of byte m / 8.
inline std::string TrackerReply(const std::vector<std::pair<int, int>>& minute_runs) {
  std::string tracker(192, '\0');
  for (const auto& run : minute_runs)
    for (int m = run.first; m <= run.second; ++m) tracker[m / 60 * 8 + m % 60 / 8] |= char(1 << (m % 60 % 8));
  return tracker;
}

// A DataSet reply of files or motions of camera 12 (rows carry both kinds' fields).
inline std::string DataSet(const Periods& periods) {
  std::string rows;
  for (size_t i = 0; i < periods.size(); ++i)
    rows += "<Table><CameraID>12</CameraID><oCameraID>12</oCameraID><FileID>" + std::to_string(i + 1) +
            "</FileID><StartTime>" + At(periods[i].first) + "</StartTime><EndTime>" + At(periods[i].second) +
            "</EndTime></Table>";
  return "<DataSet><diffgr:diffgram><NewDataSet>" + rows + "</NewDataSet></diffgr:diffgram></DataSet>";
}

// Base of every end-to-end test: skipped outside a private namespace; a
// temporary directory; a run of qmrecinfo (TZ=AST4, killed after 30 s)
// against qmsim, the canned server or nothing, keeping in requests_ what
// the server received.
class E2eTest : public ::testing::Test {
 protected:
  // Only loopback is visible in the private namespaces of tests/netns_run.sh;
  // only there are the fixed segment key and command port the test's own.
  void SetUp() override {
    QM_SKIP_OUTSIDE_PRIVATE_NAMESPACES();
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
    setenv("TZ", "AST4", 1);  // for qmrecinfo alone: qmsim is already running
    return qmtest::RunCaptured(argv, dir_.path());
  }
  // qmsim as a child, its files in dir_/sim-dvr<id> (one run per DVR id): scenario.xml,
  // port, requests/request-<n>.bin. Defaults: port 4011, user
  // "operator", password "demo-pass"; `args` are option-value pairs. Waits
  // up to 10 s for it to listen; killed when qmrecinfo has ended (it records
  // each request before answering).
  qmtest::RunResult RunSim(const Query& q, const std::string& scenario, const std::vector<std::string>& args = {}) {
    const std::string d = dir_.File("sim-dvr" + q.dvrid);
    std::map<std::string, std::string> opts{{"--user", "operator"}, {"--password", "demo-pass"}};
    for (size_t i = 0; i + 1 < args.size(); i += 2) opts[args[i]] = args[i + 1];
    std::vector<std::string> argv{QMSIM_PATH, "--scenario", d + "/scenario.xml", "--port-file", d + "/port",
                                  "--record", d + "/requests"};
    for (const auto& o : opts) argv.insert(argv.end(), {o.first, o.second});
    std::filesystem::create_directories(d + "/requests");
    qmtest::WriteWholeFile(d + "/scenario.xml", scenario);
    std::vector<char*> p = qmtest::ArgvOf(argv);
    const pid_t pid = fork();  // its output goes to the test's own
    if (pid == 0) execv(p[0], p.data()), _exit(127);
    pid_t gone = pid < 0 ? -1 : 0;  // nonzero once reaped (or never started)
    for (int i = 0; i < 2000 && !gone && qmtest::ReadWholeFile(d + "/port").empty(); ++i, usleep(5000))
      gone = waitpid(pid, nullptr, WNOHANG);
    EXPECT_FALSE(gone) << "qmsim did not come up";
    const qmtest::RunResult run = RunQmrecinfo(q);
    if (!gone) kill(pid, SIGKILL), waitpid(pid, nullptr, 0);
    requests_.clear();
    for (int n = 1; std::filesystem::exists(d + "/requests/request-" + std::to_string(n) + ".bin"); ++n)
      requests_.push_back(qmtest::ReadWholeFile(d + "/requests/request-" + std::to_string(n) + ".bin"));
    return run;
  }
  // An in-test server on 127.0.0.1:4011 for replies qmsim cannot stage: per
  // connection it reads one frame, sends the reply of the n-th connection
  // (tracker, files, motions) in pieces of `chunk` bytes 1 ms apart and closes.
  qmtest::RunResult RunCanned(const Query& q, const std::vector<std::string>& replies, size_t chunk) {
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
        const std::string reply = requests_.size() <= replies.size() ? replies[requests_.size() - 1] : "";
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
  // Not killed, printed `out`, ended with `status`, wrote `file`; the server
  // saw `requests` requests (their frames are checked by the table test).
  void Expect(const qmtest::RunResult& run, int status, const std::string& file, size_t requests,
              const std::string& out = "") {
    EXPECT_EQ("killed " + std::to_string(run.timed_out) + ", exit " + std::to_string(run.status) + ", out\n" +
                  run.out + "file\n" + qmtest::ReadWholeFile(dir_.File("result.txt")),
              "killed 0, exit " + std::to_string(status) + ", out\n" + out + "file\n" + file);
    ASSERT_EQ(requests_.size(), requests);
  }

  qmtest::TempDir dir_;
  std::vector<std::string> requests_;
};



const std::string kAsm = "Quillmark.LIB%2C%20Version%3D4.0.0.0%2C%20Culture%3Dneutral%2C%20PublicKeyToken%3Dnull";
const std::string kLib = "http://schemas.microsoft.com/clr/nsassem/Quillmark.LIB/" + kAsm;
const std::string kTypes = "http://schemas.microsoft.com/clr/nsassem/Quillmark.LIB.QMTypes/" + kAsm;
// The envelope as it goes on the wire, CR LF after every line but the last;
// @CODE@, @COOKIE@, @P1@ and @P2@ mark what differs between the requests.
const std::string kEnvelope =
    "<SOAP-ENV:Envelope xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
    "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" xmlns:SOAP-ENC=\"http://schemas.xmlsoap.org/soap/encoding/\" "
    "xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\" "
    "xmlns:clr=\"http://schemas.microsoft.com/soap/encoding/clr/1.0\" "
    "SOAP-ENV:encodingStyle=\"http://schemas.xmlsoap.org/soap/encoding/\">\r\n<SOAP-ENV:Body>\r\n"
    "<a1:ClientRequestHeader id=\"ref-1\" xmlns:a1=\"" + kLib + "\">\r\n"
    "<CommandCode xsi:type=\"a2:CommandCodes\" xmlns:a2=\"" + kTypes + "\">@CODE@</CommandCode>"
    "<UID id=\"ref-3\">operator</UID><PWD>demo-pass</PWD>\r\n"
    "<CookieID>@COOKIE@</CookieID>\r\n<CTKs>0</CTKs>\r\n<m_obj href=\"#ref-4\" />\r\n</a1:ClientRequestHeader>\r\n"
    "<a1:CommonCMDHeader id=\"ref-4\" xmlns:a1=\"" + kLib + "\">\r\n"
    "<IntParameter1>12</IntParameter1>\r\n<IntParameter2>0</IntParameter2>\r\n<IntParameter3>0</IntParameter3>\r\n"
    "<StrParameter1 id=\"ref-5\">@P1@</StrParameter1>\r\n@P2@\r\n<StrParameter3 id=\"ref-7\" />\r\n"
    "</a1:CommonCMDHeader>\r\n</SOAP-ENV:Body>\r\n</SOAP-ENV:Envelope>\r";

// Client type 6, then the frame length (prefix included) little-endian.
std::string Frame(const std::string& code, const std::string& cookie, const std::string& p1, const std::string& p2) {
  std::string env = kEnvelope;
  for (const auto& s : Periods{{"@CODE@", code}, {"@COOKIE@", cookie}, {"@P1@", p1}, {"@P2@", p2}})
    env.replace(env.find(s.first), s.first.size(), s.second);
  const size_t n = env.size() + 5;
  return std::string{'\x06', char(n), char(n >> 8), char(n >> 16), char(n >> 24)} + env;
}

const Periods kTwoFiles = {{"08:00:12", "08:59:40"}, {"10:00:05", "10:29:30"}};
const Periods kOneMotion = {{"08:10:00", "08:20:00"}};
const std::string kFirst = Row(1, 0, "08:00:12", "08:59:40"), kSecond = Row(2, 0, "10:00:05", "10:29:30");
const std::string kMotion = Row(1, 1, "08:10:00", "08:20:00");
const std::vector<std::pair<int, int>> kGapMinutes = {{480, 539}, {550, 552}, {600, 629}};  // + 09:10-09:12

// A run of qmrecinfo for camera 12 on DVR 1 ("operator", "demo-pass" in the
// segment) against qmsim serving `files` and `motions` (or `scenario`), or,
// with tracker minutes, the canned server replying with them.
struct Case {
  const char* name;
  std::vector<std::pair<int, int>> tracker;  // minute runs; empty: qmsim serves the day from its files
  Periods files, motions;
  std::vector<std::string> rows;
  int status = 0;             // exit status, also the ERRORCODE; rows only when 0
  size_t requests = 3;        // requests the server saw: 324, 715, 716 in this order
  std::vector<std::string> sim_args = {};
  Query query = {};
  size_t chunk = 1 << 16;     // canned server: bytes per send; 7: files reply padded to 1024 bytes
  std::string scenario = "";  // for qmsim instead of one made of files and motions
};

const Case kCases[] = {
    // The worked examples.
    {"NoMotionIntervalsSnapToFileEdges", {}, kTwoFiles, {}, {kFirst, kSecond}},
    {"OneMotionReplacesItsInterval", {}, kTwoFiles, kOneMotion, {kMotion, kSecond}},
    {"TwoMotionsNumberedInOrderThenTheNextInterval", {}, kTwoFiles, {kOneMotion[0], {"08:30:00", "08:40:00"}},
     {kMotion, Row(2, 1, "08:30:00", "08:40:00"), Row(3, 0, "10:00:05", "10:29:30")}},
    {"MotionSpanningBothIntervalsIsSplitAtTheGap", {}, kTwoFiles, {{"08:50:00", "10:10:00"}},
     {Row(1, 1, "08:50:00", "08:59:40"), Row(2, 1, "10:00:05", "10:10:00")}},
    {"MotionStartingInTheGapStartsAtTheNextFile", {}, kTwoFiles, {{"09:30:00", "10:05:00"}},
     {kFirst, Row(2, 1, "10:00:05", "10:05:00")}},
    {"MotionWhollyInTheGapIsIgnored", {}, kTwoFiles, {{"09:10:00", "09:20:00"}}, {kFirst, kSecond}},
    {"SingleFileGivesOneRowAtItsEdges", {}, {{"08:00:12", "08:59:40"}}, {}, {kFirst}},
    {"EmptyFileListGivesNoRowsDespiteTrackerMinutes", {{480, 539}, {600, 629}}, {}, {}, {}},
    {"All1440MinutesCloseAt235959", {}, {{"00:00:00", "23:59:59"}}, {}, {Row(1, 0, "00:00:00", "23:59:59")}},
    {"NoMinuteStillAsksFilesAndMotions", {}, {}, {}, {}},
    {"Minutes0To59And120To179GiveRowsOneAndTwo", {}, {{"00:00:00", "00:59:59"}, {"02:00:00", "02:59:59"}}, {},
     {Row(1, 0, "00:00:00", "00:59:59"), Row(2, 0, "02:00:00", "02:59:59")}},
    {"OnlyMinute1439", {}, {{"23:59:00", "23:59:59"}}, {}, {Row(1, 0, "23:59:00", "23:59:59")}},
    {"DateWithoutLeadingZerosIsTheSameDay", {}, kTwoFiles, {}, {kFirst, kSecond}, 0, 3, {}, {"4011", "5.7.2013"}},
    {"IntervalInTheGapBetweenFilesIsPruned", kGapMinutes, kTwoFiles, {}, {kFirst, kSecond}},
    {"MotionAfterAPrunedIntervalFindsTheRenumberedInterval", kGapMinutes, kTwoFiles, {{"10:10:00", "10:20:00"}},
     {kFirst, Row(2, 1, "10:10:00", "10:20:00")}},
    {"SingleFileNeverPrunesTheIntervalAfterIt", {{480, 539}, {550, 552}}, {{"08:00:12", "08:59:40"}}, {},
     {kFirst, Row(2, 0, "09:10:00", "09:12:59")}},
    // Files touching within seconds make one interval whose inner edges stay.
    {"BundledSampleDay", {}, {}, {}, {Row(1, 1, "02:15:30", "02:16:10"), Row(2, 1, "08:10:00", "08:20:00"),
     Row(3, 0, "10:00:05", "10:29:30"), Row(4, 1, "14:02:10", "14:05:45"), Row(5, 1, "16:30:00", "16:31:15"),
     Row(6, 1, "20:00:00", "20:12:30")}, 0, 3, {}, {}, 0,
     qmtest::ReadWholeFile(QM_SOURCE_DIR "/scenarios/sample_day.xml")},
    // Failures and connection details; qmsim listens on 4011 unless told otherwise.
    {"NoServerListeningGivesCode4", {}, {}, {}, {}, 4, 0, {}, {"4012"}},
    {"ServerClosingWithoutAnswerGivesCode4", {}, kTwoFiles, kOneMotion, {}, 4, 1, {"--fault", "close"}},
    {"EmptyFilesReplyGivesEmptyListAndNoMotionRequest", {}, kTwoFiles, kOneMotion, {}, 0, 2,
     {"--fault", "close", "--fault-command", "715"}},
    {"DateWithOneDotGivesCode4AfterOneExchange", {}, kTwoFiles, kOneMotion, {}, 4, 1, {}, {"4011", "2013.05"}},
    // The segment's password is not the server's: "Login Error" instead of the tracker.
    {"LoginErrorReplyGivesCode4AfterOneExchange", {}, kTwoFiles, kOneMotion, {}, 4, 1, {"--password", "other"}},
    // The motions document is read only up to the zero byte: no motions.
    {"NulByteInMotionReplyLosesOnlyTheMotions", {}, kTwoFiles, kOneMotion, {kFirst, kSecond}, 0, 3,
     {"--fault", "nul", "--fault-command", "716"}},
    {"RepliesOverOneKiBAreReadWhole", {}, kTwoFiles, kOneMotion, {kMotion, kSecond}, 0, 3, {"--fault", "pad"}},
    {"ReplyOfExactly1024BytesInSmallPiecesIsReadWhole", {{480, 539}, {600, 629}}, kTwoFiles, kOneMotion,
     {kMotion, kSecond}, 0, 3, {}, {}, 7},
    {"HostNameLocalhostIsResolved", {}, kTwoFiles, kOneMotion, {kMotion, kSecond}, 0, 3, {},
     {"4011", "05.07.2013", "localhost"}},
    {"NoPortOptionUses4011", {}, kTwoFiles, kOneMotion, {kMotion, kSecond}, 0, 3, {}, {""}},
    {"Port70000ReachesPort4464", {}, kTwoFiles, kOneMotion, {kMotion, kSecond}, 0, 3, {"--port", "4464"}, {"70000"}},
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class E2eRuns : public E2eTest, public ::testing::WithParamInterface<Case> {};

// Every request present is its frame byte for byte, all with one random
// cookie; the date goes out as typed, the window of 715 and 716 is the padded day.
TEST_P(E2eRuns, ExitStatusExactResultFileAndRequestFramesWithOneRandomCookie) {
  const Case& c = GetParam();
  ASSERT_TRUE(StoreCredentials(1, "operator", "demo-pass"));
  std::string files = DataSet(c.files);
  if (c.chunk == 7) files.resize(1024, ' ');  // padding: the document is shorter
  Expect(!c.tracker.empty() ? RunCanned(c.query, {TrackerReply(c.tracker), files, DataSet(c.motions)}, c.chunk)
                            : RunSim(c.query, c.scenario.empty() ? Scenario(c.files, c.motions) : c.scenario,
                                     c.sim_args),
         c.status, ResultFile(1, c.status, c.rows), c.requests);
  if (HasFatalFailure() || requests_.empty()) return;
  const size_t at = requests_[0].find("<CookieID>") + 10;
  const std::string cookie = requests_[0].substr(at, requests_[0].find("</CookieID>") - at);
  EXPECT_TRUE(!cookie.empty() && cookie.find_first_not_of("0123456789") == std::string::npos) << cookie;
  const std::string day = "2013-05-07T00:00:00";
  const std::string window = "<StrParameter2 id=\"ref-6\">2013-05-08T00:00:00</StrParameter2>";
  const std::string frames[] = {Frame("324", cookie, c.query.sdate, "<StrParameter2 id=\"ref-6\" />"),
                                Frame("715", cookie, day, window), Frame("716", cookie, day, window)};
  for (size_t i = 0; i < requests_.size(); ++i) EXPECT_EQ(requests_[i], frames[i]) << "request " << i + 1;
}

INSTANTIATE_TEST_SUITE_P(E2e, E2eRuns, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

const std::string kOneFile = Scenario({{"08:00:12", "08:59:40"}}, {});

// A copy of the segment of the device manager's key; "" when there is none.
std::string SegmentBytes() {
  const int id = shmget(dmlayout::kKey, 0, 0);
  void* addr = id < 0 ? reinterpret_cast<void*>(-1) : shmat(id, nullptr, SHM_RDONLY);
  struct shmid_ds info;
  if (addr == reinterpret_cast<void*>(-1) || shmctl(id, IPC_STAT, &info) != 0) return "";
  std::string bytes(static_cast<const char*>(addr), info.shm_segsz);
  shmdt(addr);
  return bytes;
}

// A missing segment is created with every record initialised, and an empty
// record sends empty credentials. Records then filled by the device manager:
// a run sends those of its own DVR id and changes not a single byte.
TEST_F(E2eTest, MissingSegmentIsCreatedAndInitialisedFilledSegmentIsNotWipedOwnCredentialsSent) {
  ASSERT_EQ(SegmentBytes(), "") << "the namespace already has a segment";
  Expect(RunSim({}, kOneFile, {"--user", "", "--password", ""}), 0, ResultFile(1, 0, {kFirst}), 3);
  for (const std::string& frame : requests_)  // the new record's empty credentials
    EXPECT_NE(frame.find("<UID id=\"ref-3\"></UID><PWD></PWD>\r\n"), std::string::npos);
  const std::string bytes = SegmentBytes();
  ASSERT_EQ(bytes.size(), dmlayout::kSegmentSize);
  EXPECT_EQ(bytes.substr(0, 4), std::string(4, '\0')) << "header word";
  std::string record(dmlayout::kRecordSize, '\0');  // process id, camera ids, texts: zero
  record.replace(dmlayout::kUidOffset, 4, "\xFF\xFF\xFF\xFF");  // UID -1
  for (unsigned dvrid = 1; dvrid <= dmlayout::kDvrCount; ++dvrid)
    EXPECT_EQ(bytes.substr(dmlayout::RecordOffset(dvrid), dmlayout::kRecordSize), record) << "DVR " << dvrid;
  ASSERT_TRUE(StoreCredentials(1, "admin1", "pw1"));
  ASSERT_EQ(qmtest::RunCaptured({QMDEVMGR_PATH, "--dvrid", "5", "--user", "operator", "--password", "demo-pass",
                                 "--uid", "55", "--pid", "4242", "--camid", "1=101", "--camid", "128=128128"},
                                dir_.path()).status, 0);
  const std::string before = SegmentBytes();
  ASSERT_NE(before.find("admin1"), std::string::npos);
  Expect(RunSim({"4011", "05.07.2013", "127.0.0.1", "5"}, kOneFile), 0, ResultFile(5, 0, {kFirst}), 3);
  EXPECT_NE(requests_[0].find("<UID id=\"ref-3\">operator</UID><PWD>demo-pass</PWD>"), std::string::npos);
  EXPECT_EQ(SegmentBytes(), before);
}

// Not the segment's layout: no instance, error code 2, exit 1, no request,
// and the foreign segment untouched.
TEST_F(E2eTest, TooSmallSegmentGivesErrorCode2AndExit1) {
  void* addr = shmat(shmget(dmlayout::kKey, 1000, IPC_CREAT | IPC_EXCL | 0666), nullptr, 0);
  ASSERT_NE(addr, reinterpret_cast<void*>(-1));
  std::memset(addr, 0x5A, 1000);
  shmdt(addr);
  Expect(RunSim({}, kOneFile), 1, ResultFile(1, 2), 0, "qmrecinfo: error: Could not get instance of ikorindmif\n");
  EXPECT_EQ(SegmentBytes(), std::string(1000, '\x5A'));
}

}  // namespace
}  // namespace e2e
