// The local-zone pin: with TZ unset it may only change how often the C
// library looks at its default zone file, never a converted value, and it
// must leave TZ as it found it (or as a tick conversion left it). Each case
// runs in a private mount namespace (qm_add_netns_test) where a zone with
// daylight saving time is bound over /etc/localtime.
#include <sys/mount.h>
#include <sched.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "client/server.h"
#include "protocol/local_zone.h"
#include "protocol/ticks.h"

namespace {

// Binds a zone with daylight saving time over the default zone file, in a
// mount namespace of this process only.
bool UseNewYorkAsDefaultZone() {
  return unshare(CLONE_NEWNS) == 0 &&
         mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
         mount("/usr/share/zoneinfo/America/New_York", "/etc/localtime", nullptr,
               MS_BIND, nullptr) == 0;
}

// mktime of every minute of both 2013 switch days (broken-down time cleared,
// daylight-saving flag 0, as the query builds it), the localtime_r of each
// result, and ConvToTimeT / ConvToDateTimeStr of the same wall times.
std::vector<std::wstring> Conversions() {
  std::vector<std::wstring> out;
  for (int month_day : {210, 1003}) {  // tm_mon 2 and 10: 10 March, 3 November
    for (int minute = 0; minute < 24 * 60; minute += 1) {
      struct tm broken;
      std::memset(&broken, 0, sizeof broken);
      broken.tm_year = 113;
      broken.tm_mon = month_day / 100;
      broken.tm_mday = month_day % 100;
      broken.tm_min = minute;
      const time_t t = mktime(&broken);
      struct tm local;
      std::memset(&local, 0, sizeof local);
      localtime_r(&t, &local);
      std::wstring text;
      QM::Server::ConvToDateTimeStr(t, text, L"");
      time_t back = 0;
      QM::Server::ConvToTimeT(text, &back);
      out.push_back(std::to_wstring(t) + L" " + std::to_wstring(local.tm_isdst) + L" " +
                    text + L" " + std::to_wstring(back));
    }
  }
  return out;
}

TEST(ScopedLocalZone, PinnedDefaultZoneConvertsEveryMinuteOfBothDstSwitchDaysAsUnpinned) {
  ASSERT_TRUE(UseNewYorkAsDefaultZone());
  unsetenv("TZ");
  const std::vector<std::wstring> unpinned = Conversions();
  // The zone really is the bound one: 12:00 on 3 November is EST.
  ASSERT_NE(unpinned[1440 + 720].find(L"1383498000 0"), std::wstring::npos);
  std::vector<std::wstring> pinned;
  {
    const QM::ScopedLocalZone zone;
    ASSERT_NE(getenv("TZ"), nullptr);
    pinned = Conversions();
  }
  EXPECT_EQ(getenv("TZ"), nullptr);
  EXPECT_EQ(pinned, unpinned);
}

// The tracker's minute walk as its design states it: every step normalised
// by mktime and broken down again by localtime_r. In summer the cleared
// daylight-saving flag makes each step jump an hour; the walk must do exactly
// that too.
std::vector<std::wstring> ReferenceWalk(int month, int day, const std::vector<bool>& flags) {
  const auto normalise = [](struct tm value) {
    const time_t t = mktime(&value);
    struct tm local, out;
    std::memset(&local, 0, sizeof local);
    std::memset(&out, 0, sizeof out);
    localtime_r(&t, &local);
    out.tm_sec = local.tm_sec, out.tm_min = local.tm_min, out.tm_hour = local.tm_hour;
    out.tm_mday = local.tm_mday, out.tm_mon = local.tm_mon, out.tm_year = local.tm_year;
    return out;
  };
  const auto hms = [](const struct tm& t) {
    wchar_t text[16];
    swprintf(text, 16, L"%02d:%02d:%02d", t.tm_hour, t.tm_min, t.tm_sec);
    return std::wstring(text);
  };
  wchar_t day_text[16];
  swprintf(day_text, 16, L"2013-%02d-%02dT", month, day);
  struct tm walk;
  std::memset(&walk, 0, sizeof walk);
  walk.tm_year = 113, walk.tm_mon = month - 1, walk.tm_mday = day;
  std::vector<std::wstring> rows;
  std::wstring start;
  bool inside = false;
  for (size_t i = 0; i <= flags.size(); ++i) {
    const bool set = i < flags.size() && flags[i];
    if (!inside && set) {
      start = hms(walk), inside = true;
    } else if (inside && !set) {
      struct tm before = walk;
      before.tm_sec -= 1;
      rows.push_back(std::to_wstring(rows.size() + 1) + L"," + day_text + start + L"," +
                     day_text + hms(normalise(before)));
      inside = false;
    }
    struct tm next = walk;
    next.tm_min += 1;
    walk = normalise(next);
  }
  return rows;
}

TEST(ScopedLocalZone, MinuteWalkOnSwitchAndSummerDaysVisitsWhatMktimeAndLocaltimeGive) {
  ASSERT_TRUE(UseNewYorkAsDefaultZone());
  unsetenv("TZ");
  std::vector<bool> flags(1440);
  for (size_t i = 0; i < flags.size(); ++i) flags[i] = (i / 7) % 3 != 0;
  for (const auto& date : {std::make_pair(3, 10), std::make_pair(11, 3), std::make_pair(7, 4)}) {
    wchar_t query[16];
    swprintf(query, 16, L"%02d.%02d.2013", date.first, date.second);
    std::vector<std::wstring> rows;
    QM::Server::ConvRecInfoPerDatFromVpm(12, query, flags, rows);
    EXPECT_EQ(rows, ReferenceWalk(date.first, date.second, flags)) << query;
    EXPECT_EQ(getenv("TZ"), nullptr);
  }
}

TEST(ScopedLocalZone, LeavesASetTzAloneAndNeverRestoresOverAChange) {
  const struct Case {
    const char* before;  // TZ at construction (null: unset)
    int change;          // 0 none, 1 a tick conversion (removes TZ), 2 TZ set to EST5
    const char* after;   // TZ expected after the scope
  } cases[] = {
      {nullptr, 0, nullptr}, {"AST4", 0, "AST4"}, {nullptr, 1, nullptr},
      {nullptr, 2, "EST5"},  {"AST4", 2, "EST5"},
  };
  for (const Case& c : cases) {
    c.before ? setenv("TZ", c.before, 1) : unsetenv("TZ");
    {
      const QM::ScopedLocalZone outer;
      const QM::ScopedLocalZone inner;  // nested scopes change nothing more
      if (c.before) {
        EXPECT_STREQ(getenv("TZ"), c.before);
      }
      if (c.change == 1) QM::DateTimeToDotNetDateTime(2013, 5, 7, 0, 0, 0, 0);
      if (c.change == 2) setenv("TZ", "EST5", 1);
    }
    const char* now = getenv("TZ");
    EXPECT_STREQ(now ? now : "(unset)", c.after ? c.after : "(unset)") << c.change;
  }
}

}  // namespace
