// Date-time text helpers, in AST4 (UTC-4, no daylight saving).
#include <limits>

#include "tests/client/query_test_util.h"

namespace {

using QM::Server;

const time_t kMay7At080910 = 1367928550;  // 2013-05-07T08:09:10 in AST4

time_t ToTimeT(const std::wstring& text) {
  time_t value = 12345;  // must be overwritten in every case
  Server::ConvToTimeT(text, &value);
  return value;
}

TEST(ConvToStrAddZeroTest, PadsOrKeepsLeastSignificantDigitsAsUnsigned) {
  // Negative values print their last digits as unsigned.
  struct Case { int value, width; const wchar_t* expected; } const cases[] = {
      {7, 2, L"07"}, {2013, 4, L"2013"}, {0, 2, L"00"}, {5, 0, L""}, {12345, 4, L"2345"},
      {5, -3, L""}, {-1, 3, L"295"}, {-1, 10, L"4294967295"}, {-1, 12, L"004294967295"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, Server::ConvToStrAddZero(c.value, c.width));
}

TEST(ConvToTimeTTest, FormsAcceptedRejectedOrCutShortReadAsWrittenDigitsNeverRunOn) {
  for (const wchar_t* form : {L"2013-05-07T08:09:10", L"2013-05-07 08:09:10", L"20130507T080910",
                              L"20130507080910", L"20130507 080910", L"2013/05/07T08:09:10",
                              L"2013-05-07T08:09:10.1234567-04:00", L"2013-05-07T08:09:10Z"})
    EXPECT_EQ(kMay7At080910, ToTimeT(form)) << form;
  Server::ConvToTimeT(L"2013-05-07T08:09:10", nullptr);  // must not crash
  // Zero: colons without a separator; empty; no time ("07" is an hour only);
  // a date part of 6 or 11 characters; minute or second beyond the end.
  for (const wchar_t* form : {L"2013-05-0708:09:10", L"", L"20130507", L"2013-05-07",
                              L"201305T080910", L"2013-05-07XT08:09:10", L"20130507T",
                              L"20130507T08", L"20130507T080", L"2013-05-07T08:09", L"2013-05-07T0",
                              L"2013-05-07T08:0"})
    EXPECT_EQ(0, ToTimeT(form)) << form;
  // A piece starting at the end reads 0, one cut short keeps what there is;
  // month 13 and hour -1 are normalised, non-digits read 0; an 8-character
  // date with separators is read as YYYYMMDD (month "-5", day "-7").
  struct Case { const wchar_t *text, *same_as; } const cases[] = {
      {L"2013-05-07T08:09:", L"2013-05-07T08:09:00"}, {L"20130507T0809", L"20130507T080900"},
      {L"2013-05-07T08:09:1", L"2013-05-07T08:09:01"}, {L"20130507T08091", L"20130507T080901"},
      {L"2013-13-07T00:00:00", L"20140107T000000"}, {L"2013-5-7T08:09:10", L"20120623T080910"},
      {L"2013-05-07T-1:00:00", L"20130506T230000"}, {L"2013-05-07Txx:09:10", L"20130507T000910"},
      {L"2013-05-07T 8:+9:10", L"2013-05-07T08:09:10"},  // blank and sign as wcstol reads them
  };
  for (const Case& c : cases) {
    EXPECT_NE(0, ToTimeT(c.same_as));
    EXPECT_EQ(ToTimeT(c.same_as), ToTimeT(c.text)) << c.text;
  }
}

TEST(DateTimeZoneTextTest, SuffixAppendedUnrepresentableEmptyZoneFoundAfterSeparatorOnly) {
  // Rolling over to the next day is seen end to end in the request window.
  for (const auto& c : {std::make_pair(kMay7At080910, L"2013-05-07T08:09:10Z"),
                        std::make_pair(std::numeric_limits<time_t>::max(), L"")}) {
    std::wstring out = L"stale";
    Server::ConvToDateTimeStr(c.first, out, L"Z");
    EXPECT_EQ(c.second, out);
  }
  // Without a date-time separator the designator is searched from the start.
  struct Case { const wchar_t *text, *zone; } const cases[] = {
      {L"2013-05-07T08:00:00-04:00", L"-04:00"}, {L"", L""}, {L"2013-05-07T", L""},
      {L"2013-05-07 08:00:00.1+05:30", L"+05:30"}, {L"2013-05-07T08:00:00Z", L"Z"},
      {L"2013-05-07T08:00:00", L""}, {L"20130507080000-0400", L"-0400"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.zone, Server::GetTimeZoneString(c.text)) << c.text;
}

}  // namespace
