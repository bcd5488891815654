// The day's assembly: on ordinary days the library's rows as qmrecinfo
// writes them (byte for byte in a zone without daylight saving time), shown
// in the site's zone; on change days by instants, each time with the offset
// in force.
#include <gtest/gtest.h>

#include "client/server.h"
#include "day_fixtures.h"
#include "zone_scope.h"

namespace {

using namespace qmctl;
using qmday::Periods;
using qmday::Replies;
using qmday::RowTexts;

DayResult Assemble(const char* zone, const char* date, const DayReplies& replies) {
  ZoneScope site(zone);
  CivilDay day;
  DayResult result;
  EXPECT_TRUE(ParseCivilDay(date, &day));
  EXPECT_TRUE(AssembleDay(12, day, replies, &result));
  return result;
}

std::string At(const std::string& time) { return "2013-05-07T" + time + "-04:00"; }

const Periods kTwoFiles = {{At("08:00:12"), At("08:59:40")}, {At("10:00:05"), At("10:29:30")}};

TEST(QmctlAssembleDay, OrdinaryDayGivesTheLibrarysRowsAsQmrecinfoWritesThemInAst4) {
  const DayReplies replies =
      Replies(kTwoFiles, {{At("08:50:00"), At("10:10:00")}, {At("11:00:00"), At("11:05:00")}});
  // What qmrecinfo's query makes of the same answers in AST4.
  std::vector<std::string> expected;
  {
    ZoneScope ast("AST4");
    std::vector<std::wstring> rows;
    QM::Server::ConvRecInfoPerDatFromVpm(12, L"05.07.2013", replies.tracker, rows);
    const QM::RecTimeList list = QM::Server::MakeRecTimes(12, rows, replies.files, replies.motions);
    for (const auto& row : *list)
      expected.push_back(std::to_string(row->Idx) + "," + std::to_string(row->RecType) + "," +
                         wstring_to_string(row->StartStr) + "," + wstring_to_string(row->EndStr));
  }
  ASSERT_EQ(expected.size(), 2u);
  for (const char* zone : {"AST4", "America/Puerto_Rico", "<-04>4"}) {
    const DayResult result = Assemble(zone, "2013-05-07", replies);
    EXPECT_FALSE(result.by_instants) << zone;
    EXPECT_EQ(RowTexts(result), expected) << zone;
  }
}

TEST(QmctlAssembleDay, OrdinarySummerDayInADaylightSavingZoneHasTheRightInstants) {
  // qmrecinfo in Europe/Berlin would move these by an hour; qmctl does not.
  const Periods files = {{"2013-07-16T08:00:12+02:00", "2013-07-16T08:59:40+02:00"},
                         {"2013-07-16T10:00:05+02:00", "2013-07-16T10:29:30+02:00"}};
  const DayResult result = Assemble("Europe/Berlin", "2013-07-16", Replies(files, {}));
  EXPECT_FALSE(result.by_instants);
  EXPECT_EQ(RowTexts(result),
            (std::vector<std::string>{"1,0,2013-07-16T08:00:12+02:00,2013-07-16T08:59:40+02:00",
                                      "2,0,2013-07-16T10:00:05+02:00,2013-07-16T10:29:30+02:00"}));
  EXPECT_EQ(result.rows[0].span.start, qmday::Utc("2013-07-16T06:00:12"));
}

TEST(QmctlAssembleDay, TimesWithAnotherOffsetThanTheSitesAreWrittenOnTheSitesClock) {
  // A server on -04:00 seen from a site read in UTC: the same instants.
  const DayResult result = Assemble("UTC0", "2013-05-07", Replies({{At("08:00:12"), At("08:59:40")}}, {}));
  EXPECT_EQ(RowTexts(result),
            (std::vector<std::string>{"1,0,2013-05-07T12:00:12+00:00,2013-05-07T12:59:40+00:00"}));
}

// (The scenario days with their motions: day_run_test.cc.)
TEST(QmctlAssembleDay, SpringForwardDayWithoutMotionSnapsEdgesAcrossTheChange) {
  const DayResult result = Assemble("Europe/Berlin", "2013-03-31", Replies(qmday::kSpringFiles, {}));
  EXPECT_TRUE(result.by_instants);
  EXPECT_EQ(result.tracker.skipped_flags, 60);
  EXPECT_EQ(RowTexts(result),
            (std::vector<std::string>{"1,0,2013-03-31T00:00:05+01:00,2013-03-31T03:44:58+02:00",
                                      "2,0,2013-03-31T06:00:00+02:00,2013-03-31T11:59:59+02:00",
                                      "3,0,2013-03-31T13:00:03+02:00,2013-03-31T23:59:59+02:00"}));
}

TEST(QmctlAssembleDay, FallBackDayKeepsTheGapBetweenThePassesOfTheRepeatedHour) {
  const DayResult result = Assemble("Europe/Berlin", "2013-10-27", Replies(qmday::kFallFiles, {}));
  EXPECT_TRUE(result.by_instants);
  EXPECT_EQ(result.frame.Hours(), 25);
  EXPECT_EQ(RowTexts(result),
            (std::vector<std::string>{"1,0,2013-10-27T00:00:04+02:00,2013-10-27T02:40:00+02:00",
                                      "2,0,2013-10-27T02:20:00+01:00,2013-10-27T07:59:58+01:00",
                                      "3,0,2013-10-27T09:00:02+01:00,2013-10-27T23:59:59+01:00"}));
}

TEST(QmctlAssembleDay, UnreadableTextsCountAsTimeZeroAndAreShownAsSent) {
  DayReplies replies = Replies(qmday::kFallFiles, {{"later", "2013-10-27T02:35:00+02:00"}});
  const DayResult result = Assemble("Europe/Berlin", "2013-10-27", replies);
  // The motion's start reads as time 0, outside every interval; its end lies
  // in the first: the library's rule clips it to the interval's start.
  ASSERT_FALSE(result.rows.empty());
  EXPECT_EQ(RowTexts(result)[0], "1,1,2013-10-27T00:00:04+02:00,2013-10-27T02:35:00+02:00");
  EXPECT_FALSE(result.motions[0].known);
  EXPECT_EQ(result.motions[0].start_text, "later");
}

TEST(QmctlAssembleDay, NoFilesGiveNoRowsEvenWithTrackerMinutes) {
  DayReplies replies = Replies({}, {});
  replies.tracker.assign(1440, true);
  for (const char* date : {"2013-05-07", "2013-10-27"}) {
    const DayResult result = Assemble("Europe/Berlin", date, replies);
    EXPECT_TRUE(result.rows.empty()) << date;
    EXPECT_EQ(result.tracker.runs.size(), 1u) << date;
  }
}

}  // namespace
