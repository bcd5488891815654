// Shared pieces of the end-to-end tests: running qmrecinfo, the device
// manager's segment, scenario and reply documents, and the expected result
// files.
#ifndef QM_TESTS_E2E_E2E_SUPPORT_H_
#define QM_TESTS_E2E_E2E_SUPPORT_H_

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/support/run_capture.h"

namespace e2e {

// True when the process runs in a network namespace of its own (loopback
// is the only interface), as tests/netns_run.sh arranges; only then may a
// test use the fixed segment key and command port.
bool InPrivateNamespace();

// Base of every end-to-end test: skips the test outside a private
// namespace, and gives each test a temporary directory.
class E2eTest : public ::testing::Test {
 protected:
  void SetUp() override;
  qmtest::TempDir dir_;
};

// The options of one qmrecinfo run; ToArgv leaves out empty ones, so that
// e.g. port = "" gives a command line without "-port=".
struct Query {
  std::string dvrid = "1";
  std::string ipa = "127.0.0.1";
  std::string port = "4011";
  std::string camid = "12";
  std::string sdate = "05.07.2013";
  std::vector<std::string> ToArgv(const std::string& result_path) const;
};

// Runs qmrecinfo in `dir` with TZ=AST4, writing dir/result.txt; killed
// after 30 s (RunResult::timed_out).
qmtest::RunResult RunQmrecinfo(const qmtest::TempDir& dir, const Query& query);

// Runs qmdevmgr with the arguments, bounded like RunQmrecinfo.
qmtest::RunResult RunQmdevmgr(const qmtest::TempDir& dir,
                              const std::vector<std::string>& args);

// Stores user and password of `dvrid` in the device manager's segment
// through the device-manager interface (creating the segment if needed)
// and detaches again. False when the segment is not available.
bool StoreCredentials(unsigned dvrid, const std::string& user,
                      const std::string& password);

// The result file of a successful run: header lines of DVR `dvrid` and the
// rows (each without its newline).
std::string ListFile(unsigned dvrid, const std::vector<std::string>& rows);

// The result file of a failed run.
std::string ErrorFile(unsigned dvrid, int code);

// A result row of camera 12 on 2013-05-07 in zone -04:00, e.g.
// Row(1, 0, "08:00:12", "08:59:40") gives
// "1,12,0,2013-05-07T08:00:12-04:00,2013-05-07T08:59:40-04:00".
std::string Row(unsigned idx, unsigned type, const std::string& start,
                const std::string& end);

// A period of 2013-05-07 given by times of day ("08:00:12").
using Period = std::pair<std::string, std::string>;

// A qmsim scenario of camera 12 with these files and motions on 2013-05-07
// (zone suffix -04:00); files are numbered from 1.
std::string Scenario(const std::vector<Period>& files,
                     const std::vector<Period>& motions);

// A 192-byte day tracker reply with the minutes of the inclusive runs set.
std::string TrackerReply(const std::vector<std::pair<int, int>>& minute_runs);

// DataSet replies of camera 12 listing files or motions of 2013-05-07.
std::string FilesReply(const std::vector<Period>& files);
std::string MotionsReply(const std::vector<Period>& motions);

// The 8-bit envelope text of a request frame (after the 5-byte prefix).
std::string EnvelopeOf(const std::string& frame);

// The text between the first `open` and the next `close` in a frame, e.g.
// FieldOf(frame, "<CookieID>", "</CookieID>"); "?" when either is absent.
std::string FieldOf(const std::string& frame, const std::string& open,
                    const std::string& close);

}  // namespace e2e

#endif  // QM_TESTS_E2E_E2E_SUPPORT_H_
