// How deep TinyXML nests the elements of a reply text, measured without
// TinyXML. Only the reply-document wrapper and its tests use this header.
#ifndef QM_CLIENT_REPLY_NESTING_H_
#define QM_CLIENT_REPLY_NESTING_H_

#include <cstddef>
#include <string_view>

namespace QM {

// The largest number of elements TinyXML's parse of `text` holds open at
// once, which is also how deep its parse recurses: the depth of the deepest
// element when the text parses without error, else the depth reached before
// the parse stopped. `text` is the reply text without its terminator; bytes
// past its end read as the zero bytes of the buffer that TinyXML parses. The
// count follows TinyXML's own reading of every construct (see the source
// file) and stops as soon as it exceeds `cap`: the result is then cap + 1.
// Memory used grows with the depth counted, never beyond cap + 1 names.
size_t ReplyNestingDepth(std::string_view text, size_t cap);

// True when ReplyNestingDepth(text) is at most kMaxReplyNesting, that is
// when TinyXML may parse `text` without recursing past that bound.
bool ReplyNestingWithinLimit(std::string_view text);

}  // namespace QM

#endif  // QM_CLIENT_REPLY_NESTING_H_
