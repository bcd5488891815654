// Reply documents: copying the reply into a zero-terminated text, parsing it,
// the DataSet row walk and the field readers shared by the XML parsers.
#include "client/reply_document.h"

#include <cstring>
#include <limits>
#include <new>
#include <string_view>
#include <vector>

#include "client/reply_nesting.h"
#include "protocol/text_convert.h"

namespace {

const char kLoginErrorText[] = "Login Error";

// Zero bytes kept after the terminator of the text. Reading UTF-8, TinyXML
// steps over a whole multi-byte character even when its lead byte is the
// last byte of the text, landing up to three bytes past the terminator.
const size_t kParserSlack = 3;

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
  // Deeper nesting than kMaxReplyNesting is refused before TinyXML, which
  // recurses once per level, could exhaust the stack on it.
  if (!ReplyNestingWithinLimit(std::string_view(text.data(), count))) return;
  // TIXML_ENCODING_UNKNOWN lets TinyXML take the encoding from a byte-order
  // mark or the declaration. An empty text is reported as an error too. A
  // tab size of 0 turns off the line and column stamping of every node,
  // which nothing here reads and which costs several percent of a parse.
  document_.SetTabSize(0);
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
