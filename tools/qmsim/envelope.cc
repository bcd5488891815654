#include "envelope.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <tinyxml.h>

namespace qmsim {
namespace {

// Removes leading and trailing blanks (space, tab, CR, LF).
std::string TrimBlanks(const std::string& text) {
  const char* blanks = " \t\r\n";
  const std::size_t first = text.find_first_not_of(blanks);
  if (first == std::string::npos) return std::string();
  const std::size_t last = text.find_last_not_of(blanks);
  return text.substr(first, last - first + 1);
}

// Parses trimmed digits into a 64-bit value with at most 10 digits.
bool ParseDigits(const std::string& digits, std::uint64_t* out) {
  if (digits.empty() || digits.size() > 10) return false;
  std::uint64_t v = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + static_cast<std::uint64_t>(c - '0');
  }
  *out = v;
  return true;
}

// The element name without its namespace prefix ("a1:X" -> "X").
const char* LocalName(const TiXmlElement* element) {
  const char* name = element->Value();
  const char* colon = std::strrchr(name, ':');
  return colon ? colon + 1 : name;
}

// First child element of parent whose local name is `name`; null when none.
const TiXmlElement* ChildByLocalName(const TiXmlNode* parent, const char* name) {
  if (!parent) return nullptr;
  for (const TiXmlElement* e = parent->FirstChildElement(); e;
       e = e->NextSiblingElement()) {
    if (std::strcmp(LocalName(e), name) == 0) return e;
  }
  return nullptr;
}

// The text of a field element: its first child when that is a text node,
// else empty.
std::string FieldText(const TiXmlElement* field) {
  if (!field) return std::string();
  const TiXmlNode* first = field->FirstChild();
  if (!first || !first->ToText()) return std::string();
  return first->ValueStr();
}

}  // namespace

void KeepXmlWhiteSpace() {
  static std::once_flag once;
  std::call_once(once, [] { TiXmlBase::SetCondenseWhiteSpace(false); });
}

bool ParseUnsigned32(const std::string& text, std::uint32_t* out) {
  std::uint64_t v = 0;
  if (!ParseDigits(TrimBlanks(text), &v) || v > 0xFFFFFFFFull) return false;
  *out = static_cast<std::uint32_t>(v);
  return true;
}

bool ParseSigned32(const std::string& text, std::int32_t* out) {
  std::string t = TrimBlanks(text);
  const bool negative = !t.empty() && t[0] == '-';
  if (negative) t.erase(0, 1);
  std::uint64_t v = 0;
  if (!ParseDigits(t, &v)) return false;
  if (negative ? v > 2147483648ull : v > 2147483647ull) return false;
  *out = negative ? static_cast<std::int32_t>(-static_cast<std::int64_t>(v))
                  : static_cast<std::int32_t>(v);
  return true;
}

bool ParseEnvelope(const std::string& text, SimRequest* out, std::string* error) {
  // The text ends at its first NUL byte, as a C string would.
  const std::string body = text.substr(0, text.find('\0'));
  if (static_cast<std::size_t>(std::count(body.begin(), body.end(), '<')) >
      kMaxEnvelopeMarkup) {
    *error = "envelope has too much markup";
    return false;
  }
  KeepXmlWhiteSpace();
  TiXmlDocument doc;
  doc.Parse(body.c_str());
  if (doc.Error()) {
    *error = std::string("envelope is not well-formed XML: ") + doc.ErrorDesc();
    return false;
  }
  const TiXmlElement* envelope = ChildByLocalName(&doc, "Envelope");
  const TiXmlElement* soap_body = ChildByLocalName(envelope, "Body");
  const TiXmlElement* header = ChildByLocalName(soap_body, "ClientRequestHeader");
  if (!header) {
    *error = "envelope has no ClientRequestHeader";
    return false;
  }
  SimRequest request;
  if (!ParseUnsigned32(FieldText(ChildByLocalName(header, "CommandCode")),
                       &request.command)) {
    *error = "envelope has no numeric CommandCode";
    return false;
  }
  request.uid = FieldText(ChildByLocalName(header, "UID"));
  request.pwd = FieldText(ChildByLocalName(header, "PWD"));
  if (!ParseUnsigned32(FieldText(ChildByLocalName(header, "CookieID")),
                       &request.cookie)) {
    request.cookie = 0;
  }
  const TiXmlElement* params = ChildByLocalName(soap_body, "CommonCMDHeader");
  request.camera_valid = ParseSigned32(
      FieldText(ChildByLocalName(params, "IntParameter1")), &request.camera);
  request.str1 = FieldText(ChildByLocalName(params, "StrParameter1"));
  request.str2 = FieldText(ChildByLocalName(params, "StrParameter2"));
  request.int2_valid = ParseSigned32(
      FieldText(ChildByLocalName(params, "IntParameter2")), &request.int2);
  request.int3_valid = ParseSigned32(
      FieldText(ChildByLocalName(params, "IntParameter3")), &request.int3);
  request.str3 = FieldText(ChildByLocalName(params, "StrParameter3"));
  for (const TiXmlElement* item = ChildByLocalName(ChildByLocalName(soap_body, "Array"), "item");
       item; item = item->NextSiblingElement("item")) {
    std::uint32_t id = 0;
    const bool number = ParseUnsigned32(FieldText(item), &id);
    request.stream_items.push_back(number ? id : kBadStreamItem);
  }
  *out = request;
  return true;
}

}  // namespace qmsim
