// Prepared inputs of one synthetic day for the microbenchmarks: the replies
// as the server sends them, the tracker's interval rows and the parsed file
// and motion lists, built once per day size and kept for the whole run.
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
  QM::RecFileList files;
  QM::RecMotionList motions;
};

// The day of `spec`, built on first use; the reference stays valid for the
// whole process.
const DayData& GetDay(const DaySpec& spec);

}  // namespace qmbench

#endif  // QM_BENCH_MICRO_DAY_DATA_H_
