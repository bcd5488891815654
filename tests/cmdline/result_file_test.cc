// In-process tests of the option values main_cmdline stores and of the
// result file's list form.
#include <gtest/gtest.h>

#include <boost/make_shared.hpp>
#include <cstdint>
#include <cstdio>
#include <tuple>

#include "cmdline/options.h"
#include "cmdline/result_file.h"
#include "tests/support/run_capture.h"

namespace {

// "%lu" with a 32-bit unsigned long: saturation above 4294967295, negatives
// wrap modulo 2^32, and no cut to 16 bits (70000 stays 70000); 4011 without -port=.
TEST(MainCmdline, PortDefaults4011AndPortCamidSaturateAndWrapAt32BitsNotCutTo16) {
  const struct { const char* text; std::uint32_t value; } kCases[] = {
      {nullptr, 4011u}, {"70000", 70000u}, {"4294967295", 4294967295u}, {"4294967296", 4294967295u},
      {"99999999999999999999999999999", 4294967295u}, {"-1", 4294967295u}, {"-4294967295", 1u},
      {"-4294967296", 4294967295u}, {"+12", 12u}, {" 12", 12u}, {"0012", 12u}, {"12abc", 12u}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.text ? c.text : "no -port=");
    const std::string text = c.text ? c.text : "4011";
    std::vector<std::string> args{"qmrecinfo", "-dvrid=7", "-ipa=h", "-camid=" + text, "-sdate=s", "-filepath=f"};
    if (c.text) args.push_back("-port=" + text);
    ResetOptionValues();
    std::vector<char*> argv = qmtest::ArgvOf(args);
    ASSERT_EQ(main_cmdline(static_cast<int>(args.size()), argv.data()), kCmdlineOk);
    EXPECT_EQ(std::to_string(m_port) + " " + std::to_string(m_camid), std::to_string(c.value) + " " + std::to_string(c.value));
  }
}

QM::RecTimePtr Row(unsigned idx, unsigned type, std::wstring start, std::wstring end) {
  QM::RecTimePtr row = boost::make_shared<QM::RecTime>(4u);
  std::tie(row->Idx, row->RecType, row->StartStr, row->EndStr) = std::tie(idx, type, start, end);
  return row;
}

// Each list replaces a longer file. Rows keep their own Idx; START and END are
// cut at 128 bytes; a character the "C" locale cannot convert becomes '?'; a
// null row is counted but not dereferenced.
TEST(ResultFileList, RowsWithOwnIdxTextsCutAt128UnconvertibleAsQuestionMark) {
  qmtest::TempDir dir;
  ResetOptionValues();
  m_filepath = dir.File("r.txt");
  m_dvrid = 12;
  const std::string kHead = "DVRID=12\nERRORCODE=0\nLISTCOUNT=";
  const std::string kCols = "IDX,CAMID,RECTYPE,START,END\n", kT = "2021-03-04T00:00:00";
  const struct { QM::RecTimeVector rows; std::string file; } kCases[] = {
      {{}, kHead + "0\n" + kCols},
      {{Row(7, 0, L"2021-03-04T00:00:00", L"b"), Row(2, 1, L"c", L"2021-03-04T00:00:00")},
       kHead + "2\n" + kCols + "7,4,0," + kT + ",b\n2,4,1,c," + kT + "\n"},
      {{Row(1, 0, std::wstring(129, L'S'), std::wstring(128, L'E')), QM::RecTimePtr(),
        Row(3, 1, L"12\u20AC:\u00E9x", std::wstring(1, static_cast<wchar_t>(0xDC80)))},
       kHead + "3\n" + kCols + "1,4,0," + std::string(128, 'S') + "," + std::string(128, 'E') +
           "\n3,4,1,12?:?x,?\n"},
  };
  for (const auto& c : kCases) {
    qmtest::WriteWholeFile(m_filepath, std::string(5000, 'x'));
    WriteFile(boost::make_shared<QM::RecTimeVector>(c.rows));
    EXPECT_EQ(qmtest::ReadWholeFile(m_filepath), c.file);
  }
}

// Decision: the list form's empty-path message follows the orientation of
// standard output, so on a narrow stdout it is printed, not silently dropped.
TEST(ResultFileList, EmptyPathMessageStaysVisibleOnNarrowStdout) {
  ResetOptionValues();
  ::testing::internal::CaptureStdout();
  printf("before\n");
  WriteFile(boost::make_shared<QM::RecTimeVector>());
  puts("after");
  EXPECT_EQ(::testing::internal::GetCapturedStdout(),
            "before\nqmrecinfo:WriteFile(rts): ERROR: File Name is empty.\nafter\n");
}

}  // namespace
