// Runs the real qmrecinfo binary with option sets that all end in the option
// stage; checks standard output byte for byte, exit status and result file.
#include <gtest/gtest.h>

#include "tests/support/run_capture.h"

namespace {

std::string Setup(const char* what) { return std::string("qmrecinfo: Please setup ") + what + " at parameter\n"; }
const std::string kDv = Setup("physical dvr id"), kIp = Setup("ipa"), kDate = Setup("search date"),
                  kCam = Setup("Camera ID in Quillmark IP Server"), kPath = Setup("file path");
const std::string kErr = "qmrecinfo: parameter error\n";
const std::string kEmpty = "qmrecinfo:WriteFile(): error: File Name is empty.\n";
const std::string kUsage =
    "Syntax:\n\n\tqmrecinfo [options]\n\n\tOptions:\n\t-dvrid=\t: sets physical DVR ID value of "
    "database\n\t-ipa=\t: sets ip address\n\t-port=\t: sets ip port\n\t-filepath=\t: sets file "
    "path for result\n\t-?  : this message\n\nExamples:\n\n\tqmrecinfo -dvrid=1 -ipa=xxx.xxx.xxx"
    ".xxx -port=4011 -camid=xxxx -sdate=MM.DD.YYYY -filepath=xxxxxx\n\tqmrecinfo -?\n\n";
const std::string kNoFile = "", kF = "-filepath=out.txt";  // no out.txt / one
std::string Err(unsigned dvrid) { return "DVRID=" + std::to_string(dvrid) + "\nERRORCODE=1\n"; }
std::string Bad(const std::string& arg) { return "Invalid option format: " + arg + "\n"; }
std::string Dv(int v) { return "Invalid value -dvrid=: " + std::to_string(v) + "\n"; }
const std::string kPort0 = "Invalid value -port=: 0\n", kTooMany = "Invalid number of parameters\n";
const std::string kIpa255 = "-ipa=" + std::string(255, 'a'), kIpa256 = kIpa255 + "a";
const std::string kDate32 = "-sdate=" + std::string(32, 'd'), kDate33 = kDate32 + "d";
const std::string kPath4096 = "-filepath=" + std::string(4096, 'p'), kPath4097 = kPath4096 + "p";

struct Case {
  const char* name;
  std::vector<std::string> args;  // after the program name
  std::string out;                // standard output
  int status;
  std::string file;  // out.txt afterwards, replacing a longer one; kNoFile: the directory stays empty
};

const Case kCases[] = {
    {"NoArgumentsAsksForDvridWritesNoFile", {}, kDv + kErr + kEmpty, 1, kNoFile},
    {"HelpAlonePrintsExactUsageNoFile", {"-?"}, kUsage, 0, kNoFile},
    {"HelpWithAnotherArgumentRejected", {kF, "-?"}, kTooMany + kDv + kErr, 1, Err(0)},
    {"Dvrid0Rejected", {kF, "-dvrid=0", "-ipa=a"}, Dv(0) + kDv + kErr, 1, Err(0)},
    {"Dvrid65RejectedAndShownOnDvridLine", {kF, "-dvrid=65"}, Dv(65) + kDv + kErr, 1, Err(65)},
    {"Dvrid70000WrapsTo4464Rejected", {kF, "-dvrid=70000"}, Dv(4464) + kDv + kErr, 1, Err(4464)},
    {"Dvrid64Accepted", {kF, "-dvrid=64", "-ipa=a", "-camid=5"}, kDate + kErr, 1, Err(64)},
    {"Port0Rejected", {kF, "-dvrid=3", "-port=0", "-ipa=a"}, kPort0 + kIp + kErr, 1, Err(3)},
    {"EmptyIpaRejected", {"-dvrid=1", "-ipa=", kF}, Bad("-ipa=") + kIp + kErr + kEmpty, 1, kNoFile},
    {"DuplicateOptionStopsBeforeLaterArguments", {kF, "-dvrid=1", "-dvrid=2", "-ipa=a"},
     "Duplicate option: -dvrid=2\n" + kIp + kErr, 1, Err(1)},
    {"Ipa255Accepted", {kF, "-dvrid=1", kIpa255}, kCam + kErr, 1, Err(1)},
    {"Ipa256Rejected", {kF, "-dvrid=1", kIpa256}, Bad(kIpa256) + kIp + kErr, 1, Err(1)},
    {"Date32Accepted", {kF, "-dvrid=1", "-ipa=a", kDate32}, kCam + kErr, 1, Err(1)},
    {"Date33Rejected", {kF, "-dvrid=1", kDate33}, Bad(kDate33) + kIp + kErr, 1, Err(1)},
    // Accepted, so no empty-name message, but too long to open: no file.
    {"Path4096Accepted", {kPath4096, "-dvrid=0"}, Dv(0) + kDv + kErr, 1, kNoFile},
    {"Path4097Rejected", {kPath4097}, Bad(kPath4097) + kDv + kErr + kEmpty, 1, kNoFile},
    {"MissingDvrid", {"-ipa=a", "-camid=1", "-sdate=s", kF}, kDv + kErr, 1, Err(0)},
    {"MissingIpa", {"-dvrid=1", "-camid=1", "-sdate=s", kF}, kIp + kErr, 1, Err(1)},
    {"MissingCamid", {"-dvrid=1", "-ipa=a", "-sdate=s", kF}, kCam + kErr, 1, Err(1)},
    {"MissingSdate", {"-dvrid=1", "-ipa=a", "-camid=1", kF}, kDate + kErr, 1, Err(1)},
    {"MissingFilepath", {"-dvrid=1", "-ipa=a", "-camid=1", "-sdate=s"}, kPath + kErr + kEmpty, 1,
     kNoFile},
    {"NonOptionWordsIgnored", {"word", "-dvrid", "dvrid=5", "--ipa=x", "-DVRID=3", kF, "-dvrid=3",
     "-ipa"}, kIp + kErr, 1, Err(3)},
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class QmrecinfoOptionStage : public ::testing::TestWithParam<Case> {};

TEST_P(QmrecinfoOptionStage, OutputStatusAndResultFileReplacingALongerOne) {
  const Case& c = GetParam();
  qmtest::TempDir dir;
  if (c.file != kNoFile) qmtest::WriteWholeFile(dir.File("out.txt"), std::string(1000, 'x'));
  std::vector<std::string> argv{QMRECINFO_PATH};
  argv.insert(argv.end(), c.args.begin(), c.args.end());
  const qmtest::RunResult run = qmtest::RunCaptured(argv, dir.path());
  std::vector<std::string> entries;  // nothing but out.txt, if anything
  for (const auto& e : std::filesystem::directory_iterator(dir.path())) entries.push_back(e.path().filename());
  EXPECT_EQ(run.out, c.out);
  EXPECT_EQ(run.status, c.status);
  EXPECT_EQ(entries, std::vector<std::string>(c.file != kNoFile, "out.txt"));
  EXPECT_EQ(qmtest::ReadWholeFile(dir.File("out.txt")), c.file);
}

INSTANTIATE_TEST_SUITE_P(Cases, QmrecinfoOptionStage, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
