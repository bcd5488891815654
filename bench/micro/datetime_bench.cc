// The date-time helpers the assembly calls per file and motion edge.
#include <benchmark/benchmark.h>

#include <ctime>

#include "client/server.h"

namespace {

void BM_ConvToTimeT(benchmark::State& state) {
  const std::wstring text = L"2013-05-07T08:00:12-04:00";
  for (auto _ : state) {
    time_t value = 0;
    QM::Server::ConvToTimeT(text, &value);
    benchmark::DoNotOptimize(value);
  }
}
BENCHMARK(BM_ConvToTimeT);

void BM_ConvToDateTimeStr(benchmark::State& state) {
  const time_t value = 1367928012;
  const std::wstring suffix = L"-04:00";
  for (auto _ : state) {
    std::wstring text;
    QM::Server::ConvToDateTimeStr(value, text, suffix);
    benchmark::DoNotOptimize(text.data());
  }
}
BENCHMARK(BM_ConvToDateTimeStr);

}  // namespace
