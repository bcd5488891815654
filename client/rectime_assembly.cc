// Recording interval assembly: turns the day tracker's minute intervals,
// the recording files and the motion periods into the rows of the answer.
// Interval edges are moved from whole minutes to exact file boundaries,
// intervals lying in a gap between two files are dropped, and an interval
// that contains motion is replaced by the motion periods clipped to it.
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cwchar>
#include <vector>

#include <boost/make_shared.hpp>

#include "client/server.h"
#include "client/split.h"
#include "protocol/local_zone.h"

namespace QM {

namespace {

// Interval number of a row text: decimal, base 10; anything that does not
// fit an unsigned 32-bit value (negative, overflowing) reads as 0.
unsigned int ParseRowIndex(const std::wstring& text) {
  errno = 0;
  const long value = std::wcstol(text.c_str(), nullptr, 10);
  if (errno == ERANGE || value < 0 ||
      static_cast<unsigned long>(value) > UINT_MAX) {
    return 0;
  }
  return static_cast<unsigned int>(value);
}

// Calendar time of a date-time text; 0 when it does not convert.
time_t TextTime(const std::wstring& text) {
  time_t value = 0;
  Server::ConvToTimeT(text, &value);
  return value;
}

// Builds the working list of tracker intervals from rows "N,START,END".
// A row with fewer than three pieces takes the missing ones as empty texts
// (its times then read as 0); pieces beyond the third are ignored.
RecTimeList BuildTrackerIntervals(unsigned int camera_id,
                                  const std::vector<std::wstring>& rows,
                                  const std::wstring& suffix) {
  RecTimeList intervals = boost::make_shared<RecTimeVector>();
  for (const std::wstring& row : rows) {
    const std::vector<std::wstring> parts = split(row, L',');
    const std::wstring empty;
    const std::wstring& number = parts.size() > 0 ? parts[0] : empty;
    const std::wstring& start = parts.size() > 1 ? parts[1] : empty;
    const std::wstring& end = parts.size() > 2 ? parts[2] : empty;

    RecTimePtr interval = boost::make_shared<RecTime>(camera_id);
    interval->Idx = ParseRowIndex(number);
    interval->StartStr = start + suffix;
    interval->EndStr = end + suffix;
    interval->Start = TextTime(interval->StartStr);
    interval->End = TextTime(interval->EndStr);
    interval->RecType = 0;
    intervals->push_back(interval);
  }
  return intervals;
}

// Appends a copy of `interval` to `out`, numbered by the output counter.
void AppendCopy(const RecTimePtr& interval, RecTimeVector& out,
                unsigned int& counter) {
  RecTimePtr copy = boost::make_shared<RecTime>(*interval);
  copy->Idx = ++counter;
  out.push_back(copy);
}

// Appends a motion row (record type 1) with the given texts and their
// calendar times.
void AppendMotionRow(const RecMotion& motion, const std::wstring& start,
                     time_t start_time, const std::wstring& end,
                     time_t end_time, RecTimeVector& out,
                     unsigned int& counter) {
  RecTimePtr row = boost::make_shared<RecTime>(motion.CamId);
  row->Idx = ++counter;
  row->RecType = 1;
  row->StartStr = start;
  row->EndStr = end;
  row->Start = start_time;
  row->End = end_time;
  row->StartFixed = false;
  row->EndFixed = false;
  out.push_back(row);
}

// Idx of the tracker interval containing t, 0 when none does.
unsigned int ContainingIdx(time_t t, const RecTimeList& intervals) {
  RecTimePtr found;
  Server::GetIncludedRecTimePtr(t, intervals, found);
  return found ? found->Idx : 0;
}

// Start and end of one recording file as calendar times.
struct FileTimes {
  time_t start;
  time_t end;
};

// The calendar times of the files in list order (null entries skipped),
// each text converted once.
std::vector<FileTimes> ConvertFiles(const std::vector<RecFilePtr>& files) {
  std::vector<FileTimes> times;
  times.reserve(files.size());
  for (const RecFilePtr& file : files) {
    if (!file) continue;
    times.push_back({TextTime(file->StartStr), TextTime(file->EndStr)});
  }
  return times;
}

// Moves every interval edge to the exact file boundaries: starts in list
// order, ends in reverse order. A file whose start equals its end is still
// being written: the last interval then ends now.
void SnapToFiles(const std::vector<FileTimes>& files,
                 const std::wstring& suffix, RecTimeList& intervals) {
  time_t previous_end = 0;
  for (const FileTimes& file : files) {
    const time_t fs = file.start;
    const time_t fe = file.end;
    if (previous_end == 0 || (previous_end > 0 && fs - previous_end > 1)) {
      Server::AdjustStartEndTime(fs, fe, suffix, intervals, 0);
    }
    previous_end = fe;
  }

  time_t next_start = 0;
  for (auto it = files.rbegin(); it != files.rend(); ++it) {
    const time_t fs = it->start;
    const time_t fe = it->end;
    if (fs == fe) {
      RecTimePtr& last = intervals->back();
      last->End = time(nullptr);
      Server::ConvToDateTimeStr(last->End, last->EndStr, suffix);
      last->EndFixed = true;
    } else if (next_start == 0 || (next_start > 0 && next_start - fe > 1)) {
      Server::AdjustStartEndTime(fs, fe, suffix, intervals, 1);
    }
    next_start = fs;
  }
}

// Drops every interval lying wholly between the end of one file and the
// start of the next, renumbering the rest 1, 2, ... after each walk. The
// list is compacted in place.
void PruneGaps(const std::vector<FileTimes>& files, RecTimeList& intervals) {
  RecTimeVector& list = *intervals;
  time_t previous_end = 0;
  for (const FileTimes& file : files) {
    const time_t fs = file.start;
    if (previous_end != 0) {
      unsigned int counter = 0;
      size_t kept = 0;
      for (size_t i = 0; i < list.size(); ++i) {
        RecTime& interval = *list[i];
        if (interval.Start >= previous_end && interval.End <= fs) continue;
        interval.Idx = ++counter;
        if (kept != i) list[kept].swap(list[i]);
        ++kept;
      }
      list.resize(kept);
    }
    previous_end = file.end;
  }
}

// Replaces the intervals that contain motion by the motion periods clipped
// to them; intervals without motion are handed on as copies. Returns
// whether the merge handed out any row; when it did not, the caller hands
// on every interval unchanged.
bool MergeMotions(const RecMotionList& motions, const RecTimeList& intervals,
                  RecTimeVector& out, unsigned int& counter) {
  bool merged = false;  // flag F
  unsigned int next_idx = 1;  // x: first interval number not handed on
  if (!motions) return false;

  for (const RecMotionPtr& motion : *motions) {
    if (!motion) continue;
    const time_t ms = TextTime(motion->StartStr);
    const time_t me = TextTime(motion->EndStr);
    unsigned int a = ContainingIdx(ms, intervals);
    unsigned int b = ContainingIdx(me, intervals);
    if (a == 0 && b != 0) {
      a = b;
    } else if (a != 0 && b == 0) {
      b = a;
    }
    if (a == 0 && b == 0) continue;

    // Intervals before the motion's first interval that were not yet
    // handed on go out unchanged.
    for (const RecTimePtr& interval : *intervals) {
      if (interval->Idx == a) break;
      if (next_idx <= interval->Idx && interval->Idx < a) {
        AppendCopy(interval, out, counter);
        merged = true;
      }
    }

    if (a == b) {
      merged = true;
      RecTimePtr x;
      Server::GetRecTimePtrbyIdx(a, intervals, x);
      const std::wstring* s = &motion->StartStr;
      const std::wstring* e = &motion->EndStr;
      time_t s_time = ms;
      time_t e_time = me;
      if (x) {
        if (x->Start > ms) {
          s = &x->StartStr;
          s_time = TextTime(*s);
        } else if (x->End < me) {
          e = &x->EndStr;
          e_time = TextTime(*e);
        }
      }
      AppendMotionRow(*motion, *s, s_time, *e, e_time, out, counter);
    } else {
      // The motion spans several intervals: one row per interval, clipped
      // at the interval edges the motion does not cover. Only the numbers
      // from a to b that an interval carries are visited, in ascending
      // order, so the work stays bounded by the intervals however far apart
      // their numbers are.
      std::vector<unsigned int> numbers;
      for (const RecTimePtr& interval : *intervals) {
        if (interval->Idx >= a && interval->Idx <= b) {
          numbers.push_back(interval->Idx);
        }
      }
      std::sort(numbers.begin(), numbers.end());
      numbers.erase(std::unique(numbers.begin(), numbers.end()),
                    numbers.end());
      for (const unsigned int k : numbers) {
        RecTimePtr interval;
        Server::GetRecTimePtrbyIdx(k, intervals, interval);
        if (!interval) continue;
        merged = true;
        if (k == a) {
          AppendMotionRow(*motion, motion->StartStr, ms, interval->EndStr,
                          TextTime(interval->EndStr), out, counter);
        } else if (k == b) {
          AppendMotionRow(*motion, interval->StartStr,
                          TextTime(interval->StartStr), motion->EndStr, me,
                          out, counter);
        } else {
          AppendMotionRow(*motion, interval->StartStr,
                          TextTime(interval->StartStr), interval->EndStr,
                          TextTime(interval->EndStr), out, counter);
        }
      }
    }
    next_idx = b + 1;
  }

  if (merged && !intervals->empty() && intervals->back()->Idx >= next_idx) {
    for (const RecTimePtr& interval : *intervals) {
      if (interval->Idx >= next_idx) AppendCopy(interval, out, counter);
    }
  }
  return merged;
}

}  // namespace

RecTimeList Server::MakeRecTimes(unsigned int camera_id,
                                 std::vector<std::wstring>& rows,
                                 RecFileList files, RecMotionList motions) {
  const ScopedLocalZone zone;
  RecTimeList result = boost::make_shared<RecTimeVector>();
  if (!files || files->empty()) return result;

  const RecFilePtr& first = files->front();
  const std::wstring suffix =
      first ? GetTimeZoneString(first->StartStr) : std::wstring();

  RecTimeList intervals = BuildTrackerIntervals(camera_id, rows, suffix);
  if (intervals->empty()) return result;

  const std::vector<FileTimes> file_times = ConvertFiles(*files);
  SnapToFiles(file_times, suffix, intervals);
  PruneGaps(file_times, intervals);

  unsigned int counter = 0;  // c: rows handed out so far
  const bool merged = MergeMotions(motions, intervals, *result, counter);
  if (!merged) {
    for (const RecTimePtr& interval : *intervals) {
      AppendCopy(interval, *result, counter);
    }
  }
  return result;
}

void Server::AdjustStartEndTime(time_t start, time_t end, std::wstring suffix,
                                RecTimeList& rows, int mode) {
  if (!rows || rows->empty()) return;
  const bool move_start = (mode == 0);
  const time_t t = move_start ? start : end;

  auto move = [&](const RecTimePtr& row) {
    if (move_start) {
      if (row->StartFixed) return;
      row->Start = t;
      ConvToDateTimeStr(t, row->StartStr, suffix);
      row->StartFixed = true;
    } else {
      if (row->EndFixed) return;
      row->End = t;
      ConvToDateTimeStr(t, row->EndStr, suffix);
      row->EndFixed = true;
    }
  };

  for (const RecTimePtr& row : *rows) {
    if (row && row->Start <= t && t <= row->End) {
      move(row);
      return;
    }
  }

  // No row contains t: it may still extend the first row's start backwards
  // or the last row's end forwards.
  if (move_start) {
    const RecTimePtr& first = rows->front();
    if (first && t < first->Start) move(first);
  } else {
    const RecTimePtr& last = rows->back();
    if (last && t > last->End) move(last);
  }
}

void Server::GetIncludedRecTimePtr(time_t t, const RecTimeList& rows,
                                   RecTimePtr& out) {
  if (!rows) return;
  for (const RecTimePtr& row : *rows) {
    if (row && row->Start <= t && t <= row->End) {
      out = row;
      return;
    }
  }
}

void Server::GetRecTimePtrbyIdx(unsigned int idx, const RecTimeList& rows,
                                RecTimePtr& out) {
  if (!rows) return;
  for (const RecTimePtr& row : *rows) {
    if (row && row->Idx == idx) {
      out = row;
      return;
    }
  }
}

unsigned int Server::GetIncludedIdxFromRecTimes(time_t t,
                                                const RecTimeList& rows) {
  RecTimePtr found;
  GetIncludedRecTimePtr(t, rows, found);
  return found ? found->Idx : 0;
}

}  // namespace QM
