// Reading qmrecinfo's result file back: both forms, and every way a file
// can fail to be one, each named by its line.
#include <gtest/gtest.h>

#include "result_file_reader.h"

namespace {

using namespace qmctl;

const std::string kHeader = "DVRID=1\nERRORCODE=0\nLISTCOUNT=2\nIDX,CAMID,RECTYPE,START,END\n";
const std::string kRows =
    "1,12,1,2013-05-07T08:10:00-04:00,2013-05-07T08:20:00-04:00\n"
    "2,12,0,2013-05-07T10:00:05-04:00,2013-05-07T10:29:30-04:00\n";

TEST(QmctlResultFile, ListAndErrorFormsAreRead) {
  ResultFile file;
  std::string error;
  ASSERT_TRUE(ParseResultFile(kHeader + kRows, &file, &error)) << error;
  EXPECT_EQ(file.dvrid, 1u);
  ASSERT_EQ(file.rows.size(), 2u);
  EXPECT_EQ(file.rows[0].type, 1u);
  EXPECT_EQ(file.rows[1].idx, 2u);
  EXPECT_EQ(file.rows[1].camera, 12u);
  EXPECT_EQ(file.rows[1].end, "2013-05-07T10:29:30-04:00");

  ASSERT_TRUE(ParseResultFile("DVRID=3\r\nERRORCODE=4\r\n", &file, &error)) << error;
  EXPECT_EQ(file.error_code, 4);
  EXPECT_TRUE(file.rows.empty());
  ASSERT_TRUE(ParseResultFile("DVRID=3\nERRORCODE=-1\n", &file, &error));
  EXPECT_EQ(file.error_code, -1);
  ASSERT_TRUE(ParseResultFile("DVRID=1\nERRORCODE=0\nLISTCOUNT=0\nIDX,CAMID,RECTYPE,START,END", &file, &error));
  EXPECT_TRUE(file.rows.empty());
}

TEST(QmctlResultFile, MalformedFilesAreRefusedWithTheirLine) {
  const std::string long_time(129, '1');
  const struct { std::string text; const char* error; } kCases[] = {
      {"", "line 1: expected DVRID=<number>"},
      {"DVRID=x\n", "line 1: expected DVRID=<number>"},
      {"DVRID=4294967296\n", "line 1: expected DVRID=<number>"},
      {"DVRID=1\n", "line 2: expected ERRORCODE=<number>"},
      {"DVRID=1\nERRORCODE=4\nLISTCOUNT=0\n", "line 3: unexpected line after an error code"},
      {"DVRID=1\nERRORCODE=0\n", "line 3: expected LISTCOUNT=<number>"},
      {"DVRID=1\nERRORCODE=0\nLISTCOUNT=2\nIDX,START\n" + kRows, "line 4: expected IDX,CAMID,RECTYPE,START,END"},
      {kHeader + kRows.substr(0, kRows.find('\n') + 1), "line 3: LISTCOUNT=2 but 1 rows follow"},
      {kHeader + kRows + "\n", "line 3: LISTCOUNT=2 but 3 rows follow"},
      {kHeader + "1,12,1,a\n2,12,0,b,c\n", "line 5: expected IDX,CAMID,RECTYPE,START,END values"},
      {kHeader + "1,12,1,a,b\n2,12,-1,b,c\n", "line 6: expected IDX,CAMID,RECTYPE,START,END values"},
      {kHeader + "1,12,1,,b\n2,12,0,b,c\n", "line 5: expected IDX,CAMID,RECTYPE,START,END values"},
      {kHeader + "1,12,1," + long_time + ",b\n2,12,0,b,c\n", "line 5: expected IDX,CAMID,RECTYPE,START,END values"},
  };
  for (const auto& c : kCases) {
    ResultFile file;
    file.dvrid = 99;
    std::string error;
    EXPECT_FALSE(ParseResultFile(c.text, &file, &error)) << c.text;
    EXPECT_EQ(error, c.error) << c.text;
    EXPECT_EQ(file.dvrid, 99u);  // untouched
  }
}

TEST(QmctlResultFile, MissingAndOversizedFilesAreRefused) {
  ResultFile file;
  std::string error;
  EXPECT_FALSE(ReadResultFile("/nonexistent/result.txt", &file, &error));
  EXPECT_EQ(error, "cannot read /nonexistent/result.txt: No such file or directory");
  char path[] = "/tmp/qmday-result.XXXXXX";
  const int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  const std::string big(kMaxResultFileBytes + 1, '\n');
  ASSERT_EQ(write(fd, big.data(), big.size()), static_cast<ssize_t>(big.size()));
  close(fd);
  EXPECT_FALSE(ReadResultFile(path, &file, &error));
  EXPECT_NE(error.find("is larger than 1048576 bytes"), std::string::npos) << error;
  unlink(path);
}

}  // namespace
