// Reply documents. Every reply is handed over in a heap buffer of exactly its
// length, without a terminator, so that AddressSanitizer sees any overread.
#include <memory>

#include "client/reply_document.h"
#include "tests/client/query_test_util.h"

namespace {

using QM::ReplyDocument;
using qm_query_test::DataSet;

const std::string kBom = "\xEF\xBB\xBF";

std::unique_ptr<ReplyDocument> Open(const std::string& text) {
  const std::vector<char> bytes(text.begin(), text.end());
  return std::make_unique<ReplyDocument>(bytes.data(), bytes.size());
}

std::string Repeat(const std::string& piece, size_t n) {
  std::string out;
  while (n-- > 0) out += piece;
  return out;
}

size_t CountRows(const std::string& text) {
  const std::unique_ptr<ReplyDocument> document = Open(text);
  EXPECT_FALSE(document->Error()) << text.substr(0, 60);
  size_t count = 0;
  for (auto row = QM::FirstDataSetRow(document->Document()); row; row = QM::NextDataSetRow(row))
    ++count;
  return count;
}

TEST(ReplyDocumentTest, UnusableCutInMultiByteCharOrTooDeepIsAnErrorButAtLimitOrWideIsNot) {
  // Texts ending inside a multi-byte character make the parser step past the
  // end; a zero byte inside the document leaves the root unclosed. One level
  // over the limit is refused, also when the end tags the scan sees are in a
  // quoted value or swallowed by a byte that starts a UTF-8 character.
  const size_t limit = QM::kMaxReplyNesting;
  EXPECT_FALSE(Open(Repeat("<a>", limit) + Repeat("</a>", limit))->Error());
  const std::string texts[] = {
      "", "   \t\r\n", "<DataSet><NewDataSet></DataSet>", "<DataSet", "<a>&#x", "<a b=\"",
      "<a><b/>", std::string(64, '\0'), std::string("<a>\0</a>", 8), kBom + "<a>x\xF0",
      kBom + "<a>\xE0", kBom + "<a b=\"\xF0", Repeat("<a>", limit + 1) + Repeat("</a>", limit + 1),
      Repeat("<a b=\"</a></a>\">", 200000), kBom + Repeat("<a>\xC3</a>", 200000),
  };
  for (const std::string& text : texts) EXPECT_TRUE(Open(text)->Error()) << text.substr(0, 60);
  for (size_t n : {0, 5}) EXPECT_TRUE(ReplyDocument(nullptr, n).Error()) << n;
  // The length, not a terminator, bounds the text: the '>' is left out.
  EXPECT_TRUE(ReplyDocument("<string>x</string>", 17).Error());
  // Width is not depth: rows with comments and character data holding '<'.
  const std::string row = "<Table a=\"x y\"><A>1</A><!-- <b><b> --><![CDATA[<c><c>]]><B/></Table>";
  EXPECT_EQ(5000u, CountRows(DataSet(Repeat(row, 5000))));
}

TEST(CredentialsPassedTest, FailsOnlyForExactLoginErrorBeforeAnyZeroByte) {
  struct Case { std::string text; bool passed; } const cases[] = {
      {"<string>Login Error</string>", false}, {"<string>Login Error </string>", false},  // trimmed
      {"<string>Login error</string>", true}, {"<string>OK</string>", true}, {"<string/>", true},
      {"<string></string>", true}, {"<other>Login Error</other>", true},
      {"<string><b>Login Error</b></string>", true},
      {std::string("<string>OK</string>\0<string>Login Error</string>", 48), true},
  };
  for (const Case& c : cases) {
    const std::unique_ptr<ReplyDocument> document = Open(c.text);
    ASSERT_FALSE(document->Error()) << c.text;
    EXPECT_EQ(c.passed, CredentialsPassed(document->Handle())) << c.text;
  }
}

TEST(DataSetWalkTest, RowsFromFirstElementOfFirstNewDataSetAfterAnyBom) {
  const std::string decl = "<?xml version=\"1.0\"?>", one = DataSet("<T/>");
  // No rows when NewDataSet is empty or starts with a comment; after the
  // first row every sibling node counts; each step of the path is needed.
  struct Case { std::string text; size_t rows; } const cases[] = {
      {DataSet(""), 0}, {DataSet("<!-- c --><Table/>"), 0}, {kBom + one, 1}, {decl + one, 1},
      {kBom + decl + "\r\n " + one, 1}, {DataSet("<Table/><!-- c --><Row/>"), 3},
      {"<NewDataSet><Table/></NewDataSet>", 0},
      {"<DataSet><NewDataSet><Table/></NewDataSet></DataSet>", 0},
      {"<DataSet><diffgr:diffgram><NewDataSet/><NewDataSet><T/></NewDataSet></diffgr:diffgram>"
       "</DataSet>", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(c.rows, CountRows(c.text)) << c.text;
}

}  // namespace
