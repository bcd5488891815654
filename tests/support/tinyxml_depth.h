// The reference depth of the reply-nesting guard, shared by its
// differential test and its fuzz target: how deep the tree that TinyXML
// built goes.
#pragma once

#include <tinyxml.h>

#include <algorithm>
#include <cstddef>

namespace qmtest {

// Elements on the path from `document` to its deepest element (0 when it
// holds none). TinyXML keeps every element it entered, also when its parse
// failed, so this is also how deep a failed parse went. Walks the tree
// without recursion.
inline size_t DeepestElement(const TiXmlDocument& document) {
  size_t above = 0;  // elements above `node`
  size_t deepest = 0;
  const TiXmlNode* node = document.FirstChild();
  while (node != nullptr) {
    if (node->ToElement() != nullptr) deepest = std::max(deepest, above + 1);
    if (node->FirstChild() != nullptr) {
      ++above;
      node = node->FirstChild();
      continue;
    }
    while (node != nullptr && node->NextSibling() == nullptr) {
      node = node->Parent() == &document ? nullptr : node->Parent();
      --above;
    }
    if (node != nullptr) node = node->NextSibling();
  }
  return deepest;
}

}  // namespace qmtest
