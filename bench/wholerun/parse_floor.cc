// The parse floor's one C++ piece: a reply text parsed into a TinyXML
// document, as qmrecinfo must (encoding detected from the text).
#include <tinyxml.h>

extern "C" int qm_parse_floor(const char* text) {
  TiXmlDocument document;
  document.Parse(text, nullptr, TIXML_ENCODING_UNKNOWN);
  return document.Error() ? 1 : 0;
}
