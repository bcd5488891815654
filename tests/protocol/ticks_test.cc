// .NET tick conversions: known values, normalisation, the XML text reader,
// dates before 1970, and the TZ handling (computed in UTC whatever the zone,
// TZ removed afterwards).
#include <cstdlib>
#include <ctime>
#include <string>

#include <gtest/gtest.h>

#include "protocol/ticks.h"

namespace {

struct Fields {
  unsigned int year, month, day, hour, minute, second, millisecond;
};

bool operator==(const Fields& a, const Fields& b) {
  return a.year == b.year && a.month == b.month && a.day == b.day &&
         a.hour == b.hour && a.minute == b.minute && a.second == b.second &&
         a.millisecond == b.millisecond;
}

std::ostream& operator<<(std::ostream& os, const Fields& f) {
  return os << f.year << "-" << f.month << "-" << f.day << " " << f.hour
            << ":" << f.minute << ":" << f.second << "." << f.millisecond;
}

Fields ToFields(unsigned long long ticks) {
  Fields f = {0, 0, 0, 0, 0, 0, 0};
  QM::DotNetDateTimeToDateTime(ticks, &f.year, &f.month, &f.day, &f.hour,
                               &f.minute, &f.second, &f.millisecond);
  return f;
}

unsigned long long ToTicks(const Fields& f) {
  return QM::DateTimeToDotNetDateTime(f.year, f.month, f.day, f.hour,
                                      f.minute, f.second, f.millisecond);
}

// Every test starts in a zone four hours west of UTC, so a conversion that
// used local time instead of UTC would be off by 4 hours.
class Ticks : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "AST4", 1);
    tzset();
  }
  void ExpectNoTz() { EXPECT_EQ(getenv("TZ"), nullptr); }
};

TEST_F(Ticks, CalendarFieldsToKnownTickValuesInUtc) {
  struct Case {
    Fields in;
    unsigned long long ticks;
  };
  const Case cases[] = {
      {{1970, 1, 1, 0, 0, 0, 0}, 621355968000000000ULL},
      {{2000, 1, 1, 0, 0, 0, 0}, 630822816000000000ULL},
      {{2012, 5, 10, 8, 30, 15, 250}, 634722354152500000ULL},
      // Month 13 of 2012 is January 2013; day 32 of January is 1 February.
      {{2012, 13, 1, 0, 0, 0, 0}, 634925952000000000ULL},
      {{2012, 1, 32, 0, 0, 0, 0}, 634636512000000000ULL},
      // Milliseconds are not range-checked.
      {{1970, 1, 1, 0, 0, 0, 1500}, 621355968015000000ULL},
      // A year no time value can hold converts as mktime's error value.
      {{4294967295u, 1, 1, 0, 0, 0, 7}, 621355967990070000ULL},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.in));
    setenv("TZ", "AST4", 1);
    tzset();
    EXPECT_EQ(ToTicks(c.in), c.ticks);
    ExpectNoTz();
  }
}

TEST_F(Ticks, TicksToFieldsDropsSubMillisecondDigits) {
  EXPECT_EQ(ToFields(621355968000012345ULL), (Fields{1970, 1, 1, 0, 0, 0, 1}));
  ExpectNoTz();
  EXPECT_EQ(ToFields(634722354159999999ULL),
            (Fields{2012, 5, 10, 8, 30, 15, 999}));
}

TEST_F(Ticks, RoundTripKeepsFieldsAcrossRange) {
  const Fields dates[] = {
      {1970, 1, 1, 0, 0, 0, 0},      {2000, 2, 29, 23, 59, 59, 999},
      {2013, 5, 7, 12, 0, 1, 5},     {2038, 1, 19, 3, 14, 8, 0},
      {2100, 3, 1, 0, 0, 0, 0},      {9999, 12, 31, 23, 59, 59, 999},
      // Dates before 1970 are converted as well.
      {1969, 12, 31, 23, 59, 59, 0}, {1900, 1, 1, 0, 0, 0, 0},
      {1, 1, 1, 0, 0, 0, 0},
  };
  for (const Fields& f : dates) {
    SCOPED_TRACE(::testing::PrintToString(f));
    EXPECT_EQ(ToFields(ToTicks(f)), f);
  }
  ExpectNoTz();
}

TEST_F(Ticks, TicksBefore1970ConvertToTheirRealDate) {
  EXPECT_EQ(ToFields(0), (Fields{1, 1, 1, 0, 0, 0, 0}));
  EXPECT_EQ(ToFields(621355967990000000ULL),
            (Fields{1969, 12, 31, 23, 59, 59, 0}));
  ExpectNoTz();
}

TEST_F(Ticks, LargestTickValueConvertsWithoutFailure) {
  const Fields f = ToFields(18446744073709551615ULL);
  EXPECT_EQ(f.millisecond, 955u);
  EXPECT_GT(f.year, 9999u);
  EXPECT_GE(f.month, 1u);
  EXPECT_LE(f.month, 12u);
  ExpectNoTz();
}

TEST_F(Ticks, XmlTextReadsFixedPositionsAndIgnoresZone) {
  struct Case {
    const wchar_t* text;
    unsigned long long ticks;
  };
  const unsigned long long base = 634722354150000000ULL;  // 2012-05-10T08:30:15
  const Case cases[] = {
      {L"2012-05-10T08:30:15.250Z", base + 2500000},
      // The fraction's digits are whole milliseconds; the offset is ignored.
      {L"2012-05-10T08:30:15.5-04:00", base + 50000},
      {L"2012-05-10T08:30:15.05Z", base + 50000},
      {L"2012-05-10T08:30:15.1234567", base + 1230000},
      {L"2012-05-10T08:30:15Z", base},
      {L"2012-05-10T08:30:15+09:00", base},
      {L"2012-05-10T08:30:15", 0},
      {L"", 0},
      // Separators are not examined.
      {L"2012/05/10 08.30.15 Z", base},
      // A field that does not start with a digit reads as 0: month 0 is
      // December of the year before.
      {L"2012-xx-10T08:30:15Z", ToTicks({2011, 12, 10, 8, 30, 15, 0})},
      {L"2012-05-10T08:30:15.Z12", base},
      {L"2012-05-10T08:30:15.-12", base},
      // Leading white space inside a field is skipped.
      {L"2012- 5-10T08:30:15Z", base},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(std::wstring(c.text)));
    setenv("TZ", "AST4", 1);
    tzset();
    EXPECT_EQ(QM::XMLDateTimeToDotNetDateTime(c.text), c.ticks);
  }
  ExpectNoTz();
}

}  // namespace
