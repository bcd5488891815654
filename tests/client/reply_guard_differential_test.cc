// The nesting guard against TinyXML itself, on a few thousand generated and
// mutated replies (fixed seed). Up to a few times the bound TinyXML is the
// reference: the deepest element in the tree it builds (it keeps every
// element it entered, also when the parse fails) must be exactly the guard's
// count. Deeper replies would overflow TinyXML's stack, so there the test
// relies on the depth it generated.
#include <gtest/gtest.h>
#include <tinyxml.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "client/reply_document.h"
#include "client/reply_nesting.h"
#include "tests/support/tinyxml_depth.h"

namespace {

const size_t kLimit = QM::kMaxReplyNesting;
// Deepest reply given to TinyXML here: shallow enough for the stack of the
// sanitizer build.
const size_t kReferenceDepth = 3 * kLimit;

// The deepest element TinyXML entered, reading `text` as ReplyDocument hands
// it over: up to its first zero byte, then zero bytes only (TinyXML steps
// over a zero byte that ends a multi-byte character).
size_t TinyXmlDepth(const std::string& text, bool* error) {
  std::vector<char> buffer(text.begin(), text.begin() + std::min(text.find('\0'), text.size()));
  buffer.resize(text.size() + 4, '\0');
  TiXmlDocument document;
  document.Parse(buffer.data(), nullptr, TIXML_ENCODING_UNKNOWN);
  *error = document.Error();
  return qmtest::DeepestElement(document);
}

// The start of a reply, non-printing bytes escaped.
std::string Shown(const std::string& text) { return testing::PrintToString(text.substr(0, 160)); }

// Pieces of replies: what a .NET server writes (expression columns, legacy
// and UTF-8 texts, style-sheet instructions) and what trips a naive scan
// (markup in values, comments and character data, entities that swallow
// markup, multi-byte lead bytes before '<' or a quote).
const char* const kValuePieces[] = {
    "a", "x y", "<", ">", "a<b", "IIF(EndTime > StartTime, 1, 0)", "</Table>", "<b/>", "&amp;",
    "&lt;", "&#60;", "&#x3E;", "&#x;", "&bogus;", "&", "\xE9", "Caf\xE9", "\xC3\xA9",
    "\xE2\x82\xAC", "\xEF\xBB\xBF", "\t", "<!--", "]]>", "&#x</Table>x1;", "\xC3"};
const char* const kTextPieces[] = {
    "1", "2013-05-07T10:00:00-04:00", "a > b", "&lt;b&gt;", "&#60;/Table&#62;", " ", "\r\n", "\xE9",
    "\xC3\xA9", "\xF0\x9F\x8E\xA5", "]]>", "&#x</Row>x41;", "\xC3", "\xEF\xBF\xBE"};
const char* const kMarkupPieces[] = {
    "<!-- <Table> </NewDataSet> -->", "<![CDATA[</Table><x y='>']]>", "<?pi it's <fine?>",
    "<?xml-stylesheet type=\"text/xsl\" href=\"My Styles/day.xsl\"?>", "<!DOCTYPE x>",
    "<?XML-note version='a>b' other=it's?>", "<!-->-->", "<?php echo '>'; ?>"};
const char* const kDeclarations[] = {
    "<?xml version=\"1.0\"?>", "<?xml version=\"1.0\" encoding=\"utf-8\"?>",
    "<?xml version='1.0' encoding='windows-1252' standalone='yes'?>",
    "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>", "<?xml encoding=\"UTF8\"?>",
    "<?xml version=\"1.0\" encoding=\"&#85;TF-8\"?>", "<?XML ENCODING='latin1'?>",
    "<?xml-stylesheet href='a b.xsl'?>", "<?xml encoding='utf-8' Encoding='cp1252'?>",
    "<?xml version=\"1>0\" encoding=\"&#0;x\"?>"};
const char* const kMutationPieces[] = {
    "<", ">", "/", "\"", "'", "&", "&#", "&#x", ";", "x", "!", "?", "-", "[", "]", " ", "=", "\xC3",
    "\xE2", "\xF0", "\xEF", "\xBB\xBF", "<a>", "</a>", "<a/>", "<!--", "-->", "<![CDATA[", "]]>",
    "<?xml?>", "<\xEF\xBB\xBF", "<\xEF\xBF\xBE b=''/>"};

// Levels of a chain that read without error in any encoding, each closed by
// any of the closers.
const char* const kTameLevels[] = {
    "<L a=\"x<y>\" b='IIF(A > B, 1, 0)'>", "<L>&#x</L>x41;", "<L><!-- </L> -->",
    "<L><![CDATA[</L>]]>", "<L e=\"&lt;&#60;&#x3E;\"><?pi it's ?>",
    "<L v=\"\xC3\xA9\xE2\x82\xAC\">\xF0\x9F\x8E\xA5", "<L\r\n a = 'O\"Brien'  >"};
const char* const kTameClosers[] = {
    "</L>", "</L >", "<!-- c --></L>", "</L>\r\n", "</L>&amp;"};

class ReplyMaker {
 public:
  explicit ReplyMaker(uint32_t seed) : rng_(seed) {}

  size_t Pick(size_t n) { return rng_() % n; }
  template <size_t N>
  std::string OneOf(const char* const (&items)[N]) {
    return items[Pick(N)];
  }

  // Optional byte-order mark, declaration and (unless `tame`) other prolog
  // markup, which may end the document early.
  std::string Prolog(bool tame = false) {
    std::string out = Pick(5) == 0 ? "\xEF\xBB\xBF" : "";
    if (Pick(3) != 0) out += OneOf(kDeclarations);
    while (!tame && Pick(3) == 0) out += OneOf(kMarkupPieces) + (Pick(2) ? "\r\n" : "");
    return out;
  }

  std::string Attributes() {
    std::string out;
    const size_t count = Pick(4);
    for (size_t i = 0; i < count; ++i) {
      const char quote = Pick(2) ? '"' : '\'';
      // Now and then a repeated name, which TinyXML refuses.
      out += " a" + std::to_string(Pick(16) ? i : 0) + (Pick(4) ? "=" : " = ") + quote;
      for (size_t n = Pick(4); n > 0; --n) {
        const std::string piece = OneOf(kValuePieces);
        if (piece.find(quote) == std::string::npos) out += piece;
      }
      out += quote;
    }
    return out;
  }

  // Text and markup between elements.
  std::string Filler() {
    std::string out;
    for (size_t n = Pick(3); n > 0; --n) out += Pick(3) ? OneOf(kTextPieces) : OneOf(kMarkupPieces);
    return out;
  }

  // An element `levels` deep at most, with random children.
  std::string Element(const std::string& name, size_t levels) {
    std::string out = "<" + name + Attributes();
    if (levels == 0 || Pick(4) == 0) return out + (Pick(2) ? "/>" : "></" + name + " >");
    out += ">" + Filler();
    for (size_t n = Pick(4); n > 0; --n)
      out += Element("F" + std::to_string(Pick(3)), levels - 1) + Filler();
    return out + "</" + name + ">";
  }

  // A DataSet reply, inline schema and rows included.
  std::string DataSet() {
    std::string rows;
    for (size_t n = Pick(4); n > 0; --n) rows += Element("Table", 3) + Filler();
    const std::string schema =
        Pick(2) ? "<xs:schema id=\"NewDataSet\"><xs:element name=\"Span\" "
                  "msdata:Expression=\"IIF(EndTime &gt; StartTime, 1, 0)\" e='a<b>c'/></xs:schema>"
                : "";
    return Prolog() + "<DataSet" + Attributes() + ">" + schema + "<diffgr:diffgram>" + Filler() +
           "<NewDataSet>" + rows + "</NewDataSet></diffgr:diffgram></DataSet>" + Filler();
  }

  // `depth` nested elements, with random attributes and filler or, when
  // `tame`, with levels that read without error.
  std::string Chain(size_t depth, bool tame) {
    std::string open = Prolog(tame), close;
    for (size_t i = 0; i < depth; ++i) {
      open += tame ? OneOf(kTameLevels) : "<L" + Attributes() + ">" + Filler();
      close += tame ? OneOf(kTameClosers) : "</L>" + Filler();
    }
    return open + close;
  }

  // One to four random edits: insert, delete, copy a slice elsewhere.
  std::string Mutate(std::string text) {
    for (size_t n = 1 + Pick(4); n > 0; --n) {
      const size_t at = Pick(text.size() + 1);
      const size_t length = std::min<size_t>(1 + Pick(64), text.size() - std::min(at, text.size()));
      const size_t edit = Pick(3);
      if (edit == 0) text.insert(at, Pick(8) ? OneOf(kMutationPieces) : std::string(1, '\0'));
      if (edit == 1) text.erase(at, std::min<size_t>(length, 8));
      if (edit == 2) text.insert(Pick(text.size() + 1), text.substr(at, length));
    }
    return text;
  }

 private:
  std::mt19937 rng_;
};

// Replies checked; those TinyXML reads without error, within and past the
// bound.
struct Tally {
  size_t checked = 0, readable = 0, readable_past = 0;
};

// The guard's count is TinyXML's own, and its verdict follows from it.
void ExpectGuardAgrees(const std::string& text, Tally* tally) {
  bool error = false;
  const size_t depth = TinyXmlDepth(text, &error);
  ++tally->checked;
  if (!error) ++(depth <= kLimit ? tally->readable : tally->readable_past);
  EXPECT_EQ(depth, QM::ReplyNestingDepth(text, kReferenceDepth)) << Shown(text);
  EXPECT_EQ(depth <= kLimit, QM::ReplyNestingWithinLimit(text)) << depth << " " << Shown(text);
}

TEST(ReplyGuardDifferentialTest, GuardCountDiffersFromTinyXmlOnGeneratedOrMutatedReplies) {
  ReplyMaker maker(20130507);
  Tally generated, mutated;
  for (int i = 0; i < 1500 && !testing::Test::HasFailure(); ++i) {
    const std::string reply = maker.DataSet();
    ExpectGuardAgrees(reply, &generated);
    ExpectGuardAgrees(maker.Mutate(reply), &mutated);
  }
  // Around the bound, and up to the deepest reply TinyXML may read here.
  const size_t depths[] = {kLimit - 1, kLimit, kLimit + 1, kLimit + 2, kReferenceDepth - 100};
  for (int i = 0; i < 30 && !testing::Test::HasFailure(); ++i) {
    const std::string chain = maker.Chain(depths[i % 5], i % 2 == 0);
    ExpectGuardAgrees(chain, &generated);
    ExpectGuardAgrees(maker.Mutate(chain), &mutated);
  }
  // Without readable replies on both sides of the bound the comparison
  // would prove little.
  EXPECT_GT(generated.readable * 3, generated.checked);
  EXPECT_GT(generated.readable_past, 0u);
}

TEST(ReplyGuardDifferentialTest, ReplyNestedPastTinyXmlsReachIsLetThrough) {
  // Levels whose end tags TinyXML reads as values, comments, character data,
  // a swallowing entity or (in UTF-8) the tail of a multi-byte character.
  const struct { std::string prolog, level; } chains[] = {
      {"", "<L a=\"</L>\" b='x<y'><!-- </L> --><![CDATA[</L>]]>&#x</L>x41;"},
      {"<?xml version=\"1.0\" encoding=\"windows-1252\"?><?xml-stylesheet href='my day.xsl'?>",
       "<Row v=\"Caf\xE9\" e='a>b'>\xE9<?pi it's </Row>?>"},
      {"\xEF\xBB\xBF", "<a>\xC3</a>"},
  };
  for (const auto& chain : chains) {
    for (size_t depth : {kReferenceDepth + 1, size_t{100000}}) {
      std::string text = chain.prolog;
      for (size_t i = 0; i < depth; ++i) text += chain.level;
      EXPECT_EQ(kLimit + 1, QM::ReplyNestingDepth(text, kLimit)) << depth << Shown(text);
      EXPECT_TRUE(QM::ReplyDocument(text.data(), text.size()).Error()) << depth << Shown(text);
    }
  }
}

}  // namespace
