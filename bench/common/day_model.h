// Synthetic recording days for the benchmarks: one camera, one date, a number
// of tracker intervals filled with back-to-back recording files and motion
// periods of a few seconds spread over the day. The same model feeds the
// microbenchmarks (replies built in memory) and the whole-run benchmark
// (a scenario file for qmsim), so both measure the same day.
#ifndef QM_BENCH_COMMON_DAY_MODEL_H_
#define QM_BENCH_COMMON_DAY_MODEL_H_

#include <string>
#include <vector>

namespace qmbench {

// The camera, date and zone suffix every synthetic day uses.
const unsigned int kCamera = 12;
extern const wchar_t kQueryDate[];  // "05.07.2013", as on the command line
extern const char kDay[];           // "2013-05-07"
extern const char kSuffix[];        // "-04:00"

// Size of a day. Intervals are the tracker's runs of recorded minutes; the
// files are shared out over them in order, the motions spread evenly over
// the whole day (some fall into the gaps between intervals).
struct DaySize {
  unsigned int intervals = 31;
  unsigned int files = 93;
  unsigned int motions = 200;
};

// A span of wall-clock seconds of the day, both ends inclusive.
struct Span {
  int start;
  int end;
};

struct Day {
  std::vector<Span> files;
  std::vector<Span> motions;
};

// The realistic day (31 intervals, 93 files, 200 motions) times `scale` in
// files and motions; the intervals stay (the tracker caps them).
DaySize ScaledDay(unsigned int scale);

// Lays out the files and motions of a day. Every gap between two intervals
// holds at least one whole unrecorded minute; files inside an interval are
// separated by two unrecorded seconds, so that no minute between them goes
// unflagged.
Day MakeDay(const DaySize& size);

// "2013-05-07THH:MM:SS" followed by `suffix`.
std::string WallText(int second_of_day, const char* suffix);

// The 192-byte day tracker: a minute is flagged when a file covers at least
// one second of it.
std::vector<unsigned char> TrackerReply(const Day& day);

// The recording-info and motion-info replies, DataSet rows in the layout
// the server writes (one row per file or motion, in day order).
std::string RecordingInfoReply(const Day& day);
std::string MotionInfoReply(const Day& day);

// A qmsim scenario holding the day's files and motions for kCamera.
std::string Scenario(const Day& day);

}  // namespace qmbench

#endif  // QM_BENCH_COMMON_DAY_MODEL_H_
