// Reply documents: how reply bytes become a document, the DataSet row walk,
// the field checks and readers, and the login failure check. Every reply is
// handed over in a heap buffer of exactly its length, without a terminator,
// so that AddressSanitizer reports any read beyond the reply.
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "client/reply_document.h"

namespace {

using QM::ReplyDocument;

// Reply bytes with no terminator after them.
std::vector<char> Bytes(const std::string& text) {
  return std::vector<char>(text.begin(), text.end());
}

std::unique_ptr<ReplyDocument> Open(const std::vector<char>& bytes) {
  return std::unique_ptr<ReplyDocument>(new ReplyDocument(
      bytes.data(), static_cast<unsigned int>(bytes.size())));
}

const char kDataSetHead[] =
    "<DataSet><diffgr:diffgram "
    "xmlns:msdata=\"urn:schemas-microsoft-com:xml-msdata\" "
    "xmlns:diffgr=\"urn:schemas-microsoft-com:xml-diffgram-v1\">"
    "<NewDataSet>";
const char kDataSetTail[] = "</NewDataSet></diffgr:diffgram></DataSet>";

std::string DataSet(const std::string& rows) {
  return kDataSetHead + rows + kDataSetTail;
}

size_t CountRows(const ReplyDocument& document) {
  size_t count = 0;
  for (const TiXmlNode* row = QM::FirstDataSetRow(document.Document());
       row != nullptr; row = QM::NextDataSetRow(row)) {
    ++count;
  }
  return count;
}

TEST(ReplyDocumentTest, UnusableTextsReportAnError) {
  const char* const texts[] = {
      "",                                // empty text
      "<DataSet><NewDataSet></DataSet>",  // mismatched end tag
      "<DataSet",                        // cut inside a tag
      "<a>&#x",                          // cut inside a character reference
      "<a b=\"",                         // cut inside an attribute
      "<a><b/>",                         // root never closed
      "   \t\r\n",                       // blanks only
  };
  for (const char* text : texts) {
    const std::vector<char> bytes = Bytes(text);
    EXPECT_TRUE(Open(bytes)->Error()) << '"' << text << '"';
  }
}

TEST(ReplyDocumentTest, NullOrZeroLengthReplyIsAnError) {
  EXPECT_TRUE(ReplyDocument(nullptr, 0).Error());
  EXPECT_TRUE(ReplyDocument(nullptr, 5).Error());
  const char text[] = "<a/>";
  EXPECT_TRUE(ReplyDocument(text, 0).Error());  // length bounds the text
}

TEST(ReplyDocumentTest, LengthShorterThanTextCutsTheDocument) {
  const std::string text = "<string>x</string>";
  // The whole text parses; one byte less loses the closing '>'.
  EXPECT_FALSE(ReplyDocument(text.data(), text.size()).Error());
  EXPECT_TRUE(ReplyDocument(text.data(), text.size() - 1).Error());
}

TEST(ReplyDocumentTest, ZeroByteEndsTheText) {
  // What follows the zero byte would fail the login check if it were read.
  std::string text = "<string>fine</string>";
  text.push_back('\0');
  text += "<string>Login Error</string>";
  const std::vector<char> bytes = Bytes(text);
  std::unique_ptr<ReplyDocument> document = Open(bytes);
  ASSERT_FALSE(document->Error());
  EXPECT_TRUE(CredentialsPassed(document->Handle()));

  // A zero byte before the end of the document leaves it unclosed.
  std::string cut = DataSet("<Table><A>1</A></Table>");
  cut[cut.size() / 2] = '\0';
  EXPECT_TRUE(Open(Bytes(cut))->Error());

  // A reply of zero bytes only is an empty text.
  EXPECT_TRUE(Open(std::vector<char>(64, '\0'))->Error());
}

TEST(ReplyDocumentTest, ByteOrderMarkAndDeclarationAreAccepted) {
  const std::string bom = "\xEF\xBB\xBF";
  const std::string body = DataSet("<Table><A>1</A></Table>");
  const std::string texts[] = {
      bom + body,
      "<?xml version=\"1.0\" encoding=\"utf-8\"?>" + body,
      bom + "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n" + body,
      "\r\n  " + body,
  };
  for (const std::string& text : texts) {
    std::unique_ptr<ReplyDocument> document = Open(Bytes(text));
    ASSERT_FALSE(document->Error()) << text;
    EXPECT_EQ(1u, CountRows(*document)) << text;
  }
}

std::string Repeat(const std::string& piece, size_t times) {
  std::string out;
  out.reserve(piece.size() * times);
  for (size_t i = 0; i < times; ++i) out += piece;
  return out;
}

TEST(ReplyNestingTest, DeepNestingIsRefusedInsteadOfExhaustingTheStack) {
  const size_t limit = QM::kMaxReplyNesting;
  // At the limit the document parses; one level more is refused.
  EXPECT_FALSE(Open(Bytes(Repeat("<a>", limit) + Repeat("</a>", limit)))
                   ->Error());
  EXPECT_TRUE(
      Open(Bytes(Repeat("<a>", limit + 1) + Repeat("</a>", limit + 1)))
          ->Error());
  // A hostile reply of a few hundred kilobytes: TinyXML alone would overflow
  // the stack on it.
  EXPECT_TRUE(Open(Bytes(Repeat("<a>", 200000)))->Error());
}

TEST(ReplyNestingTest, MarkupThatHidesEndTagsDoesNotLowerTheCount) {
  // Each piece opens one element for TinyXML while showing the scan end tags
  // (in a quoted value, a comment-like declaration, or after a byte that
  // starts a UTF-8 character and swallows the '<').
  const std::string bom = "\xEF\xBB\xBF";
  const std::string texts[] = {
      Repeat("<a b=\"</a></a>\">", 200000),
      Repeat("<a><?xml x\"y version=\"></a></a>\"?>", 100000),
      bom + Repeat("<a>\xC3</a>", 200000),
      bom + Repeat("<a b='\xC3'></a>'>", 100000),
      Repeat("<a b=x<c>", 100000),
  };
  for (const std::string& text : texts) {
    EXPECT_TRUE(Open(Bytes(text))->Error()) << text.substr(0, 40);
  }
}

TEST(ReplyNestingTest, ManyRowsAndSkippedMarkupAreNotNesting) {
  // Width is not depth: thousands of rows with comments, character data and
  // '<' inside them still parse.
  const std::string rows = Repeat(
      "<Table a=\"x y\"><A>1</A><!-- <b><b> --><![CDATA[<c><c>]]><B/></Table>",
      5000);
  std::unique_ptr<ReplyDocument> document = Open(Bytes(DataSet(rows)));
  ASSERT_FALSE(document->Error());
  EXPECT_EQ(5000u, CountRows(*document));
}

TEST(ReplyDocumentTest, TextEndingInsideMultiByteCharacterIsAnError) {
  // TinyXML steps over the whole character; the zero bytes after the text
  // keep it from reading past the buffer.
  const std::string bom = "\xEF\xBB\xBF";
  const std::string texts[] = {bom + "<a>x\xF0", bom + "<a>\xE0",
                               bom + "<a b=\"\xF0"};
  for (const std::string& text : texts) {
    EXPECT_TRUE(Open(Bytes(text))->Error());
  }
}

TEST(CredentialsPassedTest, FailsOnlyForLoginErrorString) {
  struct Case {
    const char* text;
    bool passed;
  } const cases[] = {
      {"<string>Login Error</string>", false},
      {"<?xml version=\"1.0\"?><string>Login Error</string>", false},
      {"<string>Login error</string>", true},  // exact text only
      {"<string>Login Error </string>", false},  // TinyXML trims blanks
      {"<string>OK</string>", true},
      {"<string></string>", true},
      {"<string/>", true},
      {"<string><b>Login Error</b></string>", true},  // first child is <b>
      {"<other>Login Error</other>", true},
      {"<DataSet/>", true},
  };
  for (const Case& c : cases) {
    std::unique_ptr<ReplyDocument> document = Open(Bytes(c.text));
    ASSERT_FALSE(document->Error()) << c.text;
    EXPECT_EQ(c.passed, CredentialsPassed(document->Handle())) << c.text;
  }
}

TEST(DataSetWalkTest, RowCountFollowsTheDocument) {
  struct Case {
    std::string text;
    size_t rows;
  } const cases[] = {
      {DataSet(""), 0},
      {DataSet("<!-- no rows --><Table><A>1</A></Table>"), 0},
      {DataSet("<Table/>"), 1},
      {DataSet("<Table/><Table/><Row/>"), 3},  // row name does not matter
      // After the first row every sibling node is a row.
      {DataSet("<Table/><!-- c --><Table/>"), 3},
      {"<DataSet><NewDataSet><Table/></NewDataSet></DataSet>", 0},
      {"<DataSet><diffgr:diffgram><Table/></diffgr:diffgram></DataSet>", 0},
      {"<NewDataSet><Table/></NewDataSet>", 0},
      {"<string>Login Error</string>", 0},
      // Only the first NewDataSet is walked.
      {"<DataSet><diffgr:diffgram><NewDataSet/><NewDataSet><T/></NewDataSet>"
       "</diffgr:diffgram></DataSet>",
       0},
  };
  for (const Case& c : cases) {
    std::unique_ptr<ReplyDocument> document = Open(Bytes(c.text));
    ASSERT_FALSE(document->Error()) << c.text;
    EXPECT_EQ(c.rows, CountRows(*document)) << c.text;
  }
}

TEST(DataSetWalkTest, NullRowEndsTheWalk) {
  EXPECT_EQ(nullptr, QM::NextDataSetRow(nullptr));
}

TEST(CheckFieldAndFirstValueTest, TrueOnlyForFieldWithContent) {
  const std::string text =
      "<Row><Text>abc</Text><Empty/><Open></Open><Nested><x/></Nested>"
      "<Blank> </Blank></Row>";
  std::unique_ptr<ReplyDocument> document = Open(Bytes(text));
  ASSERT_FALSE(document->Error());
  const TiXmlNode* row = document->Document().FirstChild("Row");
  ASSERT_NE(nullptr, row);

  EXPECT_TRUE(CheckFieldAndFirstValue(row, "Text"));
  EXPECT_TRUE(CheckFieldAndFirstValue(row, "Nested"));
  EXPECT_FALSE(CheckFieldAndFirstValue(row, "Empty"));
  EXPECT_FALSE(CheckFieldAndFirstValue(row, "Open"));
  EXPECT_FALSE(CheckFieldAndFirstValue(row, "Blank"));  // blanks dropped
  EXPECT_FALSE(CheckFieldAndFirstValue(row, "Missing"));
  EXPECT_FALSE(CheckFieldAndFirstValue(row, ""));
  EXPECT_FALSE(CheckFieldAndFirstValue(nullptr, "Text"));
}

TEST(ReadFieldTest, SelfClosingFieldReadsLikeMissingOne) {
  const std::string text =
      "<Row><Name>a &amp; b</Name><Empty/><Open></Open>"
      "<Num>  42xyz</Num><Nested><x>7</x></Nested></Row>";
  std::unique_ptr<ReplyDocument> document = Open(Bytes(text));
  ASSERT_FALSE(document->Error());
  const TiXmlNode* row = document->Document().FirstChild("Row");

  EXPECT_EQ("a & b", QM::ReadFieldText(row, "Name"));  // entity decoded
  EXPECT_EQ(L"a & b", QM::ReadWideField(row, "Name"));
  EXPECT_EQ("", QM::ReadFieldText(row, "Empty"));
  EXPECT_EQ("", QM::ReadFieldText(row, "Open"));
  EXPECT_EQ("", QM::ReadFieldText(row, "Missing"));
  EXPECT_EQ("", QM::ReadFieldText(nullptr, "Name"));
  // The first child node's value: for an element that is its name.
  EXPECT_EQ("x", QM::ReadFieldText(row, "Nested"));
  EXPECT_EQ(42u, QM::ReadUnsignedField(row, "Num"));
  EXPECT_EQ(0u, QM::ReadUnsignedField(row, "Empty"));
  EXPECT_EQ(0u, QM::ReadUnsignedField(row, "Name"));
}

TEST(ParseUnsigned32Test, BoundedDecimalReading) {
  struct Case {
    const wchar_t* text;
    unsigned int value;
  } const cases[] = {
      {L"", 0u},
      {L"0", 0u},
      {L"12", 12u},
      {L"  \t\r\n12", 12u},
      {L"12abc", 12u},
      {L"12 34", 12u},
      {L"abc", 0u},
      {L"-1", 0u},  // a sign is not a digit: no wrap to 4294967295
      {L"+5", 0u},
      {L"0000000000000000000007", 7u},  // leading zeros never overflow
      {L"4294967295", 4294967295u},
      {L"4294967296", 4294967295u},  // saturates
      {L"99999999999999999999999999999", 4294967295u},
      {L"\xFFFFFFFF" L"5", 0u},  // WEOF from an unmapped byte
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.value, QM::ParseUnsigned32(c.text)) << c.text;
  }
}

}  // namespace
