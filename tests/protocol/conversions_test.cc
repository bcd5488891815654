// .NET tick conversions (in UTC whatever the zone, TZ removed afterwards) and
// the byte-per-character text conversions.
#include <array>
#include <cstdlib>
#include <ctime>
#include <cwchar>
#include <string>

#include <gtest/gtest.h>

#include "protocol/text_convert.h"
#include "protocol/ticks.h"

namespace {

using Fields = std::array<unsigned int, 7>;  // year, month, day, h, min, s, ms

Fields ToFields(unsigned long long ticks) {
  Fields f{};
  QM::DotNetDateTimeToDateTime(ticks, &f[0], &f[1], &f[2], &f[3], &f[4], &f[5], &f[6]);
  return f;
}

unsigned long long ToTicks(const Fields& f) {
  return QM::DateTimeToDotNetDateTime(f[0], f[1], f[2], f[3], f[4], f[5], f[6]);
}

// A zone four hours west of UTC: a conversion in local time is off by 4 hours.
void SetAst4() { setenv("TZ", "AST4", 1), tzset(); }

// Both directions (and so the round trip) unless a field is normalised or
// below a millisecond; XML text is read at fixed positions, zone ignored. No
// TZ may remain after a conversion.
TEST(Ticks, KnownUtcValuesBothWaysXmlTextAtFixedPositionsAndTzRemoved) {
  enum { kBoth, kToTicks, kToFields, kXml };
  const unsigned long long base = 634722354150000000ULL;  // 2012-05-10T08:30:15
  const struct { Fields f; unsigned long long ticks; int way; const wchar_t* xml = L""; } cases[] = {
      {{1970, 1, 1, 0, 0, 0, 0}, 621355968000000000ULL, kBoth},
      {{2000, 2, 29, 23, 59, 59, 999}, 630874655999990000ULL, kBoth},
      {{2038, 1, 19, 3, 14, 8, 0}, 642830804480000000ULL, kBoth},
      {{9999, 12, 31, 23, 59, 59, 999}, 3155378975999990000ULL, kBoth},
      {{1969, 12, 31, 23, 59, 59, 0}, 621355967990000000ULL, kBoth},
      {{1, 1, 1, 0, 0, 0, 0}, 0, kBoth},
      {{2012, 1, 32, 0, 0, 0, 0}, 634636512000000000ULL, kToTicks},  // normalised: 1 February
      // A year no time value can hold converts as mktime's error value.
      {{4294967295u, 1, 1, 0, 0, 0, 7}, 621355967990070000ULL, kToTicks},
      {{1970, 1, 1, 0, 0, 0, 1}, 621355968000012345ULL, kToFields},  // below 1 ms dropped
      {{58456, 5, 28, 5, 36, 10, 955}, 18446744073709551615ULL, kToFields},  // the largest value
      {{}, base + 2500000, kXml, L"2012-05-10T08:30:15.250Z"},
      {{}, base + 50000, kXml, L"2012-05-10T08:30:15.5-04:00"},  // digits are whole ms
      {{}, base + 1230000, kXml, L"2012-05-10T08:30:15.1234567"},
      {{}, 0, kXml, L"2012-05-10T08:30:15"},  // 19 characters
      // A field not starting with a digit reads as 0: month 0 is December.
      {{}, 634591026150000000ULL, kXml, L"2012-xx-10T08:30:15Z"},
      {{}, base, kXml, L"2012-05-10T08:30:15.Z12"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.ticks);
    SetAst4();
    if (c.way == kXml) {
      EXPECT_EQ(QM::XMLDateTimeToDotNetDateTime(c.xml), c.ticks) << c.xml;
    }
    if (c.way == kBoth || c.way == kToTicks) { EXPECT_EQ(ToTicks(c.f), c.ticks); }
    if (c.way == kBoth) SetAst4();
    if (c.way == kBoth || c.way == kToFields) { EXPECT_EQ(ToFields(c.ticks), c.f); }
    if (c.ticks != 0 || c.way != kXml) {  // a short text does no work
      EXPECT_EQ(getenv("TZ"), nullptr);
    }
  }
}

TEST(TextConvert, AsciiRoundTripsOtherBytesGiveWeofAndUnmappedCharsFF) {
  std::string ascii;
  for (int c = 0; c < 128; ++c) ascii.push_back(static_cast<char>(c));
  EXPECT_EQ(string_to_wstring(ascii), std::wstring(ascii.begin(), ascii.end()));
  const wchar_t weof = static_cast<wchar_t>(WEOF);  // two-byte UTF-8: two unmapped chars
  EXPECT_EQ(string_to_wstring("a\xC3\xA9z"), (std::wstring{L'a', weof, weof, L'z'}));
  EXPECT_EQ(wstring_to_string(L"A\xE9" L"B\x263A"), "A\xFF" "B\xFF");
  // Either side of the ASCII boundary, and a negative wide character.
  EXPECT_EQ(string_to_wstring("\x7F\x80\xFF"), (std::wstring{L'\x7F', weof, weof}));
  EXPECT_EQ(wstring_to_string(std::wstring{L'\x7F', L'\x80', static_cast<wchar_t>(-1)}),
            "\x7F\xFF\xFF");
}

}  // namespace
