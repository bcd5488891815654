// Replies of a camera's day built in the test, as the stand-in server would
// send them (the tracker flags every wall-clock minute a file touches), and
// small helpers for zones and instants.
#ifndef QM_TESTS_QMCTL_DAY_DAY_FIXTURES_H_
#define QM_TESTS_QMCTL_DAY_DAY_FIXTURES_H_

#include <boost/make_shared.hpp>

#include <string>
#include <utility>
#include <vector>

#include "day_assembly.h"
#include "protocol/text_convert.h"

namespace qmday {

using Periods = std::vector<std::pair<std::string, std::string>>;  // full texts

// Minute of the day of a text "YYYY-MM-DDTHH:MM..." on its own wall clock.
inline int WallMinute(const std::string& text) {
  return std::stoi(text.substr(11, 2)) * 60 + std::stoi(text.substr(14, 2));
}

// Replies for one day: files and motions as texts; the tracker flags the
// wall-clock minutes from each file's start to its end (a file ending before
// it starts on the wall clock flags nothing), as qmsim does for files within
// the day.
inline qmctl::DayReplies Replies(const Periods& files, const Periods& motions) {
  qmctl::DayReplies replies;
  replies.tracker.assign(1440, false);
  replies.files = boost::make_shared<std::vector<QM::RecFilePtr>>();
  replies.motions = boost::make_shared<std::vector<QM::RecMotionPtr>>();
  unsigned id = 0;
  for (const auto& f : files) {
    auto file = boost::make_shared<QM::RecFile>(L"f");
    file->CamId = 12, file->FileId = ++id;
    file->StartStr = string_to_wstring(f.first), file->EndStr = string_to_wstring(f.second);
    replies.files->push_back(file);
    for (int m = WallMinute(f.first); m <= WallMinute(f.second); ++m) replies.tracker[size_t(m)] = true;
  }
  for (const auto& m : motions) {
    auto motion = boost::make_shared<QM::RecMotion>(12);
    motion->StartStr = string_to_wstring(m.first), motion->EndStr = string_to_wstring(m.second);
    replies.motions->push_back(motion);
  }
  return replies;
}

// "IDX,TYPE,START,END" of every row.
inline std::vector<std::string> RowTexts(const qmctl::DayResult& result) {
  std::vector<std::string> rows;
  for (const qmctl::DayRow& row : result.rows)
    rows.push_back(std::to_string(row.idx) + "," + std::to_string(row.type) + "," + row.start_text +
                   "," + row.end_text);
  return rows;
}

// Unix seconds of a UTC wall-clock time "YYYY-MM-DDTHH:MM:SS".
inline time_t Utc(const std::string& text) {
  struct tm t = {};
  t.tm_year = std::stoi(text.substr(0, 4)) - 1900, t.tm_mon = std::stoi(text.substr(5, 2)) - 1;
  t.tm_mday = std::stoi(text.substr(8, 2)), t.tm_hour = std::stoi(text.substr(11, 2));
  t.tm_min = std::stoi(text.substr(14, 2)), t.tm_sec = std::stoi(text.substr(17, 2));
  return timegm(&t);
}

// The files of the spring-forward and fall-back days of scenarios/
// (Europe/Berlin).
inline const Periods kSpringFiles = {
    {"2013-03-31T00:00:05+01:00", "2013-03-31T01:29:50+01:00"},
    {"2013-03-31T01:30:02+01:00", "2013-03-31T03:44:58+02:00"},
    {"2013-03-31T06:00:00+02:00", "2013-03-31T11:59:59+02:00"},
    {"2013-03-31T13:00:03+02:00", "2013-03-31T23:59:59+02:00"}};
inline const Periods kFallFiles = {
    {"2013-10-27T00:00:04+02:00", "2013-10-27T02:40:00+02:00"},
    {"2013-10-27T02:20:00+01:00", "2013-10-27T07:59:58+01:00"},
    {"2013-10-27T09:00:02+01:00", "2013-10-27T23:59:59+01:00"}};

}  // namespace qmday

#endif  // QM_TESTS_QMCTL_DAY_DAY_FIXTURES_H_
