// Opening and walking the XML replies of the server. Every XML reply parser
// of the client starts by wrapping the reply bytes in a ReplyDocument, then
// walks one of three layouts: DataSet rows (DataSet / diffgr:diffgram /
// NewDataSet / rows), a named record, or a named list; the fields of a row
// or record are child elements whose first child node holds the value.
//
// The two checks shared by all parsers, CheckFieldAndFirstValue and
// CredentialsPassed, are free functions in the global namespace; the
// document wrapper and the walking and field-reading helpers live in QM.
#ifndef QM_CLIENT_REPLY_DOCUMENT_H_
#define QM_CLIENT_REPLY_DOCUMENT_H_

#include <string>

#include <tinyxml.h>

// True when `node` is not null, `name` is not empty, `node` has a child whose
// value (element name) is `name`, and that child has at least one child node
// of its own. A field written as a self-closing tag therefore gives false.
bool CheckFieldAndFirstValue(const TiXmlNode* node, const std::string& name);

// False only for the login failure reply: a document whose first child named
// "string" is an element whose first child node has the value "Login Error".
// Any other document, an element without content included, passes.
bool CredentialsPassed(TiXmlHandle document);

namespace QM {

// Deepest element nesting a reply may have: the number of elements on the
// path from the document to its deepest element. The reply format needs no
// such bound (real replies nest fewer than ten levels); it is a deliberate
// hardening, because TinyXML recurses once per level while parsing and
// freeing and a reply nested tens of thousands deep would overflow the stack.
// Deeper replies are refused before TinyXML sees them; any reply within the
// bound reaches TinyXML.
const unsigned int kMaxReplyNesting = 1000;

// Owns the parsed document of one reply. The reply text is the reply up to
// its first zero byte (or its whole length): it is copied into a zero-filled
// buffer of length + 1 bytes (plus three more zero bytes, because TinyXML
// reading UTF-8 may step up to three bytes past the terminator when the text
// ends inside a multi-byte character), parsed by TinyXML with the encoding
// detected from the text (a UTF-8 byte-order mark or a declaration), and the
// buffer is released again. Before parsing, texts that TinyXML would nest
// deeper than kMaxReplyNesting are refused (ReplyNestingWithinLimit, which
// reads the text as TinyXML does). The reply bytes are only read during
// construction.
class ReplyDocument {
 public:
  // `reply` may be null only when `length` is 0. A null reply, an empty text,
  // text that TinyXML does not parse without error, nesting beyond
  // kMaxReplyNesting or a buffer that cannot be allocated make Error() true.
  ReplyDocument(const void* reply, unsigned int length);

  ReplyDocument(const ReplyDocument&) = delete;
  ReplyDocument& operator=(const ReplyDocument&) = delete;

  // True when there is no usable document.
  bool Error() const { return error_; }
  // The document; empty when Error() is true. Valid while this object lives.
  const TiXmlDocument& Document() const { return document_; }
  // A handle on the document for CredentialsPassed and path lookups.
  TiXmlHandle Handle() { return TiXmlHandle(&document_); }

 private:
  TiXmlDocument document_;
  bool error_;
};

// The first row of a DataSet reply: the first child of
// DataSet / diffgr:diffgram / NewDataSet (first child elements of those
// names), provided that child is an element. Null when any step is missing or
// the first child is not an element (an empty NewDataSet, or one starting
// with a comment). The pointer lives as long as the document.
const TiXmlNode* FirstDataSetRow(const TiXmlDocument& document);

// The row after `row`: its next sibling node, whatever its type. Null at the
// end or for a null row.
const TiXmlNode* NextDataSetRow(const TiXmlNode* row);

// Text of the field `name` of a row or record: the value of the field
// element's first child node (entities decoded by TinyXML), or the empty text
// when CheckFieldAndFirstValue does not hold.
std::string ReadFieldText(const TiXmlNode* node, const std::string& name);

// ReadFieldText widened byte by byte (string_to_wstring).
std::wstring ReadWideField(const TiXmlNode* node, const std::string& name);

// Unsigned 32-bit number of a wide text: leading blanks (space, tab, line
// breaks) are skipped, then decimal digits are read up to the first
// character that is not a digit. No digits (empty text, a sign, letters)
// gives 0. A number above 4294967295 saturates at 4294967295.
unsigned int ParseUnsigned32(const std::wstring& text);

// ParseUnsigned32 of ReadWideField: 0 for a missing, empty or non-numeric
// field.
unsigned int ReadUnsignedField(const TiXmlNode* node, const std::string& name);

}  // namespace QM

#endif  // QM_CLIENT_REPLY_DOCUMENT_H_
