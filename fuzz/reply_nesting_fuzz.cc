// The reply-nesting guard against TinyXML itself. The input, cut at its
// first zero byte into a zero-filled buffer as the reply document does, is
// measured by the guard; when the guard counts at most kReferenceDepth
// levels (TinyXML recurses once per level, so deeper texts would overflow
// its stack), TinyXML parses it too and the deepest element of the tree it
// builds (it keeps every element it entered, also when the parse fails)
// must be exactly the guard's count. The verdict ReplyNestingWithinLimit
// must follow from the count, and the reply document must refuse exactly
// the texts nested past the bound.
#include <tinyxml.h>

#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

#include "client/reply_document.h"
#include "client/reply_nesting.h"
#include "fuzz/fuzz_input.h"
#include "tests/support/tinyxml_depth.h"

namespace {

const size_t kLimit = QM::kMaxReplyNesting;
// Deepest text handed to TinyXML: a few times the bound, shallow enough for
// the stack of a sanitizer build.
const size_t kReferenceDepth = 3 * kLimit;

// The deepest element of the tree TinyXML builds from `text`.
size_t TinyXmlDepth(const char* text) {
  TiXmlDocument document;
  document.Parse(text, nullptr, TIXML_ENCODING_UNKNOWN);
  return qmtest::DeepestElement(document);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* bytes = reinterpret_cast<const char*>(data);
  const void* zero = std::memchr(bytes, '\0', size);
  const size_t count = zero ? static_cast<size_t>(static_cast<const char*>(zero) - bytes) : size;
  // The text, its terminator and the parser's slack of three zero bytes.
  std::vector<char> text(count + 4, '\0');
  std::memcpy(text.data(), bytes, count);
  const std::string_view view(text.data(), count);

  const size_t depth = QM::ReplyNestingDepth(view, kReferenceDepth);
  FUZZ_CHECK(depth <= kReferenceDepth + 1);
  FUZZ_CHECK(QM::ReplyNestingWithinLimit(view) == (depth <= kLimit));
  FUZZ_CHECK(QM::ReplyNestingDepth(view, kLimit) == std::min(depth, kLimit + 1));
  if (depth <= kReferenceDepth) FUZZ_CHECK(TinyXmlDepth(text.data()) == depth);

  // The reply document refuses every text nested past the bound and hands
  // every other one to TinyXML, whose verdict it reports.
  QM::ReplyDocument document(data, static_cast<unsigned int>(size));
  if (depth > kLimit) {
    FUZZ_CHECK(document.Error());
  } else {
    TiXmlDocument reference;
    reference.Parse(text.data(), nullptr, TIXML_ENCODING_UNKNOWN);
    FUZZ_CHECK(document.Error() == (reference.Error() || count == 0));
  }
  return 0;
}
