// QM::FrameStream reassembling a live stream already in memory, each read
// taking what the reassembler asked for but at most 64 KiB, next to a plain
// memcpy of the same bytes in 64 KiB pieces into one place, the ceiling any
// reassembly that copies the bytes once can reach. The argument is the
// frame payload size; throughput is reported in bytes of stream per second.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <vector>

#include "bench/common/service_model.h"
#include "services/frame_stream.h"

namespace {

// Largest read the caller makes, as a socket read into the asked place.
const size_t kMaxRead = 64 * 1024;
// Stream held in memory: 16 MiB, within a last-level cache of 32 MiB, so
// that the work per read, not memory bandwidth alone, decides (bytes just
// received from a socket are in the cache too).
const size_t kStreamBytes = 16 * 1024 * 1024;

const std::vector<unsigned char>& Stream(unsigned payload) {
  static std::map<unsigned, std::vector<unsigned char>> cache;
  auto found = cache.find(payload);
  if (found == cache.end())
    found = cache.emplace(payload, qmbench::LiveStream(payload, kStreamBytes)).first;
  return found->second;
}

void BM_FrameStream(benchmark::State& state) {
  const std::vector<unsigned char>& stream = Stream(static_cast<unsigned>(state.range(0)));
  QM::FrameStream frames;
  size_t complete = 0;
  for (auto _ : state) {
    unsigned int want = 0;
    unsigned char* place = frames.GetInputMetadata(-1, &want);
    const unsigned char* in = stream.data();
    size_t left = stream.size();
    while (left > 0) {
      const size_t n = std::min({static_cast<size_t>(want), kMaxRead, left});
      std::memcpy(place, in, n);
      in += n;
      left -= n;
      place = frames.GetInputMetadata(static_cast<int>(n), &want);
      if (frames.FrameComplete()) {
        ++complete;
        benchmark::DoNotOptimize(frames.Payload());
      }
    }
  }
  benchmark::DoNotOptimize(complete);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * stream.size()));
}
BENCHMARK(BM_FrameStream)->Arg(1024)->Arg(65536)->Arg(1048576);

void BM_MemcpyCeiling(benchmark::State& state) {
  const std::vector<unsigned char>& stream = Stream(static_cast<unsigned>(state.range(0)));
  std::vector<unsigned char> place(QM::FrameStream::kDefaultCapacity);
  for (auto _ : state) {
    const unsigned char* in = stream.data();
    size_t left = stream.size();
    while (left > 0) {
      const size_t n = std::min(kMaxRead, left);
      std::memcpy(place.data(), in, n);
      in += n;
      left -= n;
      benchmark::ClobberMemory();
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * stream.size()));
}
BENCHMARK(BM_MemcpyCeiling)->Arg(1024)->Arg(65536)->Arg(1048576);

}  // namespace
