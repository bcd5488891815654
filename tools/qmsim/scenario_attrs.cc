#include "scenario_attrs.h"

#include <tinyxml.h>

#include "envelope.h"

namespace qmsim {
namespace {

// The start of every message about an attribute.
std::string AttrAt(const TiXmlElement* e, const char* name) {
  return At(e) + "attribute \"" + name + "\" of <" + e->ValueStr() + "> ";
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string At(const TiXmlElement* e) {
  return "line " + std::to_string(e->Row()) + ": ";
}

bool OnlyKnownAttributes(const TiXmlElement* e, std::initializer_list<const char*> known,
                         std::string* error) {
  for (const TiXmlAttribute* a = e->FirstAttribute(); a; a = a->Next()) {
    bool found = false;
    for (const char* name : known) found = found || a->NameTStr() == name;
    if (found) continue;
    std::string wanted;
    for (const char* name : known) wanted += std::string(wanted.empty() ? "" : ", ") + name;
    *error = At(e) + "unknown attribute \"" + a->NameTStr() + "\" on <" + e->ValueStr() +
             "> (want " + (wanted.empty() ? std::string("none") : wanted) + ")";
    return false;
  }
  return true;
}

bool ReadUnsignedAttr(const TiXmlElement* e, const char* name, bool required,
                      std::uint32_t* out, std::string* error, std::uint32_t max) {
  const char* value = e->Attribute(name);
  if (!value) {
    if (!required) return true;
    *error = At(e) + "<" + e->ValueStr() + "> lacks attribute \"" + name + "\"";
    return false;
  }
  std::uint32_t v = 0;
  if (!ParseUnsigned32(value, &v)) {
    *error = At(e) + "attribute \"" + name + "\" is not an unsigned number: \"" +
             value + "\"";
    return false;
  }
  if (v > max) {
    *error = AttrAt(e, name) + "is above " + std::to_string(max) + ": " + value;
    return false;
  }
  *out = v;
  return true;
}

bool ReadBoolAttr(const TiXmlElement* e, const char* name, bool* out, std::string* error) {
  const char* value = e->Attribute(name);
  if (!value) return true;
  const std::string text = value;
  if (text != "true" && text != "false") {
    *error = AttrAt(e, name) + "must be true or false, not \"" + text + "\"";
    return false;
  }
  *out = text == "true";
  return true;
}

bool ReadTextAttr(const TiXmlElement* e, const char* name, std::string* out,
                  std::string* error, std::size_t max_bytes) {
  const char* value = e->Attribute(name);
  if (!value) return true;
  const std::string text = value;
  if (text.size() > max_bytes) {
    *error = AttrAt(e, name) + "is longer than " + std::to_string(max_bytes) + " bytes";
    return false;
  }
  *out = text;
  return true;
}

bool ReadHexAttr(const TiXmlElement* e, const char* name, std::string* out,
                 std::string* error, std::size_t max_bytes) {
  const char* value = e->Attribute(name);
  if (!value) return true;
  std::string bytes;
  int high = -1;
  for (const char* p = value; *p; ++p) {
    if (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r') {
      if (high >= 0) break;  // a lone digit before a blank: reported below
      continue;
    }
    const int digit = HexDigit(*p);
    if (digit < 0) {
      *error = AttrAt(e, name) + "holds \"" + std::string(1, *p) + "\", not a hex digit";
      return false;
    }
    if (high < 0) {
      high = digit;
      continue;
    }
    if (bytes.size() == max_bytes) {
      *error = AttrAt(e, name) + "holds more than " + std::to_string(max_bytes) + " bytes";
      return false;
    }
    bytes += static_cast<char>(high * 16 + digit);
    high = -1;
  }
  if (high >= 0) {
    *error = AttrAt(e, name) + "has an odd hex digit (write bytes as pairs)";
    return false;
  }
  *out = bytes;
  return true;
}

}  // namespace qmsim
