// Date-time text helpers: zero padding, text to calendar time and back, zone
// designators. Zone-dependent cases run in AST4 (UTC-4, no daylight saving).
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "client/datetime_text.h"
#include "client/server.h"

namespace {

using QM::Server;

// 2013-05-07T08:09:10 in AST4 is 12:09:10 UTC.
const time_t kMay7At080910 = 1367928550;

class DateTimeTextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "AST4", 1);
    tzset();
  }
};

time_t ToTimeT(const std::wstring& text) {
  time_t value = 12345;  // must be overwritten in every case
  Server::ConvToTimeT(text, &value);
  return value;
}

TEST(ToWstringTest, PrintsFullRangeWithoutTruncation) {
  EXPECT_EQ(L"0", to_wstring(0u));
  EXPECT_EQ(L"42", to_wstring(42u));
  // Ten digits exactly fill the 11-character buffer with its terminator.
  EXPECT_EQ(L"4294967295", to_wstring(4294967295u));
}

TEST(ConvToStrAddZeroTest, PadsOrKeepsLeastSignificantDigits) {
  struct Case {
    int value;
    int width;
    const wchar_t* expected;
  } const cases[] = {
      {7, 2, L"07"},
      {2013, 4, L"2013"},
      {0, 2, L"00"},
      {12345, 4, L"2345"},  // leading digits dropped, not trailing
      {5, 0, L""},
      {5, -3, L""},
      {-1, 10, L"4294967295"},  // taken as unsigned 32-bit
      {-1, 12, L"004294967295"},
      {-1, 3, L"295"},
      {59, 1, L"9"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.expected, Server::ConvToStrAddZero(c.value, c.width))
        << c.value << " width " << c.width;
  }
}

TEST(ConvToTimeStringTest, WritesPaddedTimeOfDayAndEmptyForNull) {
  struct tm t;
  std::memset(&t, 0, sizeof(t));
  t.tm_hour = 8;
  t.tm_min = 9;
  t.tm_sec = 0;
  std::wstring out = L"stale";
  Server::ConvToTimeString(&t, out);
  EXPECT_EQ(L"08:09:00", out);

  out = L"stale";
  Server::ConvToTimeString(nullptr, out);
  EXPECT_EQ(L"", out);
}

TEST_F(DateTimeTextTest, ConvToTimeTAcceptedFormsAgree) {
  const wchar_t* const forms[] = {
      L"2013-05-07T08:09:10",
      L"2013-05-07 08:09:10",
      L"20130507T080910",
      L"20130507080910",  // digits of one piece must not run into the next
      L"2013-05-07T08:09:10.1234567-04:00",
      L"2013-05-07T08:09:10Z",
      L"2013/05/07T08:09:10",  // any separator inside the date
      L"20130507 080910",
  };
  for (const wchar_t* form : forms) {
    EXPECT_EQ(kMay7At080910, ToTimeT(form)) << form;
  }
}

TEST_F(DateTimeTextTest, ConvToTimeTRejectedFormsGiveZero) {
  const wchar_t* const forms[] = {
      L"2013-05-0708:09:10",   // colon but no separator
      L"",                     // empty
      L"20130507",             // a date alone
      L"2013-05-07",           // long date alone: "07" is an hour only
      L"201305T080910",        // date part of 6 characters
      L"2013-05-07XT08:09:10", // date part of 11 characters
      L"20130507T",            // minute starts beyond the empty time part
      L"20130507T08",          // second starts beyond the end
      L"20130507T080",         // minute cut short, second beyond the end
      L"2013-05-07T08:09",     // second starts beyond the end
      L"2013-05-07T0",         // minute beyond the end
      L"2013-05-07T08:0",      // second beyond the end
  };
  for (const wchar_t* form : forms) {
    EXPECT_EQ(0, ToTimeT(form)) << form;
  }
  // An 8-character date with odd separators is read as YYYYMMDD:
  // "2013-5-7" gives year 2013, month "-5", day "-7"; mktime normalises.
  EXPECT_NE(0, ToTimeT(L"2013-5-7T08:09:10"));
}

TEST_F(DateTimeTextTest, ConvToTimeTPieceAtOrWithinEndReadsWhatIsThere) {
  // A piece starting exactly at the end reads 0; one cut short keeps the
  // one character there is.
  EXPECT_EQ(ToTimeT(L"2013-05-07T08:09:00"), ToTimeT(L"2013-05-07T08:09:"));
  EXPECT_EQ(ToTimeT(L"2013-05-07T08:09:01"), ToTimeT(L"2013-05-07T08:09:1"));
  EXPECT_EQ(ToTimeT(L"20130507T080900"), ToTimeT(L"20130507T0809"));
  EXPECT_EQ(ToTimeT(L"20130507T080901"), ToTimeT(L"20130507T08091"));
}

TEST_F(DateTimeTextTest, ConvToTimeTNormalisesOutOfRangeAndReadsSigns) {
  EXPECT_EQ(ToTimeT(L"2014-01-07T00:00:00"), ToTimeT(L"2013-13-07T00:00:00"));
  EXPECT_EQ(ToTimeT(L"2013-05-06T23:00:00"), ToTimeT(L"2013-05-07T-1:00:00"));
  // Non-digits read as 0.
  EXPECT_EQ(ToTimeT(L"2013-05-07T00:09:10"), ToTimeT(L"2013-05-07Txx:09:10"));
}

TEST_F(DateTimeTextTest, ConvToTimeTIgnoresNullOutput) {
  Server::ConvToTimeT(L"2013-05-07T08:09:10", nullptr);  // must not crash
}

TEST_F(DateTimeTextTest, ConvToDateTimeStrRollsOverMidnight) {
  std::wstring out;
  Server::ConvToDateTimeStr(ToTimeT(L"2013-05-07T23:59:59") + 1, out, L"");
  EXPECT_EQ(L"2013-05-08T00:00:00", out);
  Server::ConvToDateTimeStr(ToTimeT(L"2013-12-31T23:59:59") + 1, out, L"");
  EXPECT_EQ(L"2014-01-01T00:00:00", out);
}

TEST_F(DateTimeTextTest, ConvToDateTimeStrAppendsSuffixDirectly) {
  std::wstring out = L"stale";
  Server::ConvToDateTimeStr(ToTimeT(L"2013-05-07T08:00:00"), out, L"Z");
  EXPECT_EQ(L"2013-05-07T08:00:00Z", out);
  Server::ConvToDateTimeStr(kMay7At080910, out, L"-04:00");
  EXPECT_EQ(L"2013-05-07T08:09:10-04:00", out);
}

TEST_F(DateTimeTextTest, ConvToDateTimeStrOfUnrepresentableTimeIsEmpty) {
  std::wstring out = L"stale";
  Server::ConvToDateTimeStr(std::numeric_limits<time_t>::max(), out, L"Z");
  EXPECT_EQ(L"", out);
}

TEST(GetTimeZoneStringTest, FindsDesignatorAfterSeparator) {
  struct Case {
    const wchar_t* text;
    const wchar_t* expected;
  } const cases[] = {
      {L"2013-05-07T08:00:00-04:00", L"-04:00"},
      {L"2013-05-07T08:00:00+02:00", L"+02:00"},
      {L"2013-05-07T08:00:00Z", L"Z"},
      {L"2013-05-07T08:00:00", L""},
      {L"", L""},
      {L"20130507080000-0400", L"-0400"},  // no separator: from the start
      {L"2013-05-07 08:00:00-04:00", L"-04:00"},  // blank as separator
      {L"2013-05-07T08:00:00.123+05:30", L"+05:30"},
      {L"2013-05-07T", L""},  // separator at the very end
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.expected, Server::GetTimeZoneString(c.text)) << c.text;
  }
}

}  // namespace
