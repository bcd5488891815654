// Byte-per-character conversions between 8-bit and wide text. Reply bytes
// and command-line values are widened here; no multibyte sequence is ever
// decoded, so a UTF-8 character of two bytes becomes two wide characters.
// ASCII characters are copied as they are: the "C" locale the program runs
// in (like every locale the C library offers) maps them to themselves, so
// only the other characters need the library's per-character conversion.
#include "protocol/text_convert.h"

#include <cwchar>

std::wstring string_to_wstring(const std::string& text) {
  std::wstring out(text.size(), L'\0');
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x80) {
      out[i] = static_cast<wchar_t>(byte);
    } else {
      // The byte is handed over as a signed char value, as the C library
      // accepts it; 0xFF is then EOF and yields WEOF.
      const wint_t wide = btowc(static_cast<signed char>(text[i]));
      out[i] = static_cast<wchar_t>(wide);
    }
  }
  return out;
}

std::string wstring_to_string(const std::wstring& text) {
  std::string out(text.size(), '\0');
  for (size_t i = 0; i < text.size(); ++i) {
    const wchar_t wide = text[i];
    if (wide >= 0 && wide < 0x80) {
      out[i] = static_cast<char>(wide);
    } else {
      // wctob gives EOF for a character without a single-byte form; its low
      // byte (0xFF) is kept, as for every other result.
      const int narrow = wctob(static_cast<wint_t>(wide));
      out[i] = static_cast<char>(static_cast<unsigned char>(narrow & 0xFF));
    }
  }
  return out;
}
