// The day tracker: decoding the 192-byte bitmap and the minute walk that
// turns its flags into interval rows.
#include <benchmark/benchmark.h>

#include "bench/micro/day_data.h"

namespace {

void BM_TrackerDecode(benchmark::State& state) {
  const qmbench::DayData& day = qmbench::GetDay(qmbench::ScaledDay(1));
  for (auto _ : state) {
    std::vector<bool> flags = QM::Server::RspPkt_ParseGetDateTimeTracker(
        day.tracker_reply.data(),
        static_cast<unsigned>(day.tracker_reply.size()));
    benchmark::DoNotOptimize(flags.size());
  }
}
BENCHMARK(BM_TrackerDecode);

// 1440 minute steps; the realistic day gives 31 interval rows.
void BM_TrackerRows(benchmark::State& state) {
  const qmbench::DayData& day = qmbench::GetDay(qmbench::ScaledDay(1));
  for (auto _ : state) {
    std::vector<std::wstring> rows;
    QM::Server::ConvRecInfoPerDatFromVpm(qmbench::kCamera, qmbench::kQueryDate,
                                         day.tracker, rows);
    benchmark::DoNotOptimize(rows.data());
  }
  state.counters["rows"] = static_cast<double>(day.rows.size());
}
BENCHMARK(BM_TrackerRows);

}  // namespace
