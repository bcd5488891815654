#include "tests/e2e/e2e_support.h"

#include <net/if.h>

#include <cstring>

#include "devmgr/ikorindmif.h"
#include "devmgr/singleton.h"

namespace e2e {
namespace {

const int kChildTimeoutMs = 30000;
const char kDay[] = "2013-05-07T";
const char kZone[] = "-04:00";

std::string DayTime(const std::string& time_of_day) {
  return kDay + time_of_day + kZone;
}

std::string DataSet(const std::string& rows) {
  return "<DataSet><diffgr:diffgram "
         "xmlns:msdata=\"urn:schemas-microsoft-com:xml-msdata\" "
         "xmlns:diffgr=\"urn:schemas-microsoft-com:xml-diffgram-v1\">"
         "<NewDataSet>" +
         rows + "</NewDataSet></diffgr:diffgram></DataSet>";
}

}  // namespace

bool InPrivateNamespace() {
  struct if_nameindex* names = if_nameindex();
  if (names == nullptr) return false;
  bool only_loopback = true;
  for (struct if_nameindex* n = names; n->if_index != 0; ++n)
    if (std::strcmp(n->if_name, "lo") != 0) only_loopback = false;
  if_freenameindex(names);
  return only_loopback;
}

void E2eTest::SetUp() {
  if (!InPrivateNamespace())
    GTEST_SKIP() << "needs a private IPC and network namespace: run through "
                    "ctest or tests/netns_run.sh";
  ASSERT_FALSE(dir_.path().empty());
}

std::vector<std::string> Query::ToArgv(const std::string& result_path) const {
  std::vector<std::string> argv{QMRECINFO_PATH};
  const std::pair<const char*, const std::string*> options[] = {
      {"-dvrid=", &dvrid}, {"-ipa=", &ipa},     {"-port=", &port},
      {"-camid=", &camid}, {"-sdate=", &sdate},
  };
  for (const auto& option : options)
    if (!option.second->empty()) argv.push_back(option.first + *option.second);
  argv.push_back("-filepath=" + result_path);
  return argv;
}

qmtest::RunResult RunQmrecinfo(const qmtest::TempDir& dir, const Query& query) {
  qmtest::RunOptions options;
  options.timeout_ms = kChildTimeoutMs;
  options.env = {"TZ=AST4"};
  return qmtest::RunCaptured(query.ToArgv(dir.File("result.txt")), dir.path(),
                             options);
}

qmtest::RunResult RunQmdevmgr(const qmtest::TempDir& dir,
                              const std::vector<std::string>& args) {
  std::vector<std::string> argv{QMDEVMGR_PATH};
  argv.insert(argv.end(), args.begin(), args.end());
  qmtest::RunOptions options;
  options.timeout_ms = kChildTimeoutMs;
  return qmtest::RunCaptured(argv, dir.path(), options);
}

bool StoreCredentials(unsigned dvrid, const std::string& user,
                      const std::string& password) {
  bool failed = false;
  IKorinDMIf* dm = Singleton<IKorinDMIf>::Instance(failed);
  const bool stored = dm != nullptr && dm->SetUserNamebyDvrId(dvrid, user) &&
                      dm->SetPassWordbyDvrId(dvrid, password);
  Singleton<IKorinDMIf>::DeleteInstance();
  return stored;
}

std::string ListFile(unsigned dvrid, const std::vector<std::string>& rows) {
  std::string file = "DVRID=" + std::to_string(dvrid) +
                     "\nERRORCODE=0\nLISTCOUNT=" + std::to_string(rows.size()) +
                     "\nIDX,CAMID,RECTYPE,START,END\n";
  for (const std::string& row : rows) file += row + "\n";
  return file;
}

std::string ErrorFile(unsigned dvrid, int code) {
  return "DVRID=" + std::to_string(dvrid) + "\nERRORCODE=" +
         std::to_string(code) + "\n";
}

std::string Row(unsigned idx, unsigned type, const std::string& start,
                const std::string& end) {
  return std::to_string(idx) + ",12," + std::to_string(type) + "," +
         DayTime(start) + "," + DayTime(end);
}

std::string Scenario(const std::vector<Period>& files,
                     const std::vector<Period>& motions) {
  std::string xml = "<scenario>\n  <camera id=\"12\">\n";
  for (size_t i = 0; i < files.size(); ++i)
    xml += "    <file id=\"" + std::to_string(i + 1) + "\" name=\"f" +
           std::to_string(i + 1) + ".vid\" start=\"" + DayTime(files[i].first) +
           "\" end=\"" + DayTime(files[i].second) + "\"/>\n";
  for (const Period& m : motions)
    xml += "    <motion start=\"" + DayTime(m.first) + "\" end=\"" +
           DayTime(m.second) + "\"/>\n";
  return xml + "  </camera>\n</scenario>\n";
}

std::string TrackerReply(const std::vector<std::pair<int, int>>& minute_runs) {
  // Per hour 8 bytes: bytes 0-6 hold 8 minutes each, byte 7 the last four,
  // least significant bit first.
  std::string tracker(192, '\0');
  for (const auto& run : minute_runs) {
    for (int minute = run.first; minute <= run.second; ++minute) {
      const int hour = minute / 60;
      const int in_hour = minute % 60;
      tracker[hour * 8 + in_hour / 8] =
          static_cast<char>(tracker[hour * 8 + in_hour / 8] | (1 << (in_hour % 8)));
    }
  }
  return tracker;
}

std::string FilesReply(const std::vector<Period>& files) {
  std::string rows;
  for (size_t i = 0; i < files.size(); ++i)
    rows += "<Table><CameraID>12</CameraID><FileID>" + std::to_string(i + 1) +
            "</FileID><FileName>f" + std::to_string(i + 1) +
            ".vid</FileName><StartTime>" + DayTime(files[i].first) +
            "</StartTime><EndTime>" + DayTime(files[i].second) +
            "</EndTime><RecordingType>0</RecordingType>"
            "<TotalFrames>100</TotalFrames></Table>";
  return DataSet(rows);
}

std::string MotionsReply(const std::vector<Period>& motions) {
  std::string rows;
  for (const Period& m : motions)
    rows += "<Table><oCameraID>12</oCameraID><FileID>1</FileID><StartTime>" +
            DayTime(m.first) + "</StartTime><EndTime>" + DayTime(m.second) +
            "</EndTime></Table>";
  return DataSet(rows);
}

std::string EnvelopeOf(const std::string& frame) {
  return frame.size() < 5 ? std::string() : frame.substr(5);
}

std::string FieldOf(const std::string& frame, const std::string& open,
                    const std::string& close) {
  const size_t start = frame.find(open);
  if (start == std::string::npos) return "?";
  const size_t end = frame.find(close, start + open.size());
  if (end == std::string::npos) return "?";
  return frame.substr(start + open.size(), end - start - open.size());
}

}  // namespace e2e
