// Measuring how deep TinyXML would nest the elements of a reply, before
// TinyXML sees it. TinyXML parses (and later frees) elements recursively, one
// call chain per level, so the measure must agree with TinyXML on where every
// element starts and ends: a start tag inside a quoted value, a comment or
// character data must not count, and an end tag that TinyXML reads as part of
// a text must not close anything. Rather than guessing at such cases, the
// reader below follows TinyXML's own tokenisation step by step, iteratively:
//
// - Encoding: UTF-8 when the text starts with a UTF-8 byte-order mark, else
//   decided by the first declaration at document level (no encoding value,
//   or one starting with "UTF-8" or "UTF8" in any case, means UTF-8; any
//   other value a legacy encoding). Until then, and in a legacy encoding, a
//   byte is a character. In UTF-8, texts and quoted values step over a whole
//   multi-byte character by its lead byte, whatever follows it (a '<' or a
//   closing quote included), and the byte-order-mark sequences count as
//   white space.
// - Texts and quoted values: "&#" and "&#x" jump past the next ';' when the
//   characters just before it, back to the nearest '#' (or 'x'), are digits,
//   however much lies in between; an unterminated or bad one stops the parse.
// - A comment ends at the first "-->", character data at the first "]]>",
//   any other "<!" or unrecognised markup ("<?pi ...?>" too) at the first
//   '>', quotes or not.
// - "<?xml" in any case, "<?xml-stylesheet" included, is a declaration: words
//   starting with version, encoding or standalone are read as attributes
//   with quoted values, other words are skipped up to a blank or '>', and it
//   ends at a '>' between words.
// - Elements: the name starts with a letter, '_' or any byte from 127 on;
//   each attribute needs '=' and a value; a quoted value ends at its own
//   quote, an unquoted one at a blank, '/' or '>'; the end tag is "</", the
//   name, blanks and '>'.
// - At document level, anything but markup ends the parse (without an error
//   if something was read), and nothing after it is looked at.
//
// TinyXML stops at its first error and so does the reader (bad names,
// missing '=', a quote in an unquoted value, a repeated attribute, a wrong
// end tag), so the count is exactly the number of elements TinyXML holds open
// at once, on good and bad replies alike: no case is left ambiguous, so no
// safety margin is needed and the bound holds exactly both ways. Character
// classes are the C library's, called as TinyXML calls them. The
// differential test compares the count with TinyXML's own parse of generated
// replies, and so also catches a TinyXML whose reading has changed.
#include "client/reply_nesting.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <string>
#include <vector>

#include "client/reply_document.h"

namespace QM {

namespace {

// The position of a parse that has stopped. It reads as a zero byte, like
// the end of the text, and both end the parse.
const size_t kStop = std::string_view::npos;

// Bytes of a declaration's encoding value kept: enough to tell "UTF-8".
const size_t kEncodingKept = 8;

enum class Encoding { kUndecided, kUtf8, kLegacy };
enum class Markup { kDeclaration, kComment, kCData, kOther, kElement };

struct NamedEntity {
  std::string_view text;
  char value;
};
const NamedEntity kNamedEntities[] = {
    {"&amp;", '&'},  {"&lt;", '<'},    {"&gt;", '>'},
    {"&quot;", '"'}, {"&apos;", '\''},
};

// Bytes of the UTF-8 character starting with `lead`, as TinyXML counts
// them: 1 for a byte that cannot start a longer character.
size_t Utf8Length(unsigned char lead) {
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 1;
}

bool IsWhiteSpace(unsigned char c) { return std::isspace(c) != 0; }

// TinyXML takes every byte from 127 on for a letter.
bool IsAlpha(unsigned char c) { return c >= 127 || std::isalpha(c) != 0; }

bool IsNameByte(unsigned char c) {
  return c >= 127 || std::isalnum(c) != 0 || c == '_' || c == '-' || c == '.' ||
         c == ':';
}

// Value of the digit `c`, or -1.
int DigitValue(unsigned char c, bool hex) {
  if (c >= '0' && c <= '9') return c - '0';
  if (hex && c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (hex && c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Whether `text` starts with `lower` (lower case), ignoring ASCII case.
bool StartsNoCase(std::string_view text, std::string_view lower) {
  if (text.size() < lower.size()) return false;
  for (size_t i = 0; i < lower.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) != lower[i])
      return false;
  }
  return true;
}

// The encoding a declaration's value selects; the value is read as TinyXML
// reads it, as a C string.
Encoding EncodingNamed(std::string_view value) {
  value = value.substr(0, value.find('\0'));
  const bool utf8 = value.empty() || StartsNoCase(value, "utf-8") ||
                    StartsNoCase(value, "utf8");
  return utf8 ? Encoding::kUtf8 : Encoding::kLegacy;
}

// One pass over a reply text in TinyXML's order, counting open elements.
class NestingReader {
 public:
  NestingReader(std::string_view text, size_t cap)
      : text_(text.substr(0, text.find('\0'))), cap_(cap) {}

  // The document: markup nodes until the text ends or is not markup.
  size_t Read() {
    if (At(0) == 0xEF && At(1) == 0xBB && At(2) == 0xBF)
      encoding_ = Encoding::kUtf8;
    size_t p = SkipWhiteSpace(0);
    while (At(p) == '<') {
      const Markup markup = Identify(p);
      if (markup == Markup::kElement) {
        p = ReadElement(p);
      } else if (markup == Markup::kDeclaration &&
                 encoding_ == Encoding::kUndecided) {
        std::string value;
        p = ReadDeclaration(p, &value);
        encoding_ = EncodingNamed(value);
      } else {
        p = ReadMarkup(markup, p);
      }
      p = SkipWhiteSpace(p);
    }
    return exceeded_ ? cap_ + 1 : deepest_;
  }

 private:
  unsigned char At(size_t p) const {
    return p < text_.size() ? static_cast<unsigned char>(text_[p]) : 0;
  }

  bool Starts(size_t p, std::string_view s) const {
    return p < text_.size() && text_.compare(p, s.size(), s) == 0;
  }

  // Position after the first `end` from `from` on, or a stop.
  size_t SkipPast(size_t from, std::string_view end) const {
    const size_t at = text_.find(end, from);
    return at == std::string_view::npos ? kStop : at + end.size();
  }

  // Whether the bytes at `p` (a 0xEF) are one of the byte-order-mark
  // sequences that TinyXML skips as white space in UTF-8.
  bool IsZeroWidth(size_t p) const {
    return (At(p + 1) == 0xBB && At(p + 2) == 0xBF) ||
           (At(p + 1) == 0xBF && (At(p + 2) == 0xBE || At(p + 2) == 0xBF));
  }

  size_t SkipWhiteSpace(size_t p) const {
    for (;;) {
      const unsigned char c = At(p);
      if (encoding_ == Encoding::kUtf8 && c == 0xEF && IsZeroWidth(p)) {
        p += 3;
      } else if (c != 0 && IsWhiteSpace(c)) {
        ++p;
      } else {
        return p;
      }
    }
  }

  // Position after the name at `p`; a stop when no name starts there.
  size_t ReadName(size_t p) const {
    if (!IsAlpha(At(p)) && At(p) != '_') return kStop;
    while (IsNameByte(At(p))) ++p;
    return p;
  }

  // Appends a decoded byte to `decoded`, when that is wanted, up to
  // kEncodingKept bytes.
  static void Keep(std::string* decoded, char c) {
    if (decoded != nullptr && decoded->size() < kEncodingKept)
      decoded->push_back(c);
  }

  // One character of a text or quoted value at `p` (not the end): a whole
  // UTF-8 character, an entity or one byte. `decoded` is only asked for
  // while the encoding is undecided, when a character is one byte.
  size_t ReadChar(size_t p, std::string* decoded) const {
    const unsigned char c = At(p);
    if (encoding_ == Encoding::kUtf8 && Utf8Length(c) > 1)
      return p + Utf8Length(c);
    if (c == '&') return ReadEntity(p, decoded);
    Keep(decoded, static_cast<char>(c));
    return p + 1;
  }

  // The entity at the '&' at `p`. A numeric one is read backwards from the
  // next ';' to the nearest '#' or 'x'; an unknown '&' is dropped.
  size_t ReadEntity(size_t p, std::string* decoded) const {
    if (At(p + 1) == '#' && At(p + 2) != 0) {
      const bool hex = At(p + 2) == 'x';
      if (hex && At(p + 3) == 0) return kStop;
      const size_t semicolon = text_.find(';', p + (hex ? 3 : 2));
      if (semicolon == std::string_view::npos) return kStop;
      uint64_t code = 0;
      uint32_t scale = 1;
      for (size_t q = semicolon - 1; At(q) != static_cast<unsigned char>(hex ? 'x' : '#'); --q) {
        const int digit = DigitValue(At(q), hex);
        if (digit < 0) return kStop;
        // A 32-bit product, wrapping as TinyXML's own does.
        code += static_cast<uint64_t>(scale * static_cast<uint32_t>(digit));
        scale *= hex ? 16 : 10;
      }
      Keep(decoded, static_cast<char>(code));
      return semicolon + 1;
    }
    for (const NamedEntity& entity : kNamedEntities) {
      if (Starts(p, entity.text)) {
        Keep(decoded, entity.value);
        return p + entity.text.size();
      }
    }
    return p + 1;
  }

  // Characters up to `end`, then past it; a stop when the text ends before
  // `end` or right after it. TinyXML skips white space around the words of a
  // text node byte by byte (a zero-width sequence as three bytes), landing on
  // the same positions as reading it as characters, so texts use this too.
  size_t ReadText(size_t p, std::string_view end, std::string* decoded) const {
    while (At(p) != 0 && !Starts(p, end)) p = ReadChar(p, decoded);
    if (At(p) == 0) return kStop;
    p += end.size();
    return At(p) != 0 ? p : kStop;
  }

  // One attribute: name, '=', value. `value` receives the decoded value.
  size_t ReadAttribute(size_t p, std::string_view* name,
                       std::string* value) const {
    const size_t start = SkipWhiteSpace(p);
    p = ReadName(start);
    if (At(p) == 0) return kStop;
    *name = text_.substr(start, p - start);
    p = SkipWhiteSpace(p);
    if (At(p) != '=') return kStop;
    p = SkipWhiteSpace(p + 1);
    const unsigned char quote = At(p);
    if (quote == '"') return ReadText(p + 1, "\"", value);
    if (quote == '\'') return ReadText(p + 1, "'", value);
    for (; At(p) != 0 && !IsWhiteSpace(At(p)) && At(p) != '/' && At(p) != '>';
         ++p) {
      if (At(p) == '"' || At(p) == '\'') return kStop;
      Keep(value, static_cast<char>(At(p)));
    }
    return p;
  }

  // The declaration at `p`. `encoding` (when wanted) receives the value of
  // the last encoding attribute.
  size_t ReadDeclaration(size_t p, std::string* encoding) const {
    p += 5;  // "<?xml"
    while (At(p) != 0) {
      if (At(p) == '>') return p + 1;
      p = SkipWhiteSpace(p);
      if (At(p) == 0) break;
      const std::string_view rest = text_.substr(p);
      std::string_view name;
      if (StartsNoCase(rest, "version") || StartsNoCase(rest, "standalone")) {
        p = ReadAttribute(p, &name, nullptr);
      } else if (StartsNoCase(rest, "encoding")) {
        if (encoding != nullptr) encoding->clear();
        p = ReadAttribute(p, &name, encoding);
      } else {
        while (At(p) != 0 && At(p) != '>' && !IsWhiteSpace(At(p))) ++p;
      }
    }
    return kStop;
  }

  // What TinyXML makes of the markup at the '<' at `p`.
  Markup Identify(size_t p) const {
    if (StartsNoCase(text_.substr(p), "<?xml")) return Markup::kDeclaration;
    if (Starts(p, "<!--")) return Markup::kComment;
    if (Starts(p, "<![CDATA[")) return Markup::kCData;
    if (Starts(p, "<!")) return Markup::kOther;
    return IsAlpha(At(p + 1)) || At(p + 1) == '_' ? Markup::kElement
                                                  : Markup::kOther;
  }

  // Markup other than an element, at `p`.
  size_t ReadMarkup(Markup markup, size_t p) const {
    switch (markup) {
      case Markup::kDeclaration:
        return ReadDeclaration(p, nullptr);
      case Markup::kComment:
        return SkipPast(p + 4, "-->");
      case Markup::kCData:
        return SkipPast(p + 9, "]]>");
      default:
        return SkipPast(p + 1, ">");
    }
  }

  // The attributes of a start tag up to its '>' (content follows) or "/>"
  // (`*empty` set). A repeated name stops the parse; names are compared one
  // by one, as TinyXML compares them.
  size_t ReadAttributes(size_t p, bool* empty) {
    names_.clear();
    for (;;) {
      p = SkipWhiteSpace(p);
      if (At(p) == 0) return kStop;
      if (At(p) == '/') {
        *empty = true;
        return At(p + 1) == '>' ? p + 2 : kStop;
      }
      if (At(p) == '>') return p + 1;
      std::string_view name;
      p = ReadAttribute(p, &name, nullptr);
      if (At(p) == 0 ||
          std::find(names_.begin(), names_.end(), name) != names_.end())
        return kStop;
      names_.push_back(name);
    }
  }

  // The content of the innermost open element, and of its parents as end
  // tags close them. Returns at the '<' of the next child element, after the
  // end tag of the outermost element, or a stop.
  size_t ReadContent(size_t p) {
    while (!open_.empty()) {
      p = SkipWhiteSpace(p);
      if (At(p) == 0) return kStop;
      if (At(p) != '<') {
        // A text node ends at the '<' it lands on, which must not be last.
        p = ReadText(p, "<", nullptr);
        if (p != kStop) --p;
      } else if (Starts(p, "</")) {
        const std::string_view name = open_.back();
        if (!Starts(p + 2, name)) return kStop;
        p = SkipWhiteSpace(p + 2 + name.size());
        if (At(p) != '>') return kStop;
        open_.pop_back();
        ++p;
      } else {
        const Markup markup = Identify(p);
        if (markup == Markup::kElement) return p;
        p = ReadMarkup(markup, p);
      }
    }
    return p;
  }

  // The element at the '<' at `p` with everything in it, TinyXML's recursion
  // unrolled: the open elements' names are kept on a stack.
  size_t ReadElement(size_t p) {
    do {
      if (open_.size() == cap_) {
        exceeded_ = true;
        return kStop;
      }
      // TinyXML has entered the element even if its name is then unreadable.
      deepest_ = std::max(deepest_, open_.size() + 1);
      const size_t start = SkipWhiteSpace(p + 1);
      p = ReadName(start);
      if (At(p) == 0) return kStop;
      open_.push_back(text_.substr(start, p - start));
      bool empty = false;
      p = ReadAttributes(p, &empty);
      if (At(p) == 0) return kStop;
      if (empty) open_.pop_back();
      p = ReadContent(p);
    } while (!open_.empty() && At(p) != 0);
    return p;
  }

  const std::string_view text_;
  const size_t cap_;
  Encoding encoding_ = Encoding::kUndecided;
  std::vector<std::string_view> open_;   // names of the open elements
  std::vector<std::string_view> names_;  // attribute names of a start tag
  size_t deepest_ = 0;
  bool exceeded_ = false;
};

}  // namespace

size_t ReplyNestingDepth(std::string_view text, size_t cap) {
  return NestingReader(text, cap).Read();
}

bool ReplyNestingWithinLimit(std::string_view text) {
  return ReplyNestingDepth(text, kMaxReplyNesting) <= kMaxReplyNesting;
}

}  // namespace QM
