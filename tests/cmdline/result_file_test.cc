// Tests of both result file forms and of the 8-bit time texts.
#include <gtest/gtest.h>

#include <boost/make_shared.hpp>
#include <ostream>
#include <string>

#include "cmdline/options.h"
#include "cmdline/result_file.h"
#include "tests/cmdline/run_capture.h"

namespace {

QM::RecTimePtr Row(unsigned idx, unsigned camid, unsigned type,
                   const std::wstring& start, const std::wstring& end) {
  QM::RecTimePtr row = boost::make_shared<QM::RecTime>(camid);
  row->Idx = idx;
  row->RecType = type;
  row->StartStr = start;
  row->EndStr = end;
  return row;
}

class ResultFile : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetOptionValues();
    ASSERT_FALSE(dir_.path().empty());
    m_filepath = dir_.File("result.txt");
  }
  void TearDown() override { ResetOptionValues(); }
  std::string Content() const { return qmtest::ReadWholeFile(dir_.File("result.txt")); }

  qmtest::TempDir dir_;
};

TEST_F(ResultFile, ErrorFormIsExactlyTwoLines) {
  m_dvrid = 3;
  WriteFile(4);
  EXPECT_EQ(Content(), "DVRID=3\nERRORCODE=4\n");
}

TEST_F(ResultFile, ErrorFormCodeIsSigned) {
  m_dvrid = 65535;
  WriteFile(-2);
  EXPECT_EQ(Content(), "DVRID=65535\nERRORCODE=-2\n");
}

TEST_F(ResultFile, BothFormsReplaceALongerFile) {
  qmtest::WriteWholeFile(m_filepath, std::string(5000, 'x') + "\n");
  m_dvrid = 1;
  WriteFile(2);
  EXPECT_EQ(Content(), "DVRID=1\nERRORCODE=2\n");
  qmtest::WriteWholeFile(m_filepath, std::string(5000, 'x') + "\n");
  WriteFile(boost::make_shared<QM::RecTimeVector>());
  EXPECT_EQ(Content(), "DVRID=1\nERRORCODE=0\nLISTCOUNT=0\nIDX,CAMID,RECTYPE,START,END\n");
}

TEST_F(ResultFile, TwoRowsGiveSixLinesWithTheRowsOwnIdx) {
  m_dvrid = 12;
  QM::RecTimeList list = boost::make_shared<QM::RecTimeVector>();
  list->push_back(Row(7, 4, 0, L"2021-03-04T00:00:00", L"2021-03-04T01:30:00"));
  list->push_back(Row(2, 4, 1, L"2021-03-04T00:10:00", L"2021-03-04T00:12:59"));
  WriteFile(list);
  EXPECT_EQ(Content(),
            "DVRID=12\nERRORCODE=0\nLISTCOUNT=2\nIDX,CAMID,RECTYPE,START,END\n"
            "7,4,0,2021-03-04T00:00:00,2021-03-04T01:30:00\n"
            "2,4,1,2021-03-04T00:10:00,2021-03-04T00:12:59\n");
}

TEST_F(ResultFile, EmptyAndNullListsGiveTheFourHeaderLines) {
  m_dvrid = 5;
  const std::string header =
      "DVRID=5\nERRORCODE=0\nLISTCOUNT=0\nIDX,CAMID,RECTYPE,START,END\n";
  WriteFile(boost::make_shared<QM::RecTimeVector>());
  EXPECT_EQ(Content(), header);
  WriteFile(QM::RecTimeList());
  EXPECT_EQ(Content(), header);
}

// A null row is not dereferenced; it is counted but has no line.
TEST_F(ResultFile, NullRowSkipped) {
  QM::RecTimeList list = boost::make_shared<QM::RecTimeVector>();
  list->push_back(QM::RecTimePtr());
  list->push_back(Row(1, 9, 0, L"a", L"b"));
  WriteFile(list);
  EXPECT_EQ(Content(),
            "DVRID=0\nERRORCODE=0\nLISTCOUNT=2\nIDX,CAMID,RECTYPE,START,END\n"
            "1,9,0,a,b\n");
}

TEST_F(ResultFile, LongTimeTextsCutAt128Bytes) {
  QM::RecTimeList list = boost::make_shared<QM::RecTimeVector>();
  list->push_back(Row(1, 1, 0, std::wstring(300, L'S'), std::wstring(128, L'E')));
  WriteFile(list);
  EXPECT_EQ(Content(),
            "DVRID=0\nERRORCODE=0\nLISTCOUNT=1\nIDX,CAMID,RECTYPE,START,END\n"
            "1,1,0," + std::string(128, 'S') + "," + std::string(128, 'E') + "\n");
}

TEST_F(ResultFile, UnopenablePathWritesNothingAndDoesNotFail) {
  m_filepath = dir_.File("missing/result.txt");
  WriteFile(1);
  WriteFile(boost::make_shared<QM::RecTimeVector>());
  EXPECT_TRUE(dir_.Entries().empty());
}

// The program runs in the "C" locale, which has no 8-bit form for characters
// above 0x7F: each such character becomes one '?', ASCII stays as it is.
TEST(TimeTextTo8Bit, UnconvertibleCharactersBecomeQuestionMarks) {
  EXPECT_EQ(TimeTextTo8Bit(L"2021-03-04T00:00:00+01"), "2021-03-04T00:00:00+01");
  EXPECT_EQ(TimeTextTo8Bit(L"12\u20AC:\u00E9x"), "12?:?x");
  EXPECT_EQ(TimeTextTo8Bit(std::wstring(1, static_cast<wchar_t>(0xDC80))), "?");
  EXPECT_EQ(TimeTextTo8Bit(std::wstring(1, static_cast<wchar_t>(0x7FFFFFFF))), "?");
  EXPECT_EQ(TimeTextTo8Bit(std::wstring(400, L'\u20AC')), std::string(128, '?'));
}

TEST(TimeTextTo8Bit, StopsAtEmbeddedNullCharacter) {
  EXPECT_EQ(TimeTextTo8Bit(std::wstring(L"ab\0cd", 5)), "ab");
  EXPECT_EQ(TimeTextTo8Bit(L""), "");
}

// The list form's empty-path message goes to standard output whatever its
// orientation, and output before and after it is kept in order.
struct ProbeCase {
  const char* mode;
  const char* out;
};
void PrintTo(const ProbeCase& c, std::ostream* os) { *os << c.mode; }

class EmptyPathMessage : public ::testing::TestWithParam<ProbeCase> {};

TEST_P(EmptyPathMessage, AppearsInOrderAndNothingIsLost) {
  qmtest::TempDir dir;
  qmtest::RunResult run = qmtest::RunCaptured({STDOUT_PROBE_PATH, GetParam().mode}, dir.path());
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, GetParam().out);
  EXPECT_TRUE(dir.Entries().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Orientations, EmptyPathMessage,
    ::testing::Values(
        ProbeCase{"narrow",
                  "before\nqmrecinfo:WriteFile(rts): ERROR: File Name is empty.\nafter\n"},
        ProbeCase{"wide",
                  "before\nqmrecinfo:WriteFile(rts): ERROR: File Name is empty.\nafter\n"},
        ProbeCase{"first",
                  "qmrecinfo:WriteFile(rts): ERROR: File Name is empty.\nafter\n"},
        ProbeCase{"error-form",
                  "qmrecinfo:WriteFile(): error: File Name is empty.\n"
                  "qmrecinfo:WriteFile(rts): ERROR: File Name is empty.\nafter\n"}),
    [](const ::testing::TestParamInfo<ProbeCase>& info) {
      std::string name = info.param.mode;
      for (char& c : name) if (c == '-') c = '_';
      return name;
    });

}  // namespace
