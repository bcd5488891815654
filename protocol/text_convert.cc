// Byte-per-character conversions between 8-bit and wide text. Reply bytes
// and command-line values are widened here; no multibyte sequence is ever
// decoded, so a UTF-8 character of two bytes becomes two wide characters.
#include "protocol/text_convert.h"

#include <cwchar>

std::wstring string_to_wstring(const std::string& text) {
  std::wstring out;
  out.reserve(text.size());
  for (char byte : text) {
    // The byte is handed over as a signed char value, as the C library
    // accepts it; 0xFF is then EOF and yields WEOF.
    const wint_t wide = btowc(static_cast<signed char>(byte));
    out.push_back(static_cast<wchar_t>(wide));
  }
  return out;
}

std::string wstring_to_string(const std::wstring& text) {
  std::string out;
  out.reserve(text.size());
  for (wchar_t wide : text) {
    // wctob gives EOF for a character without a single-byte form; its low
    // byte (0xFF) is kept, as for every other result.
    const int narrow = wctob(static_cast<wint_t>(wide));
    out.push_back(static_cast<char>(static_cast<unsigned char>(narrow & 0xFF)));
  }
  return out;
}
