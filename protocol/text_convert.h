// Per-character conversions between 8-bit and wide text. There is no
// multibyte decoding: every byte becomes one wide character and back. Both
// run in whatever C locale the process has (the program never selects one,
// so that is the "C" locale).
#ifndef QM_PROTOCOL_TEXT_CONVERT_H_
#define QM_PROTOCOL_TEXT_CONVERT_H_

#include <string>

// Returns a wide string of the same length; each byte is converted on its own
// with btowc (taken as a signed char). A byte the locale does not map gives
// WEOF in its place.
std::wstring string_to_wstring(const std::string& text);

// Returns an 8-bit string of the same length; each wide character is
// converted with wctob and its low byte kept (0xFF where the character has
// no single-byte form).
std::string wstring_to_string(const std::wstring& text);

#endif  // QM_PROTOCOL_TEXT_CONVERT_H_
