// Runs the real qmrecinfo binary with option sets that must all end in the
// option stage, and checks its standard output byte for byte, its exit status
// and the result file it leaves behind.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "tests/cmdline/run_capture.h"

namespace {

const std::string kMissingDvrid =
    "qmrecinfo: Please setup physical dvr id at parameter\n";
const std::string kMissingIpa = "qmrecinfo: Please setup ipa at parameter\n";
const std::string kMissingCamid =
    "qmrecinfo: Please setup Camera ID in Quillmark IP Server at parameter\n";
const std::string kMissingSdate =
    "qmrecinfo: Please setup search date at parameter\n";
const std::string kMissingFilepath =
    "qmrecinfo: Please setup file path at parameter\n";
const std::string kParameterError = "qmrecinfo: parameter error\n";
const std::string kEmptyPath =
    "qmrecinfo:WriteFile(): error: File Name is empty.\n";
const std::string kTooMany = "Invalid number of parameters\n";

const std::string kUsage =
    "Syntax:\n\n"
    "\tqmrecinfo [options]\n\n"
    "\tOptions:\n"
    "\t-dvrid=\t: sets physical DVR ID value of database\n"
    "\t-ipa=\t: sets ip address\n"
    "\t-port=\t: sets ip port\n"
    "\t-filepath=\t: sets file path for result\n"
    "\t-?  : this message\n"
    "\n"
    "Examples:\n\n"
    "\tqmrecinfo -dvrid=1 -ipa=xxx.xxx.xxx.xxx -port=4011 -camid=xxxx "
    "-sdate=MM.DD.YYYY -filepath=xxxxxx\n"
    "\tqmrecinfo -?\n"
    "\n";

std::string ErrorFile(unsigned dvrid) {
  return "DVRID=" + std::to_string(dvrid) + "\nERRORCODE=1\n";
}

const char kNoFile[] = "<no file>";
const std::string kIpa255(255, 'a');
const std::string kIpa256(256, 'a');
const std::string kDate32(32, 'd');
const std::string kDate33(33, 'd');
const std::string kPath4096(4096, 'p');
const std::string kPath4097(4097, 'p');

struct Case {
  const char* name;
  std::vector<std::string> args;  // after the program name
  std::string out;                // expected standard output
  int status;                     // expected exit status
  std::string file;               // expected out.txt, or kNoFile for none
  std::string existing = "";      // out.txt content before the run
};

const Case kCases[] = {
    {"NoArgumentsAsksForDvridAndWritesNoFile", {},
     kMissingDvrid + kParameterError + kEmptyPath, 1, kNoFile},
    {"HelpAlonePrintsExactUsageAndNoFile", {"-?"}, kUsage, 0, kNoFile},
    {"HelpAfterAnotherArgumentIsRejectedNotPrinted", {"-filepath=out.txt", "-?"},
     kTooMany + kMissingDvrid + kParameterError, 1, ErrorFile(0)},
    {"HelpBeforeAnotherArgumentStopsBeforeIt", {"-?", "-filepath=out.txt"},
     kTooMany + kMissingDvrid + kParameterError + kEmptyPath, 1, kNoFile},
    {"HelpWithIgnoredWordStillCountsTheWord", {"-?", "word"},
     kTooMany + kMissingDvrid + kParameterError + kEmptyPath, 1, kNoFile},
    {"DvridZeroRejected", {"-filepath=out.txt", "-dvrid=0", "-ipa=a"},
     "Invalid value -dvrid=: 0\n" + kMissingDvrid + kParameterError, 1,
     ErrorFile(0)},
    {"Dvrid65RejectedAndShownInErrorFile",
     {"-filepath=out.txt", "-ipa=10.1.2.3", "-camid=5", "-sdate=01.02.2020",
      "-dvrid=65"},
     "Invalid value -dvrid=: 65\n" + kMissingDvrid + kParameterError, 1,
     ErrorFile(65)},
    {"Dvrid70000WrapsTo4464AndIsRejected", {"-filepath=out.txt", "-dvrid=70000"},
     "Invalid value -dvrid=: 4464\n" + kMissingDvrid + kParameterError, 1,
     ErrorFile(4464)},
    {"Dvrid64Accepted",
     {"-filepath=out.txt", "-dvrid=64", "-ipa=a", "-camid=5", "-sdate=x",
      "-port=0"},
     "Invalid value -port=: 0\n" + kParameterError, 1, ErrorFile(64)},
    {"NonNumericDvridIsInvalidFormat", {"-dvrid=x1", "-filepath=out.txt"},
     "Invalid option format: -dvrid=x1\n" + kMissingDvrid + kParameterError +
         kEmptyPath,
     1, kNoFile},
    {"PortZeroRejected", {"-filepath=out.txt", "-dvrid=3", "-port=0", "-ipa=a"},
     "Invalid value -port=: 0\n" + kMissingIpa + kParameterError, 1,
     ErrorFile(3)},
    {"NonNumericPortIsInvalidFormat", {"-filepath=out.txt", "-dvrid=3", "-port=-"},
     "Invalid option format: -port=-\n" + kMissingIpa + kParameterError, 1,
     ErrorFile(3)},
    {"CamidZeroRejected", {"-filepath=out.txt", "-dvrid=2", "-ipa=a", "-camid=0"},
     "Invalid value -camid=: 0\n" + kMissingCamid + kParameterError, 1,
     ErrorFile(2)},
    {"EmptyIpaIsInvalidFormat", {"-dvrid=1", "-ipa=", "-filepath=out.txt"},
     "Invalid option format: -ipa=\n" + kMissingIpa + kParameterError +
         kEmptyPath,
     1, kNoFile},
    {"DuplicateOptionStopsBeforeLaterArguments",
     {"-filepath=out.txt", "-dvrid=1", "-dvrid=2", "-ipa=a"},
     "Duplicate option: -dvrid=2\n" + kMissingIpa + kParameterError, 1,
     ErrorFile(1)},
    {"Ipa255CharactersAccepted",
     {"-filepath=out.txt", "-dvrid=1", "-ipa=" + kIpa255, "-port=0"},
     "Invalid value -port=: 0\n" + kMissingCamid + kParameterError, 1,
     ErrorFile(1)},
    {"Ipa256CharactersRejectedAsFormat",
     {"-filepath=out.txt", "-dvrid=1", "-ipa=" + kIpa256},
     "Invalid option format: -ipa=" + kIpa256 + "\n" + kMissingIpa +
         kParameterError,
     1, ErrorFile(1)},
    {"Date32CharactersAccepted",
     {"-filepath=out.txt", "-dvrid=1", "-ipa=a", "-camid=1", "-sdate=" + kDate32,
      "-port=0"},
     "Invalid value -port=: 0\n" + kParameterError, 1, ErrorFile(1)},
    {"Date33CharactersRejectedAsFormat",
     {"-filepath=out.txt", "-dvrid=1", "-ipa=a", "-camid=1", "-sdate=" + kDate33},
     "Invalid option format: -sdate=" + kDate33 + "\n" + kMissingSdate +
         kParameterError,
     1, ErrorFile(1)},
    // The 4096-character path is accepted but cannot be opened: no message
    // about an empty name, and no file.
    {"Path4096CharactersAccepted", {"-filepath=" + kPath4096, "-dvrid=0"},
     "Invalid value -dvrid=: 0\n" + kMissingDvrid + kParameterError, 1, kNoFile},
    {"Path4097CharactersRejectedAsFormat", {"-filepath=" + kPath4097},
     "Invalid option format: -filepath=" + kPath4097 + "\n" + kMissingDvrid +
         kParameterError + kEmptyPath,
     1, kNoFile},
    {"TextValueEndsAtWhiteSpace", {"-filepath=out.txt junk", "-dvrid=0"},
     "Invalid value -dvrid=: 0\n" + kMissingDvrid + kParameterError, 1,
     ErrorFile(0)},
    {"MissingDvrid",
     {"-ipa=a", "-camid=1", "-sdate=01.02.2020", "-filepath=out.txt"},
     kMissingDvrid + kParameterError, 1, ErrorFile(0)},
    {"MissingIpa",
     {"-dvrid=1", "-camid=1", "-sdate=01.02.2020", "-filepath=out.txt"},
     kMissingIpa + kParameterError, 1, ErrorFile(1)},
    {"MissingCamid",
     {"-dvrid=1", "-ipa=a", "-sdate=01.02.2020", "-filepath=out.txt"},
     kMissingCamid + kParameterError, 1, ErrorFile(1)},
    {"MissingSdate", {"-dvrid=1", "-ipa=a", "-camid=1", "-filepath=out.txt"},
     kMissingSdate + kParameterError, 1, ErrorFile(1)},
    {"MissingFilepath", {"-dvrid=1", "-ipa=a", "-camid=1", "-sdate=01.02.2020"},
     kMissingFilepath + kParameterError + kEmptyPath, 1, kNoFile},
    {"ArgumentsMatchingNoOptionIgnored",
     {"word", "-dvrid", "dvrid=5", "--ipa=x", "-DVRID=3", "-filepath=out.txt",
      "-dvrid=3", "-ipa"},
     kMissingIpa + kParameterError, 1, ErrorFile(3)},
    {"ExistingLongerFileReplacedEntirely",
     {"-ipa=a", "-camid=1", "-sdate=01.02.2020", "-filepath=out.txt"},
     kMissingDvrid + kParameterError, 1, ErrorFile(0), std::string(1000, 'x')},
};

// Keeps test logs readable: a case prints as its name.
void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class QmrecinfoOptionStage : public ::testing::TestWithParam<Case> {};

TEST_P(QmrecinfoOptionStage, OutputStatusAndResultFile) {
  const Case& c = GetParam();
  qmtest::TempDir dir;
  ASSERT_FALSE(dir.path().empty());
  if (!c.existing.empty()) qmtest::WriteWholeFile(dir.File("out.txt"), c.existing);

  std::vector<std::string> argv{QMRECINFO_PATH};
  argv.insert(argv.end(), c.args.begin(), c.args.end());
  qmtest::RunResult run = qmtest::RunCaptured(argv, dir.path());

  EXPECT_EQ(run.out, c.out);
  EXPECT_EQ(run.status, c.status);
  std::vector<std::string> entries = dir.Entries();
  if (c.file == kNoFile) {
    EXPECT_TRUE(entries.empty()) << "unexpected file " << entries.front();
  } else {
    EXPECT_EQ(entries, std::vector<std::string>{"out.txt"});
    EXPECT_EQ(qmtest::ReadWholeFile(dir.File("out.txt")), c.file);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, QmrecinfoOptionStage, ::testing::ValuesIn(kCases),
    [](const ::testing::TestParamInfo<Case>& info) { return info.param.name; });

// With every option valid the option stage must hand over to the run
// sequence. It runs in a private IPC and network namespace so that the run
// never reaches the machine's own device-manager segment or command port.
TEST(QmrecinfoRun, AllOptionsValidPassTheOptionStage) {
  qmtest::TempDir dir;
  ASSERT_FALSE(dir.path().empty());
  qmtest::RunResult run = qmtest::RunCaptured(
      {QM_SOURCE_DIR "/tests/netns_run.sh", QMRECINFO_PATH, "-dvrid=1",
       "-ipa=127.0.0.1", "-port=9", "-camid=1", "-sdate=01.02.2020",
       "-filepath=out.txt"},
      dir.path());
  EXPECT_EQ(run.out.find("parameter error"), std::string::npos) << run.out;
  EXPECT_EQ(run.out.find("Please setup"), std::string::npos) << run.out;
  EXPECT_NE(qmtest::ReadWholeFile(dir.File("out.txt")), ErrorFile(1));
  EXPECT_NE(run.status, -1);
}

}  // namespace
