// Extracting the request fields from a request envelope.
#ifndef QMSIM_ENVELOPE_H
#define QMSIM_ENVELOPE_H

#include <cstdint>
#include <string>
#include <vector>

namespace qmsim {

// Most markup openings ('<') an envelope may hold. The client's envelopes hold
// about 40; the bound keeps the recursive XML parser's nesting depth (and so
// its stack use) small whatever a peer sends.
constexpr std::size_t kMaxEnvelopeMarkup = 1024;

// The fields of one request that the stand-in uses. Texts are the 8-bit
// element texts with entities decoded and white space kept as sent.
struct SimRequest {
  std::uint32_t command = 0;
  std::string uid;
  std::string pwd;
  std::uint32_t cookie = 0;     // 0 when missing or not a number
  bool camera_valid = false;    // IntParameter1 present and a 32-bit integer
  std::int32_t camera = 0;      // IntParameter1
  std::string str1;             // StrParameter1, empty when missing or empty
  std::string str2;             // StrParameter2, empty when missing or empty
  bool int2_valid = false;      // IntParameter2 present and a 32-bit integer
  std::int32_t int2 = 0;        // IntParameter2
  bool int3_valid = false;      // IntParameter3 present and a 32-bit integer
  std::int32_t int3 = 0;        // IntParameter3
  std::string str3;             // StrParameter3, empty when missing or empty
  // The items of the SOAP array of a camera-stream request (no
  // CommonCMDHeader), in order; an item that is not an unsigned number is
  // kept as kBadStreamItem. At most kMaxEnvelopeMarkup items exist.
  std::vector<std::int64_t> stream_items;
};

// Stands for an array item that is not an unsigned 32-bit number.
constexpr std::int64_t kBadStreamItem = -1;

// Parses the envelope text (the frame without its prefix; NUL bytes end it).
// Returns true and fills *out when the text is a well-formed document with a
// ClientRequestHeader holding a numeric CommandCode; otherwise returns false,
// leaves *out unspecified and puts a one-line reason into *error.
bool ParseEnvelope(const std::string& text, SimRequest* out, std::string* error);

// Makes the XML parser keep white space as it stands (credentials and texts
// are compared as sent). The parser's setting is process-wide: this sets it
// once, safely from any thread; call it before every parse.
void KeepXmlWhiteSpace();

// Parses an unsigned decimal of at most 10 digits fitting 32 bits, surrounded
// by optional blanks. Returns false on anything else.
bool ParseUnsigned32(const std::string& text, std::uint32_t* out);

// Parses a signed decimal ('-' allowed) fitting 32 bits, surrounded by
// optional blanks. Returns false on anything else.
bool ParseSigned32(const std::string& text, std::int32_t* out);

}  // namespace qmsim

#endif  // QMSIM_ENVELOPE_H
