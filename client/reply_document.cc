// Reply documents: copying the reply into a zero-terminated text, parsing it,
// the DataSet row walk and the field readers shared by the XML parsers.
#include "client/reply_document.h"

#include <cstring>
#include <limits>
#include <new>
#include <string_view>
#include <vector>

#include "protocol/text_convert.h"

namespace {

const char kLoginErrorText[] = "Login Error";

// TinyXML parses and frees elements recursively, so a reply nesting tens of
// thousands of elements would exhaust the stack; real replies nest fewer
// than ten levels.
const size_t kMaxNesting = QM::kMaxReplyNesting;

// Zero bytes kept after the terminator of the text. Reading UTF-8, TinyXML
// steps over a whole multi-byte character even when its lead byte is the
// last byte of the text, landing up to three bytes past the terminator.
const size_t kParserSlack = 3;

const size_t kNpos = std::string_view::npos;

bool IsXmlBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Whether TinyXML, reading UTF-8 one character at a time, might take the
// byte at `i` as part of a multi-byte character that starts before it.
bool MaybeInsideCharacter(std::string_view text, size_t i) {
  const auto back = [&](size_t n) {
    return static_cast<unsigned char>(text[i - n]);
  };
  return (i >= 1 && back(1) >= 0xC0) || (i >= 2 && back(2) >= 0xE0) ||
         (i >= 3 && back(3) >= 0xF0);
}

// Position just after the first `end` at or after `from`; the text's size
// when there is none.
size_t SkipPast(std::string_view text, size_t from, std::string_view end) {
  const size_t at = text.find(end, from);
  return at == kNpos ? text.size() : at + end.size();
}

// Scans the tag that starts with the '<' at `i` up to its '>'. Quoted values
// are skipped; `blanks_in_quotes` tells whether they may hold blanks. Returns
// the position after the '>' (the text's size when the tag is unterminated)
// and whether the tag ends with "/>", or kNpos when TinyXML might see the
// tag end elsewhere: a '<' in the tag, a '<' or '>' inside a quoted value, or
// a closing quote that a multi-byte character might swallow.
size_t ScanTag(std::string_view text, size_t i, bool blanks_in_quotes,
               bool* self_closing) {
  char quote = 0;
  for (size_t j = i + 1; j < text.size(); ++j) {
    const char c = text[j];
    if (quote != 0) {
      if (c == '<' || c == '>') return kNpos;
      if (!blanks_in_quotes && IsXmlBlank(c)) return kNpos;
      if (c == quote) {
        if (MaybeInsideCharacter(text, j)) return kNpos;
        quote = 0;
      }
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '<') {
      return kNpos;
    } else if (c == '>') {
      *self_closing = text[j - 1] == '/';
      return j + 1;
    }
  }
  return text.size();
}

// False when elements of `text` might nest deeper than kMaxNesting in
// TinyXML's reading, or when the text is too ambiguous to tell. The count
// never falls below TinyXML's own: every start tag counts, while an end tag
// is not counted when its '<' might be swallowed by a multi-byte character;
// comments, character data and declarations are skipped exactly as TinyXML
// skips them.
bool NestingWithinLimit(std::string_view text) {
  size_t depth = 0;
  size_t i = 0;
  while (i < text.size()) {
    if (text[i] != '<') {
      ++i;
      continue;
    }
    const std::string_view rest = text.substr(i);
    const bool maybe_swallowed = MaybeInsideCharacter(text, i);
    if (rest.substr(0, 2) == "</") {
      if (!maybe_swallowed && depth > 0) --depth;
      i += 2;
      continue;
    }
    if (rest.size() > 1 && (rest[1] == '!' || rest[1] == '?')) {
      // A swallowed '<' would turn the body into markup for TinyXML.
      if (maybe_swallowed) return false;
      if (rest.substr(0, 4) == "<!--") {
        i = SkipPast(text, i + 4, "-->");
      } else if (rest.substr(0, 9) == "<![CDATA[") {
        i = SkipPast(text, i + 9, "]]>");
      } else if (rest[1] == '!') {
        i = SkipPast(text, i + 2, ">");
      } else {
        bool unused = false;
        i = ScanTag(text, i, false, &unused);
        if (i == kNpos) return false;
      }
      continue;
    }
    // A start tag: one level deeper until its end tag, unless "/>" ends it.
    if (++depth > kMaxNesting) return false;
    bool self_closing = false;
    i = ScanTag(text, i, true, &self_closing);
    if (i == kNpos) return false;
    if (self_closing) --depth;
  }
  return true;
}

bool IsBlank(wchar_t c) {
  return c == L' ' || c == L'\t' || c == L'\n' || c == L'\r' || c == L'\v' ||
         c == L'\f';
}

}  // namespace

bool CheckFieldAndFirstValue(const TiXmlNode* node, const std::string& name) {
  if (node == nullptr || name.empty()) return false;
  const TiXmlNode* field = node->FirstChild(name);
  if (field == nullptr) return false;
  return !field->NoChildren();
}

bool CredentialsPassed(TiXmlHandle document) {
  const TiXmlElement* element = document.FirstChild("string").ToElement();
  if (element == nullptr) return true;
  const TiXmlNode* content = element->FirstChild();
  if (content == nullptr) return true;
  return content->ValueStr() != kLoginErrorText;
}

namespace QM {

ReplyDocument::ReplyDocument(const void* reply, unsigned int length)
    : error_(true) {
  if (reply == nullptr && length != 0) return;
  // length + 1 bytes (plus the parser's slack), zero filled: the copy stops
  // at the reply's first zero byte, so the text is always terminated.
  std::vector<char> text;
  try {
    text.assign(static_cast<size_t>(length) + 1 + kParserSlack, '\0');
  } catch (const std::bad_alloc&) {
    return;
  }
  size_t count = 0;
  if (length != 0) {
    const char* bytes = static_cast<const char*>(reply);
    const void* zero = std::memchr(bytes, '\0', length);
    count = zero ? static_cast<size_t>(static_cast<const char*>(zero) - bytes)
                 : static_cast<size_t>(length);
    std::memcpy(text.data(), bytes, count);
  }
  if (!NestingWithinLimit(std::string_view(text.data(), count))) return;
  // TIXML_ENCODING_UNKNOWN lets TinyXML take the encoding from a byte-order
  // mark or the declaration. An empty text is reported as an error too.
  document_.Parse(text.data(), nullptr, TIXML_ENCODING_UNKNOWN);
  error_ = document_.Error();
}

const TiXmlNode* FirstDataSetRow(const TiXmlDocument& document) {
  const TiXmlElement* dataset = document.FirstChildElement("DataSet");
  if (dataset == nullptr) return nullptr;
  const TiXmlElement* diffgram = dataset->FirstChildElement("diffgr:diffgram");
  if (diffgram == nullptr) return nullptr;
  const TiXmlElement* rows = diffgram->FirstChildElement("NewDataSet");
  if (rows == nullptr) return nullptr;
  const TiXmlNode* first = rows->FirstChild();
  if (first == nullptr || first->ToElement() == nullptr) return nullptr;
  return first;
}

const TiXmlNode* NextDataSetRow(const TiXmlNode* row) {
  if (row == nullptr) return nullptr;
  return row->NextSibling();
}

std::string ReadFieldText(const TiXmlNode* node, const std::string& name) {
  if (!CheckFieldAndFirstValue(node, name)) return std::string();
  return node->FirstChild(name)->FirstChild()->ValueStr();
}

std::wstring ReadWideField(const TiXmlNode* node, const std::string& name) {
  return string_to_wstring(ReadFieldText(node, name));
}

unsigned int ParseUnsigned32(const std::wstring& text) {
  const unsigned long long kMax = std::numeric_limits<unsigned int>::max();
  size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  unsigned long long value = 0;
  for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
    // Once above the limit the value stays saturated; further digits cannot
    // overflow the 64-bit accumulator because it never exceeds kMax * 10 + 9.
    if (value <= kMax) value = value * 10 + static_cast<unsigned>(text[i] - L'0');
  }
  if (value > kMax) value = kMax;
  return static_cast<unsigned int>(value);
}

unsigned int ReadUnsignedField(const TiXmlNode* node, const std::string& name) {
  return ParseUnsigned32(ReadWideField(node, name));
}

}  // namespace QM
