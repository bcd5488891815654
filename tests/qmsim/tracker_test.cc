// Day tracker: which minutes files flag, how they are packed, and which query
// dates and time texts are understood.
#include <gtest/gtest.h>

#include "day_tracker.h"
#include "wall_clock.h"

namespace qmsim {
namespace {

SimFile FileSpan(const char* start, const char* end) {
  SimFile f;
  f.start_text = start;
  f.end_text = end;
  EXPECT_TRUE(ParseWallClock(start, &f.start)) << start;
  EXPECT_TRUE(ParseWallClock(end, &f.end)) << end;
  return f;
}

const CivilDate kMay7{2013, 5, 7};

// Minutes set in flags as a list of [first, last] runs.
std::vector<std::pair<int, int>> Runs(const MinuteFlags& flags) {
  std::vector<std::pair<int, int>> runs;
  for (int m = 0; m < kMinutesPerDay; ++m) {
    if (!flags.test(m)) continue;
    if (!runs.empty() && runs.back().second == m - 1) {
      runs.back().second = m;
    } else {
      runs.push_back({m, m});
    }
  }
  return runs;
}

TEST(RecordedMinutes, PartialFirstAndLastMinutesAreFlagged) {
  SimCamera cam;
  cam.files.push_back(FileSpan("2013-05-07T08:00:12-04:00", "2013-05-07T08:59:40-04:00"));
  EXPECT_EQ(Runs(RecordedMinutes(cam, kMay7)),
            (std::vector<std::pair<int, int>>{{480, 539}}));
}

TEST(RecordedMinutes, ZoneSuffixDoesNotShiftTheMinutes) {
  SimCamera cam;
  cam.files.push_back(FileSpan("2013-05-07T08:00:12Z", "2013-05-07T08:00:12+09:30"));
  EXPECT_EQ(Runs(RecordedMinutes(cam, kMay7)),
            (std::vector<std::pair<int, int>>{{480, 480}}));
}

TEST(RecordedMinutes, FilesCrossingMidnightAreClippedToTheDate) {
  SimCamera cam;
  cam.files.push_back(FileSpan("2013-05-06T23:58:00", "2013-05-07T00:01:00"));
  cam.files.push_back(FileSpan("2013-05-07T23:59:30", "2013-05-08T00:30:00"));
  EXPECT_EQ(Runs(RecordedMinutes(cam, kMay7)),
            (std::vector<std::pair<int, int>>{{0, 1}, {1439, 1439}}));
}

TEST(RecordedMinutes, FilesOfOtherDaysFlagNothing) {
  SimCamera cam;
  cam.files.push_back(FileSpan("2013-05-06T00:00:00", "2013-05-06T23:59:59"));
  cam.files.push_back(FileSpan("2013-05-08T00:00:00", "2013-05-08T10:00:00"));
  cam.files.push_back(FileSpan("2012-05-07T10:00:00", "2012-05-07T11:00:00"));
  EXPECT_EQ(RecordedMinutes(cam, kMay7).count(), 0u);
}

TEST(RecordedMinutes, FileSpanningSeveralDaysFlagsTheWholeDay) {
  SimCamera cam;
  cam.files.push_back(FileSpan("2013-05-01T00:00:00", "2013-05-30T00:00:00"));
  EXPECT_EQ(RecordedMinutes(cam, kMay7).count(), 1440u);
}

TEST(RecordedMinutes, LeapDayIsItsOwnDate) {
  SimCamera cam;
  cam.files.push_back(FileSpan("2012-02-29T12:00:00", "2012-03-01T00:00:59"));
  EXPECT_EQ(Runs(RecordedMinutes(cam, CivilDate{2012, 2, 29})),
            (std::vector<std::pair<int, int>>{{720, 1439}}));
  EXPECT_EQ(Runs(RecordedMinutes(cam, CivilDate{2012, 3, 1})),
            (std::vector<std::pair<int, int>>{{0, 0}}));
}

TEST(PackTracker, MinutesGoToTheirByteAndBit) {
  struct Case {
    int minute;
    std::size_t byte;
    std::uint8_t value;
  };
  const Case cases[] = {
      {0, 0, 0x01},   {7, 0, 0x80},   {8, 1, 0x01},    {55, 6, 0x80},
      {56, 7, 0x01},  {59, 7, 0x08},  {60, 8, 0x01},   {539, 71, 0x08},
      {1439, 191, 0x08},
  };
  for (const Case& c : cases) {
    MinuteFlags flags;
    flags.set(c.minute);
    const DayTracker t = PackTracker(flags);
    for (std::size_t i = 0; i < kTrackerBytes; ++i) {
      EXPECT_EQ(t[i], i == c.byte ? c.value : 0) << "minute " << c.minute << " byte " << i;
    }
  }
}

TEST(PackTracker, FullDayKeepsUpperNibbleOfEveryEighthByteClear) {
  MinuteFlags all;
  all.set();
  const DayTracker t = PackTracker(all);
  for (std::size_t i = 0; i < kTrackerBytes; ++i) {
    EXPECT_EQ(t[i], i % 8 == 7 ? 0x0F : 0xFF) << "byte " << i;
  }
}

TEST(PackTracker, HourEightFromTheSampleFile) {
  MinuteFlags flags;
  for (int m = 480; m <= 539; ++m) flags.set(m);
  const DayTracker t = PackTracker(flags);
  for (std::size_t i = 0; i < kTrackerBytes; ++i) {
    const bool hour8 = i >= 64 && i < 72;
    const int expected = !hour8 ? 0 : (i == 71 ? 0x0F : 0xFF);
    EXPECT_EQ(t[i], expected) << "byte " << i;
  }
}

TEST(ParseQueryDate, AcceptsThreeDotSeparatedNumbersFormingADate) {
  struct Case {
    const char* text;
    bool ok;
    int y, m, d;
  };
  const Case cases[] = {
      {"05.07.2013", true, 2013, 5, 7},
      {"5.7.2013", true, 2013, 5, 7},
      {"02.29.2012", true, 2012, 2, 29},
      {"12.31.9999", true, 9999, 12, 31},
      {"02.29.2013", false, 0, 0, 0},   // not a leap year
      {"13.01.2013", false, 0, 0, 0},
      {"00.10.2013", false, 0, 0, 0},
      {"2013.05", false, 0, 0, 0},       // one dot
      {"05.07.2013.", false, 0, 0, 0},
      {"05..2013", false, 0, 0, 0},
      {"05.07.20130", false, 0, 0, 0},   // five digits
      {"05.07.0", false, 0, 0, 0},
      {"+5.07.2013", false, 0, 0, 0},
      {" 05.07.2013", false, 0, 0, 0},
      {"", false, 0, 0, 0},
      {"..", false, 0, 0, 0},
  };
  for (const Case& c : cases) {
    CivilDate d{-1, -1, -1};
    EXPECT_EQ(ParseQueryDate(c.text, &d), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(d.year, c.y) << c.text;
      EXPECT_EQ(d.month, c.m) << c.text;
      EXPECT_EQ(d.day, c.d) << c.text;
    } else {
      EXPECT_EQ(d.year, -1) << "output touched for " << c.text;
    }
  }
}

TEST(ParseWallClock, RejectsMalformedTextsWithoutOverreading) {
  const char* bad[] = {
      "", "2013-05-07", "2013-05-07T08:00:1", "2013-05-07 08:00:12",
      "2013/05/07T08:00:12", "2013-13-07T08:00:12", "2013-04-31T08:00:12",
      "2013-05-07T24:00:00", "2013-05-07T23:60:00", "2013-05-07T23:59:60",
      "0000-01-01T00:00:00", "2013-5-07T08:00:12", "2013-05-07T08:0a:12",
  };
  for (const char* text : bad) {
    WallSeconds s = 42;
    EXPECT_FALSE(ParseWallClock(text, &s)) << text;
    EXPECT_EQ(s, 42) << text;
  }
}

TEST(ParseWallClock, OrdersAcrossMonthAndYearEnds) {
  WallSeconds a = 0, b = 0, c = 0;
  ASSERT_TRUE(ParseWallClock("2012-12-31T23:59:59", &a));
  ASSERT_TRUE(ParseWallClock("2013-01-01T00:00:00-04:00", &b));
  ASSERT_TRUE(ParseWallClock("2013-03-01T00:00:00", &c));
  EXPECT_EQ(b - a, 1);
  EXPECT_EQ(c - b, (31 + 28) * 86400);
}

}  // namespace
}  // namespace qmsim
