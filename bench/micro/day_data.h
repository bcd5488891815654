// Prepared inputs of one synthetic day for the microbenchmarks: the replies
// as the server sends them, the tracker's interval rows and the parsed file
// and motion lists, built once per day size and kept for the whole run. The
// lists are parsed only when asked for, so that a parser's benchmark calls
// the parser only in its measured loop (scaling_ir.sh counts every call).
#ifndef QM_BENCH_MICRO_DAY_DATA_H_
#define QM_BENCH_MICRO_DAY_DATA_H_

#include <string>
#include <vector>

#include "bench/common/day_model.h"
#include "client/server.h"

namespace qmbench {

struct DayData {
  std::vector<unsigned char> tracker_reply;
  std::string files_reply;
  std::string motions_reply;
  std::vector<bool> tracker;
  std::vector<std::wstring> rows;  // "N,START,END" interval rows
  size_t file_count;
  size_t motion_count;
  QM::RecFileList files;      // null until GetParsedDay
  QM::RecMotionList motions;  // null until GetParsedDay
};

// The day of `size`, built on first use; the reference stays valid for the
// whole process.
const DayData& GetDay(const DaySize& size);
// GetDay with the file and motion lists parsed from the replies.
const DayData& GetParsedDay(const DaySize& size);

}  // namespace qmbench

#endif  // QM_BENCH_MICRO_DAY_DATA_H_
