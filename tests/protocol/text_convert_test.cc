// Byte-per-character text conversions in the "C" locale.
#include <cwchar>
#include <string>

#include <gtest/gtest.h>

#include "protocol/text_convert.h"

namespace {

TEST(TextConvert, Utf8SequenceBecomesOneWideCharPerByte) {
  const std::string utf8 = "a\xC3\xA9z";  // "aéz" in UTF-8: 4 bytes
  const std::wstring wide = string_to_wstring(utf8);
  ASSERT_EQ(wide.size(), 4u);
  EXPECT_EQ(wide[0], L'a');
  EXPECT_EQ(wide[3], L'z');
  // Bytes above 0x7F have no mapping in the "C" locale.
  EXPECT_EQ(static_cast<wint_t>(wide[1]), WEOF);
  EXPECT_EQ(static_cast<wint_t>(wide[2]), WEOF);
}

TEST(TextConvert, AsciiRoundTripsIncludingNulAndControls) {
  std::string all;
  for (int c = 0; c < 128; ++c) all.push_back(static_cast<char>(c));
  const std::wstring wide = string_to_wstring(all);
  ASSERT_EQ(wide.size(), 128u);
  for (int c = 0; c < 128; ++c) EXPECT_EQ(wide[c], static_cast<wchar_t>(c));
  EXPECT_EQ(wstring_to_string(wide), all);
}

TEST(TextConvert, ByteFFAndUnmappedWideCharsGiveFF) {
  EXPECT_EQ(static_cast<wint_t>(string_to_wstring("\xFF")[0]), WEOF);
  EXPECT_EQ(wstring_to_string(L"\x263A"), "\xFF");
  EXPECT_EQ(wstring_to_string(L"A\xE9" L"B"), "A\xFF" "B");
  EXPECT_EQ(wstring_to_string(string_to_wstring("x\x80y")), "x\xFFy");
}

TEST(TextConvert, EmptyStaysEmpty) {
  EXPECT_TRUE(string_to_wstring("").empty());
  EXPECT_TRUE(wstring_to_string(L"").empty());
}

}  // namespace
