// Numeric and flag field readers of the service replies.
#include "services/reply_fields.h"

#include <cstdlib>

#include "client/reply_document.h"

namespace QM {

int ReadIntField(const TiXmlNode* node, const std::string& name) {
  const std::string text = ReadFieldText(node, name);
  const long value = std::strtol(text.c_str(), nullptr, 10);
  // Keep the low 32 bits (two's complement), as atoi's conversion does.
  return static_cast<int>(static_cast<unsigned int>(
      static_cast<unsigned long>(value)));
}

unsigned int ReadIntFieldAsUnsigned(const TiXmlNode* node,
                                    const std::string& name) {
  return static_cast<unsigned int>(ReadIntField(node, name));
}

bool ReadFlagField(const TiXmlNode* node, const std::string& name) {
  return ReadFieldText(node, name) == "true";
}

}  // namespace QM
