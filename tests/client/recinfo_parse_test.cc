// Parsers of the recording query's replies, given buffers of exactly the
// reply's length so that AddressSanitizer sees any overread.
#include "tests/client/query_test_util.h"

namespace {

using QM::Server;
using qm_query_test::DataSet;

TEST(TrackerParseTest, BitLayoutHourOfSixtyBitsAndExactSize) {
  // `size` bytes of `fill`, byte `byte` set to `value`: minutes `first` to
  // `first + count - 1` set. Low bit first; byte 7 of each hour has only four
  // bits; any size but 192 gives no flags.
  const struct { size_t size, byte; unsigned char fill, value; size_t first, count; } cases[] = {
      {192, 0, 0xFF, 0xFF, 0, 1440}, {192, 0, 0, 0, 0, 0}, {192, 0, 0, 0x01, 0, 1},
      {192, 0, 0, 0x80, 7, 1}, {192, 7, 0, 0x0F, 56, 4}, {192, 7, 0, 0xF0, 0, 0},
      {192, 8, 0, 0x01, 60, 1}, {192, 191, 0, 0x08, 1439, 1}, {191, 0, 0xFF, 0xFF, 0, 0},
      {193, 0, 0xFF, 0xFF, 0, 0},
  };
  for (const auto& c : cases) {
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

// The recording-info and motion-info lists of one reply.
std::pair<QM::RecFileList, QM::RecMotionList> Parse(const std::string& text) {
  const std::vector<char> b(text.begin(), text.end());
  return {Server::RspPkt_ParseGetRecordingInfo(b.data(), b.size()),
          Server::RspPkt_ParseGetMotionInfo(b.data(), b.size())};
}

TEST(RecordingInfoParseTest, NumericFieldMisreadOrBadReplyNotGivingEmptyNonNullLists) {
  // Leading blanks skipped, digits read up to the first other character;
  // leading zeros never overflow; above 4294967295 saturates.
  struct Case { std::string text; unsigned int value; } const cases[] = {
      {"", 0}, {"abc", 0}, {"-5", 0}, {"+5", 0}, {"12 34", 12}, {"12x", 12}, {" \t\r\n77 ", 77},
      {"0000000000000000000007", 7}, {"4294967295", 4294967295u}, {"4294967296", 4294967295u},
      {"123456789012345678901", 4294967295u},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    // A motion's camera is read from oCameraID only, never from CameraID.
    const auto got = Parse(DataSet("<Table><CameraID>5</CameraID><TotalFrames>" + c.text +
                                   "</TotalFrames><oCameraID>" + c.text + "</oCameraID></Table>"));
    ASSERT_TRUE(got.first && got.first->size() == 1 && got.second && got.second->size() == 1);
    EXPECT_EQ(c.value, got.first->front()->TotalFrames);
    EXPECT_EQ(c.value, got.second->front()->CamId);
  }
  for (const std::string& text : {std::string("<string>Login Error</string>"), std::string(),
                                  std::string("not xml <"), DataSet(""),
                                  std::string("<DataSet><diffgr:diffgram><NewDataSet><Table>")}) {
    const auto got = Parse(text);
    EXPECT_TRUE(got.first && got.first->empty() && got.second && got.second->empty()) << text;
  }
  const QM::RecFileList none = Server::RspPkt_ParseGetRecordingInfo(nullptr, 9);
  EXPECT_TRUE(none && none->empty());
}

TEST(RecordingInfoParseTest, ReadableReplyWithMarkupInValuesOrLegacyBytesLosesRows) {
  // Replies TinyXML reads without error: each must give its three rows.
  const std::string schema =
      "<xs:schema id=\"NewDataSet\"><xs:element name=\"Table\"><xs:complexType><xs:sequence>"
      "<xs:element name=\"Long\" msdata:Expression=\"IIF(TotalFrames > 900, 1, 0)\"/>"
      "<xs:element name=\"Short\" msdata:Expression=\"TotalFrames < 25\"/>"
      "</xs:sequence></xs:complexType></xs:element></xs:schema>";
  const struct { const char* what; std::string prolog, schema, row; } cases[] = {
      {"expression column in the inline schema", "", schema, "<Table>"},
      {"'<' and '>' in a row's attribute", "", "", "<Table diffgr:id=\"T<1>\" note='a>b<c'>"},
      {"instruction with an apostrophe", "<?qm-export it's the day list?>", "", "<Table>"},
      {"style sheet path with a blank",
       "<?xml version=\"1.0\"?><?xml-stylesheet type=\"text/xsl\" href=\"My Styles/day.xsl\"?>", "",
       "<Table>"},
      {"Latin-1 byte ending a value, no declaration", "", "", "<Table camera=\"Caf\xE9\">"},
      {"Latin-1 byte ending a value, legacy declaration",
       "<?xml version=\"1.0\" encoding=\"windows-1252\"?>", "", "<Table camera='Entr\xE9" "e \xE9'>"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::string rows;
    for (char id : {'1', '2', '3'})
      rows += c.row + "<FileID>" + id + "</FileID><FileName>f" + id + "</FileName></Table>";
    const std::string text = c.prolog + "<DataSet>" + c.schema + "<diffgr:diffgram><NewDataSet>" +
                             rows + "</NewDataSet></diffgr:diffgram></DataSet>";
    const std::vector<char> bytes(text.begin(), text.end());
    const QM::RecFileList files = Server::RspPkt_ParseGetRecordingInfo(bytes.data(), bytes.size());
    ASSERT_TRUE(files);
    EXPECT_EQ(3u, files->size());
    for (unsigned int i = 0; i < files->size(); ++i) {
      EXPECT_EQ(i + 1, (*files)[i]->FileId);
      EXPECT_EQ(L"f" + std::to_wstring(i + 1), (*files)[i]->FileName);
    }
  }
}

}  // namespace
