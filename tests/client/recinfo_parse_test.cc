// Parsers of the recording query's replies, given buffers of exactly the
// reply's length so that AddressSanitizer sees any overread.
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "client/server.h"

namespace {

using QM::Server;

TEST(TrackerParseTest, BitLayoutHourOfSixtyBitsAndExactSize) {
  // `size` bytes of `fill`, byte `byte` set to `value`: minutes `first` to
  // `first + count - 1` set. Low bit first; byte 7 of each hour has only four
  // bits; any size but 192 gives no flags.
  struct Case { size_t size, byte; unsigned char fill, value; size_t first, count; };
  const Case cases[] = {
      {192, 0, 0xFF, 0xFF, 0, 1440}, {192, 0, 0, 0, 0, 0}, {192, 0, 0, 0x01, 0, 1},
      {192, 0, 0, 0x80, 7, 1}, {192, 7, 0, 0x0F, 56, 4}, {192, 7, 0, 0xF0, 0, 0},
      {192, 8, 0, 0x01, 60, 1}, {192, 191, 0, 0x08, 1439, 1},
      {191, 0, 0xFF, 0xFF, 0, 0}, {193, 0, 0xFF, 0xFF, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.size << " bytes, byte " << c.byte);
    std::vector<unsigned char> bytes(c.size, c.fill);
    bytes[c.byte] = c.value;
    const auto flags = Server::RspPkt_ParseGetDateTimeTracker(bytes.data(), bytes.size());
    ASSERT_EQ(c.size == 192 ? 1440u : 0u, flags.size());
    for (size_t i = 0; i < flags.size(); ++i)
      ASSERT_EQ(i >= c.first && i < c.first + c.count, flags[i]) << i;
  }
  EXPECT_TRUE(Server::RspPkt_ParseGetDateTimeTracker(nullptr, 192).empty());
}

std::string Rows(const std::vector<std::string>& rows) {
  std::string out = "<DataSet><diffgr:diffgram><NewDataSet>";
  for (const std::string& row : rows) out += "<Table>" + row + "</Table>";
  return out + "</NewDataSet></diffgr:diffgram></DataSet>";
}

std::wostream& operator<<(std::wostream& out, const QM::RecFile& f) {
  return out << f.CamId << '|' << f.StartStr << '|' << f.EndStr << '|' << f.FileId << '|'
             << f.FileName << '|' << f.RecType << '|' << f.TotalFrames;
}

std::wostream& operator<<(std::wostream& out, const QM::RecMotion& m) {
  return out << m.CamId << '|' << m.FileId << '|' << m.StartStr << '|' << m.EndStr;
}

// "record;record;...", "null" for no list.
template <class List>
std::wstring Describe(const List& list) {
  if (!list) return L"null";
  std::wostringstream out;
  for (const auto& record : *list) out << *record << ';';
  return out.str();
}

std::wstring Parse(const std::string& text, bool motions = false) {
  const std::vector<char> b(text.begin(), text.end());
  return motions ? Describe(Server::RspPkt_ParseGetMotionInfo(b.data(), b.size()))
                 : Describe(Server::RspPkt_ParseGetRecordingInfo(b.data(), b.size()));
}

TEST(RecordingInfoParseTest, RowsInOrderWithAllFieldsEmptyEndTimeOrNoField) {
  EXPECT_EQ(L"12|s1|e1|501|a.vid|1|27000;0|s2||0|c & d.vid|0|0;0|||0||0|0;13|s3||0||0|0;",
            Parse(Rows({"<CameraID>12</CameraID><StartTime>s1</StartTime><EndTime>e1</EndTime>"
                        "<FileID>501</FileID><FileName>a.vid</FileName><RecordingType>1"
                        "</RecordingType><TotalFrames>27000</TotalFrames>",
                        "<FileName>c &amp; d.vid</FileName><EndTime/><StartTime>s2</StartTime>",
                        "<Other>1</Other>",
                        "<EndTime></EndTime><StartTime>s3</StartTime><CameraID>13</CameraID>"})));
}

TEST(RecordingInfoParseTest, NumericFieldNonNumericSignedOrOverflowing) {
  // Leading blanks skipped, digits read up to the first other character;
  // leading zeros never overflow; above 4294967295 saturates.
  struct Case { std::string frames; unsigned int value; } const cases[] = {
      {"", 0}, {"abc", 0}, {"-5", 0}, {"+5", 0}, {"12 34", 12}, {"12x", 12}, {" \t\r\n77 ", 77},
      {"0000000000000000000007", 7}, {"4294967295", 4294967295u}, {"4294967296", 4294967295u},
      {"123456789012345678901", 4294967295u},
  };
  for (const Case& c : cases)
    EXPECT_EQ(L"0|||0||0|" + std::to_wstring(c.value) + L";",
              Parse(Rows({"<TotalFrames>" + c.frames + "</TotalFrames>"}))) << c.frames;
}

TEST(RecordingInfoParseTest, LoginFailureOrMalformedGivesEmptyNonNullList) {
  for (const std::string& text : {std::string("<string>Login Error</string>"), std::string(),
                                  std::string("<DataSet><diffgr:diffgram><NewDataSet><Table>"),
                                  std::string("not xml <"), Rows({})}) {
    EXPECT_EQ(L"", Parse(text)) << text;
    EXPECT_EQ(L"", Parse(text, true)) << text;
  }
  const QM::RecFileList none = Server::RspPkt_ParseGetRecordingInfo(nullptr, 9);
  EXPECT_TRUE(none && none->empty());
}

TEST(MotionInfoParseTest, RowsInOrderCameraFromOCameraIdOnly) {
  EXPECT_EQ(L"12|501|s1|e1;0|0||;4294967295|0|s|;",
            Parse(Rows({"<EndTime>e1</EndTime><StartTime>s1</StartTime><FileID>501</FileID>"
                        "<oCameraID>12</oCameraID>", "<CameraID>12</CameraID>",
                        "<oCameraID>99999999999</oCameraID><StartTime>s</StartTime>"}), true));
}

}  // namespace
