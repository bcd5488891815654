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
// below a millisecond; no TZ may remain after a conversion.
TEST(Ticks, KnownUtcValuesBothWaysIncludingBefore1970AndTzRemoved) {
  enum { kBoth, kToTicks, kToFields };
  const struct { Fields f; unsigned long long ticks; int way; } cases[] = {
      {{1970, 1, 1, 0, 0, 0, 0}, 621355968000000000ULL, kBoth},
      {{2000, 1, 1, 0, 0, 0, 0}, 630822816000000000ULL, kBoth},
      {{2012, 5, 10, 8, 30, 15, 250}, 634722354152500000ULL, kBoth},
      {{2000, 2, 29, 23, 59, 59, 999}, 630874655999990000ULL, kBoth},
      {{2038, 1, 19, 3, 14, 8, 0}, 642830804480000000ULL, kBoth},
      {{9999, 12, 31, 23, 59, 59, 999}, 3155378975999990000ULL, kBoth},
      {{1969, 12, 31, 23, 59, 59, 0}, 621355967990000000ULL, kBoth},
      {{1, 1, 1, 0, 0, 0, 0}, 0, kBoth},
      {{2012, 1, 32, 0, 0, 0, 0}, 634636512000000000ULL, kToTicks},  // normalised: 1 February
      // A year no time value can hold converts as mktime's error value.
      {{4294967295u, 1, 1, 0, 0, 0, 7}, 621355967990070000ULL, kToTicks},
      {{1970, 1, 1, 0, 0, 0, 1}, 621355968000012345ULL, kToFields},  // below 1 ms dropped
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.ticks);
    if (c.way != kToFields) { SetAst4(); EXPECT_EQ(ToTicks(c.f), c.ticks); }
    if (c.way != kToTicks) { SetAst4(); EXPECT_EQ(ToFields(c.ticks), c.f); }
    EXPECT_EQ(getenv("TZ"), nullptr);
  }
  const Fields last = ToFields(18446744073709551615ULL);  // converts at all
  EXPECT_EQ(last[6], 955u);
  EXPECT_TRUE(last[0] > 9999 && last[1] >= 1 && last[1] <= 12) << last[0] << "-" << last[1];
}

TEST(Ticks, XmlTextReadsFixedPositionsIgnoresZoneAndShortTextIsZero) {
  const unsigned long long base = 634722354150000000ULL;  // 2012-05-10T08:30:15
  const struct { const wchar_t* text; unsigned long long ticks; } cases[] = {
      {L"2012-05-10T08:30:15.250Z", base + 2500000},
      {L"2012-05-10T08:30:15.5-04:00", base + 50000},  // digits are whole ms
      {L"2012-05-10T08:30:15.1234567", base + 1230000},
      {L"2012-05-10T08:30:15", 0},  // 19 characters
      // A field not starting with a digit reads as 0: month 0 is December.
      {L"2012-xx-10T08:30:15Z", 634591026150000000ULL},
      {L"2012-05-10T08:30:15.Z12", base},
  };
  for (const auto& c : cases) {
    SetAst4();
    EXPECT_EQ(QM::XMLDateTimeToDotNetDateTime(c.text), c.ticks) << c.text;
  }
  EXPECT_EQ(getenv("TZ"), nullptr);
}

TEST(TextConvert, AsciiRoundTripsOtherBytesGiveWeofAndUnmappedCharsFF) {
  std::string ascii;
  for (int c = 0; c < 128; ++c) ascii.push_back(static_cast<char>(c));
  EXPECT_EQ(string_to_wstring(ascii), std::wstring(ascii.begin(), ascii.end()));
  EXPECT_EQ(wstring_to_string(string_to_wstring(ascii)), ascii);
  const wchar_t weof = static_cast<wchar_t>(WEOF);  // two-byte UTF-8: two unmapped chars
  EXPECT_EQ(string_to_wstring("a\xC3\xA9z"), (std::wstring{L'a', weof, weof, L'z'}));
  EXPECT_EQ(wstring_to_string(L"A\xE9" L"B\x263A"), "A\xFF" "B\xFF");
}

}  // namespace
