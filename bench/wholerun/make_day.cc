// Writes the qmsim scenario of a synthetic day to standard output:
//   qm_bench_day FILES MOTIONS
// (31 tracker intervals, camera 12, 2013-05-07; see bench/common/day_model.h).
#include <cstdio>
#include <cstdlib>

#include "bench/common/day_model.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: qm_bench_day FILES MOTIONS\n");
    return 2;
  }
  qmbench::DaySize size;
  size.files = static_cast<unsigned>(std::strtoul(argv[1], nullptr, 10));
  size.motions = static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10));
  const std::string scenario = qmbench::Scenario(qmbench::MakeDay(size));
  std::fwrite(scenario.data(), 1, scenario.size(), stdout);
  return 0;
}
