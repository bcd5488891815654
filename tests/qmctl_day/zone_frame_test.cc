// Zones and day frames: which zone texts are taken, TZ held and restored
// (also after the library's tick conversions remove it), fixed-offset zones,
// dates, and the minutes of ordinary days and days of 23, 23.5 and 25 hours.
#include <gtest/gtest.h>

#include <cstdlib>

#include "day_frame.h"
#include "protocol/ticks.h"
#include "zone_scope.h"

namespace {

using namespace qmctl;

std::string Tz() {
  const char* tz = std::getenv("TZ");
  return tz ? tz : "(unset)";
}

TEST(QmctlZone, OnlyZonesTheCLibraryReadsAsMeantAreKnown) {
  const struct { const char* zone; bool known; } kCases[] = {
      {"Europe/Berlin", true}, {":Europe/Berlin", true}, {"AST4", true}, {"<+02>-2", true},
      {"CET-1CEST,M3.5.0,M10.5.0/3", true}, {"UTC", true},
      // glibc would read these as UTC without a word:
      {"Foo/Bar", false}, {"garbage", false}, {"Europe", false}, {"zone.tab", false},
      {"../../etc/passwd", false}, {"/etc/localtime", false}, {"", false}, {"AS4", false},
      {"AST", false}, {":AST4", false}};
  for (const auto& c : kCases) EXPECT_EQ(IsKnownZone(c.zone), c.known) << c.zone;
}

TEST(QmctlZone, ScopeRestoresTheZoneAndReappliesItAfterATickConversionRemovedIt) {
  setenv("TZ", "AST4", 1);
  {
    ZoneScope berlin("Europe/Berlin");
    EXPECT_EQ(Tz(), "Europe/Berlin");
    QM::DateTimeToDotNetDateTime(2013, 7, 16, 8, 0, 0, 0);  // removes TZ
    EXPECT_EQ(Tz(), "(unset)");
    berlin.Reapply();
    EXPECT_EQ(Tz(), "Europe/Berlin");
    EXPECT_EQ(OffsetAt(1373932800), 7200);  // 2013-07-16T00:00:00Z
  }
  EXPECT_EQ(Tz(), "AST4");
  unsetenv("TZ");
  {
    ZoneScope local("");  // keeps "no TZ", also on Reapply
    setenv("TZ", "UTC0", 1);
    local.Reapply();
    EXPECT_EQ(Tz(), "(unset)");
  }
  EXPECT_EQ(Tz(), "(unset)");
  setenv("TZ", "AST4", 1);
}

TEST(QmctlZone, FixedOffsetZonesCarryTheOffsetWithPosixSignsFlipped) {
  const struct { long offset; const char* zone; } kCases[] = {{-14400, "<-0400>4"}, {7200, "<+0200>-2"}, {19800, "<+0530>-5:30"},
                {-12600, "<-0330>3:30"}, {0, "<+0000>0"}};
  for (const auto& c : kCases) {
    EXPECT_EQ(FixedOffsetZone(c.offset), c.zone);
    ZoneScope fixed(c.zone);
    EXPECT_EQ(OffsetAt(1372636800), c.offset) << c.zone;  // summer
    EXPECT_EQ(OffsetAt(1356998400), c.offset) << c.zone;  // winter
  }
}

TEST(QmctlZone, LocalTextCarriesTheOffsetInForceAtThatInstant) {
  ZoneScope berlin("Europe/Berlin");
  EXPECT_EQ(LocalText(1364691599), "2013-03-31T01:59:59+01:00");
  EXPECT_EQ(LocalText(1364691600), "2013-03-31T03:00:00+02:00");
  EXPECT_EQ(LocalText(1382833800), "2013-10-27T02:30:00+02:00");
  EXPECT_EQ(LocalText(1382833800 + 3600), "2013-10-27T02:30:00+01:00");
  EXPECT_EQ(OffsetText(-12600), "-03:30");
}

TEST(QmctlCivilDay, OnlyRealDatesWithinTheRangeParse) {
  const struct { const char* text; bool ok; } kCases[] = {{"2013-05-07", true}, {"2012-02-29", true}, {"2013-02-29", false},
                {"2000-02-29", true}, {"2100-02-29", false}, {"1970-12-31", false},
                {"1971-01-01", true}, {"2037-12-31", true}, {"2038-01-01", false},
                {"2013-5-07", false}, {"2013-05-07 ", false}, {"2013/05/07", false},
                {"2013-13-01", false}, {"2013-04-31", false}, {"", false}};
  for (const auto& c : kCases) {
    CivilDay day;
    EXPECT_EQ(ParseCivilDay(c.text, &day), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(IsoText(day), c.text);
    }
  }
  CivilDay day;
  ASSERT_TRUE(ParseCivilDay("2012-12-31", &day));
  EXPECT_EQ(IsoText(NextDay(day)), "2013-01-01");
  EXPECT_EQ(TrackerDateText(day), "12.31.2012");
}

// One zone's day: its length, offsets, skipped and repeated wall-clock
// minutes, and the wall-clock minute of its first and last minute.
struct FrameCase {
  const char *zone, *date;
  size_t minutes, offsets, skipped, repeated;
  int first_wall, last_wall;
  const char *starts, *hours;
};

TEST(QmctlDayFrame, EveryZoneDayHasItsRealMinutesInOrder) {
  const FrameCase kCases[] = {
      {"AST4", "2013-05-07", 1440, 1, 0, 0, 0, 1439, "2013-05-07T00:00:00-04:00", "24"},
      {"Europe/Berlin", "2013-07-16", 1440, 1, 0, 0, 0, 1439, "2013-07-16T00:00:00+02:00", "24"},
      {"Europe/Berlin", "2013-03-31", 1380, 2, 60, 0, 0, 1439, "2013-03-31T00:00:00+01:00", "23"},
      {"Europe/Berlin", "2013-10-27", 1500, 2, 0, 60, 0, 1439, "2013-10-27T00:00:00+02:00", "25"},
      // Clocks forward at midnight: the day starts at 01:00, on one offset.
      {"America/Sao_Paulo", "2013-10-20", 1380, 1, 60, 0, 60, 1439, "2013-10-20T01:00:00-02:00", "23"},
      // Clocks back at 01:00 to 00:00: the first hour occurs twice.
      {"America/Havana", "2013-11-03", 1500, 2, 0, 60, 0, 1439, "2013-11-03T00:00:00-04:00", "25"},
      // Half an hour forward.
      {"Australia/Lord_Howe", "2013-10-06", 1410, 2, 30, 0, 0, 1439, "2013-10-06T00:00:00+10:30", "23.5"},
  };
  for (const FrameCase& c : kCases) {
    SCOPED_TRACE(std::string(c.zone) + " " + c.date);
    ZoneScope zone(c.zone);
    CivilDay day;
    ASSERT_TRUE(ParseCivilDay(c.date, &day));
    DayFrame frame;
    ASSERT_TRUE(MakeDayFrame(day, &frame));
    EXPECT_EQ(frame.minutes.size(), c.minutes);
    EXPECT_EQ(frame.end - frame.start, static_cast<time_t>(c.minutes) * 60);
    EXPECT_EQ(frame.offsets.size(), c.offsets);
    EXPECT_EQ(frame.HasChange(), c.offsets > 1 || c.minutes != 1440);
    EXPECT_EQ(frame.skipped_wall_minutes.size(), c.skipped);
    size_t repeated = 0;
    for (size_t i = 0; i < frame.minutes.size(); ++i) {
      EXPECT_EQ(frame.minutes[i].start, frame.start + static_cast<time_t>(i) * 60);
      repeated += frame.minutes[i].repeated;
    }
    EXPECT_EQ(repeated, c.repeated);
    EXPECT_EQ(frame.minutes.front().wall_minute, c.first_wall);
    EXPECT_EQ(frame.minutes.back().wall_minute, c.last_wall);
    EXPECT_EQ(LocalText(frame.start), c.starts);
    EXPECT_EQ(HoursText(frame), c.hours);
  }
}

}  // namespace
