// qmctl's pure pieces: the calendar arithmetic between ticks and wall-clock
// text, the two time readers, and the text and JSON views of a record.
#include <gtest/gtest.h>

#include "record_output.h"
#include "text_table.h"
#include "time_text.h"

namespace {

using qmctl::WallClock;

// Ticks and text agree both ways over leap rules, the millisecond and both
// ends of the four-digit years.
TEST(QmctlTime, TicksAndTextRoundTripAcrossCalendarEdges) {
  struct Case {
    unsigned long long ticks;
    const char* text;
  } cases[] = {
      {0ULL, "0001-01-01T00:00:00"},
      {621355968000000000ULL, "1970-01-01T00:00:00"},
      {630822816000000000ULL, "2000-01-01T00:00:00"},
      {630873792000000000ULL, "2000-02-29T00:00:00"},  // divisible by 400: leap
      {599317056000000000ULL, "1900-03-01T00:00:00"},  // 1900: no 29 February
      {634722354152500000ULL, "2012-05-10T08:30:15.250"},
      {635035679990010000ULL, "2013-05-07T23:59:59.001"},
      {3155378975999990000ULL, "9999-12-31T23:59:59.999"},
  };
  for (const Case& c : cases) {
    WallClock time;
    ASSERT_TRUE(qmctl::FromTicks(c.ticks, time)) << c.text;
    EXPECT_EQ(qmctl::FormatWallClock(time), c.text);
    unsigned long long back = 1;
    ASSERT_TRUE(qmctl::ToTicks(time, back)) << c.text;
    EXPECT_EQ(back, c.ticks) << c.text;
  }
  WallClock time;
  EXPECT_FALSE(qmctl::FromTicks(3155378976000000000ULL, time)) << "year 10000";
  EXPECT_FALSE(qmctl::FromTicks(~0ULL, time));
  // Sub-millisecond ticks are dropped from the text, not rounded.
  ASSERT_TRUE(qmctl::FromTicks(621355968000019999ULL, time));
  EXPECT_EQ(qmctl::FormatWallClock(time), "1970-01-01T00:00:00.001");
}

TEST(QmctlTime, CommandLineTimeIsExactlyNineteenCharactersOfAValidDate) {
  WallClock time;
  ASSERT_TRUE(qmctl::ParseWallClock("2012-02-29T23:59:59", time));
  EXPECT_EQ(time.year, 2012);
  EXPECT_EQ(time.day, 29);
  EXPECT_EQ(time.second, 59);
  for (const char* bad :
       {"2013-02-29T00:00:00", "2013-04-31T00:00:00", "2013-05-07T24:00:00",
        "2013-05-07T00:60:00", "2013-00-07T00:00:00", "0000-01-01T00:00:00",
        "2013-05-07 00:00:00", "2013-5-07T00:00:00", "+013-05-07T00:00:00",
        "2013-05-07T00:00:00Z", "2013-05-07T00:00", "", "2013-05-07T0a:00:00"}) {
    EXPECT_FALSE(qmctl::ParseWallClock(bad, time)) << bad;
  }
}

// The server's texts: a fraction is a decimal fraction, a zone is ignored.
TEST(QmctlTime, ServerTimeReadsTheFractionAsDecimalAndIgnoresTheZone) {
  struct Case {
    const char* text;
    int millisecond;
  } cases[] = {
      {"2013-05-07T23:59:58-04:00", 0}, {"2013-05-07T23:59:58.5Z", 500},
      {"2013-05-07T23:59:58.05", 50},   {"2013-05-07T23:59:58.1234567-04:00", 123},
      {"2013-05-07T23:59:58", 0},       {"2013-05-07T23:59:58.", 0},
  };
  for (const Case& c : cases) {
    WallClock time;
    ASSERT_TRUE(qmctl::ParseServerTime(c.text, time)) << c.text;
    EXPECT_EQ(time.hour, 23);
    EXPECT_EQ(time.millisecond, c.millisecond) << c.text;
  }
  WallClock time;
  EXPECT_FALSE(qmctl::ParseServerTime("", time));
  EXPECT_FALSE(qmctl::ParseServerTime("2013-02-30T00:00:00", time));
}

TEST(QmctlTextTable, NumbersRightAlignedUtf8WidthNoTrailingBlanks) {
  qmctl::TextTable table({"ID", "NAME", "NOTE"});
  table.SetRightAligned(0, true);
  table.AddRow({"5", "Caf\xC3\xA9", ""});
  table.AddRow({"12", "Gate", "x", "dropped"});
  EXPECT_EQ(table.Render(),
            "ID  NAME  NOTE\n"
            " 5  Caf\xC3\xA9\n"
            "12  Gate  x\n");
}

// A server's names reach the views unchanged where they can, and never
// break a line, drive the terminal or abort the JSON writer.
TEST(QmctlRecordOutput, ServerTextCannotBreakEitherView) {
  qmctl::Record record;
  record["name"] = std::string("Gate\n\x1b[2J\xE9", 10);  // Latin-1 byte: not UTF-8
  record["count"] = 3;
  record["ptz"] = true;
  record["time"] = nullptr;
  EXPECT_EQ(qmctl::CellText(record, "name"), "Gate??[2J\xE9");
  EXPECT_EQ(qmctl::CellText(record, "count"), "3");
  EXPECT_EQ(qmctl::CellText(record, "ptz"), "yes");
  EXPECT_EQ(qmctl::CellText(record, "time"), "-");
  EXPECT_EQ(qmctl::CellText(record, "absent"), "-");
  EXPECT_EQ(qmctl::JsonLine(record),
            "{\"name\":\"Gate\\n\\u001b[2J\xEF\xBF\xBD\",\"count\":3,\"ptz\":true,\"time\":null}\n");
}

}  // namespace
