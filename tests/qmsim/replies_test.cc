// Replies built by the stand-in: day-tracker bits, window selection.
#include <gtest/gtest.h>

#include "dataset_reply.h"
#include "day_tracker.h"
#include "preset_store.h"
#include "request_handler.h"
#include "server_state.h"

using namespace qmsim;

namespace {

TEST(TrackerReply, FileMinutesClippedAtMidnightAndZerosForBadDateOrCamera) {
  Scenario s;
  std::string error;
  ASSERT_TRUE(ParseScenarioText(
      "<scenario><camera id='1'><file id='1' start='2013-05-07T08:00:12-04:00' "
      "end='2013-05-07T08:59:40-04:00'/></camera><camera id='2'><file id='2' "
      "start='2013-05-06T23:58:00' end='2013-05-07T00:01:00'/></camera><camera id='3'>"
      "<file id='3' start='2013-05-07T23:59:30' end='2013-05-08T00:30:00'/></camera>"
      "<camera id='4'><file id='4' start='1900-02-28T12:00:00' end='1900-03-01T12:00:00'/>"
      "<file id='5' start='2000-02-29T10:00:00' end='2000-02-29T10:00:59'/><file id='6' "
      "start='2013-02-28T12:00:00' end='2013-03-01T12:00:00'/></camera></scenario>",
      &s, &error)) << error;
  const struct { std::int32_t camera; const char* date; int first, last; } cases[] = {
      {1, "05.07.2013", 480, 539}, {1, "05.08.2013", -1, -1},
      {2, "05.06.2013", 1438, 1439}, {2, "05.07.2013", 0, 1},
      {3, "05.07.2013", 1439, 1439}, {3, "05.08.2013", 0, 30},  // then bad dates, camera
      {1, "2013.05", -1, -1}, {1, "02.30.2013", -1, -1}, {99, "05.07.2013", -1, -1},
      {4, "02.29.2000", 600, 600}, {4, "02.29.1900", -1, -1}, {4, "02.29.2013", -1, -1},  // leap years
  };
  PresetStore presets(s);
  const ServerState state{s, presets, 0};
  for (const auto& c : cases) {
    SimRequest r;
    r.command = kCmdGetDateTimeTracker, r.uid = r.pwd = "pw", r.camera_valid = true;
    r.camera = c.camera, r.str1 = c.date;
    MinuteFlags want;
    for (int m = c.first; m >= 0 && m <= c.last; ++m) want.set(m);
    const DayTracker t = PackTracker(want);
    EXPECT_EQ(AnswerRequest(r, state, {"pw", "pw"}).bytes, std::string(t.begin(), t.end()))
        << "camera " << c.camera << " date " << c.date;
  }
}

TEST(PackTracker, MinutesGoToTheirBitAndEveryEighthByteCarriesOnlyFour) {
  const struct { int minute; std::size_t byte; std::uint8_t value; } cases[] = {
      {0, 0, 0x01}, {7, 0, 0x80}, {8, 1, 0x01}, {55, 6, 0x80}, {56, 7, 0x01}, {59, 7, 0x08},
      {60, 8, 0x01}, {1439, 191, 0x08}};
  for (const auto& c : cases) {
    DayTracker want{};
    want[c.byte] = c.value;
    EXPECT_EQ(PackTracker(MinuteFlags().set(c.minute)), want) << "minute " << c.minute;
  }
  DayTracker full;
  for (std::size_t k = 0; k < kTrackerBytes; ++k) full[k] = k % 8 == 7 ? 0x0F : 0xFF;
  EXPECT_EQ(PackTracker(MinuteFlags().set()), full);
}

// The window is one day, seconds 0 to 86400.
TEST(OverlapsWindow, EndAtWindowStartIsListedStartAtWindowEndIsNot) {
  const struct { WallSeconds start, end; bool listed; } cases[] = {
      {-7200, -1, false}, {-7200, 0, true}, {86399, 93600, true}, {86400, 93600, false},
      {-6 * 86400, 20 * 86400, true}};
  for (const auto& c : cases)
    EXPECT_EQ(OverlapsWindow(c.start, c.end, 0, 86400), c.listed) << c.start << " " << c.end;
}

}  // namespace
