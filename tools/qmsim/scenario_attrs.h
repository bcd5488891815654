// Reading the attributes of scenario elements: every reader names the line
// and the attribute in its message, so that a mistake in a scenario is
// reported where it is instead of falling back to a default.
#ifndef QMSIM_SCENARIO_ATTRS_H
#define QMSIM_SCENARIO_ATTRS_H

#include <cstdint>
#include <initializer_list>
#include <string>

class TiXmlElement;

namespace qmsim {

// "line N: " for an element.
std::string At(const TiXmlElement* e);

// Refuses any attribute of e not in `known`. False with a message naming the
// attribute and the wanted ones.
bool OnlyKnownAttributes(const TiXmlElement* e, std::initializer_list<const char*> known,
                         std::string* error);

// Reads an unsigned attribute of at most `max`. A missing attribute is an
// error when required, else leaves *out as it is.
bool ReadUnsignedAttr(const TiXmlElement* e, const char* name, bool required,
                      std::uint32_t* out, std::string* error,
                      std::uint32_t max = 0xFFFFFFFFu);

// Reads an optional "true"/"false" attribute (nothing else is accepted).
bool ReadBoolAttr(const TiXmlElement* e, const char* name, bool* out, std::string* error);

// Reads an optional text attribute of at most max_bytes bytes.
bool ReadTextAttr(const TiXmlElement* e, const char* name, std::string* out,
                  std::string* error, std::size_t max_bytes = 255);

// Reads an optional attribute of hexadecimal byte pairs (blanks between the
// pairs allowed) into bytes, at most max_bytes of them.
bool ReadHexAttr(const TiXmlElement* e, const char* name, std::string* out,
                 std::string* error, std::size_t max_bytes);

}  // namespace qmsim

#endif  // QMSIM_SCENARIO_ATTRS_H
