// The tracker's wall-clock flags laid onto days of 23 and 25 hours: skipped
// flags left out without breaking a run, repeated minutes decided by the
// files' instants.
#include <gtest/gtest.h>

#include "day_fixtures.h"
#include "day_minutes.h"
#include "zone_scope.h"

namespace {

using namespace qmctl;
using qmday::Utc;

// Flags are wall-clock minute runs; files and runs are UTC, runs inclusive.
struct MapCase {
  const char *name, *date;
  std::vector<std::pair<int, int>> flags;
  std::vector<std::pair<const char*, const char*>> files, runs;
  int recorded, skipped, cleared;
};

std::vector<bool> Flags(const std::vector<std::pair<int, int>>& runs) {
  std::vector<bool> flags(1440, false);
  for (const auto& r : runs)
    for (int m = r.first; m <= r.second; ++m) flags[size_t(m)] = true;
  return flags;
}

TEST(QmctlMapTracker, FlagsLandOnTheDaysRealMinutes) {
  // Berlin: 2013-03-31 01:00Z is 03:00 +02:00; 2013-10-27 00:00Z-00:59Z is the
  // first pass of 02:xx (+02:00), 01:00Z-01:59Z the second (+01:00).
  const MapCase kCases[] = {
      {"AllFlagsOnASpringDayMakeOneRunOf23Hours", "2013-03-31", {{0, 1439}}, {},
       {{"2013-03-30T23:00:00", "2013-03-31T21:59:59"}}, 1380, 60, 0},
      {"SkippedHourFlagsAloneGiveNothing", "2013-03-31", {{120, 179}}, {}, {}, 0, 60, 0},
      {"RunAcrossTheSkippedHourStaysOneRun", "2013-03-31", {{90, 224}}, {},
       {{"2013-03-31T00:30:00", "2013-03-31T01:44:59"}}, 75, 60, 0},
      {"AllFlagsOnAFallDayWithoutFilesMakeOneRunOf25Hours", "2013-10-27", {{0, 1439}}, {},
       {{"2013-10-26T22:00:00", "2013-10-27T22:59:59"}}, 1500, 0, 0},
      {"RepeatedMinutesGoToThePassTheFilesCover", "2013-10-27", {{0, 479}},
       {{"2013-10-26T22:00:04", "2013-10-27T00:40:00"}, {"2013-10-27T01:20:00", "2013-10-27T06:59:58"}},
       {{"2013-10-26T22:00:00", "2013-10-27T00:40:59"}, {"2013-10-27T01:20:00", "2013-10-27T06:59:59"}},
       501, 0, 39},
      {"RepeatedMinutesNoFileCoversCountInBothPasses", "2013-10-27", {{150, 150}},
       {{"2013-10-27T05:00:00", "2013-10-27T06:00:00"}},
       {{"2013-10-27T00:30:00", "2013-10-27T00:30:59"}, {"2013-10-27T01:30:00", "2013-10-27T01:30:59"}},
       2, 0, 0},
      {"OrdinaryDayIsTheWallClock", "2013-07-16", {{480, 539}, {600, 629}}, {},
       {{"2013-07-16T06:00:00", "2013-07-16T06:59:59"}, {"2013-07-16T08:00:00", "2013-07-16T08:29:59"}},
       90, 0, 0},
  };
  ZoneScope berlin("Europe/Berlin");
  for (const MapCase& c : kCases) {
    SCOPED_TRACE(c.name);
    CivilDay day;
    DayFrame frame;
    ASSERT_TRUE(ParseCivilDay(c.date, &day));
    ASSERT_TRUE(MakeDayFrame(day, &frame));
    std::vector<InstantSpan> files;
    for (const auto& f : c.files) files.push_back(InstantSpan{Utc(f.first), Utc(f.second)});
    const TrackerOnDay mapped = MapTracker(frame, Flags(c.flags), files);
    ASSERT_EQ(mapped.runs.size(), c.runs.size());
    for (size_t i = 0; i < c.runs.size(); ++i) {
      EXPECT_EQ(UtcWallText(mapped.runs[i].start), c.runs[i].first);
      EXPECT_EQ(UtcWallText(mapped.runs[i].end), c.runs[i].second);
    }
    EXPECT_EQ(mapped.recorded_minutes, c.recorded);
    EXPECT_EQ(mapped.skipped_flags, c.skipped);
    EXPECT_EQ(mapped.repeated_cleared, c.cleared);
  }
}

TEST(QmctlMapTracker, AShortTrackerReadsAsClearPastItsEnd) {
  ZoneScope zone("AST4");
  CivilDay day;
  DayFrame frame;
  ASSERT_TRUE(ParseCivilDay("2013-05-07", &day));
  ASSERT_TRUE(MakeDayFrame(day, &frame));
  const TrackerOnDay mapped = MapTracker(frame, std::vector<bool>(10, true), {});
  ASSERT_EQ(mapped.runs.size(), 1u);
  EXPECT_EQ(mapped.recorded_minutes, 10);
  EXPECT_EQ(LocalText(mapped.runs[0].end), "2013-05-07T00:09:59-04:00");
}

}  // namespace
