// Reply parsers of the server services at 10 and 1,000 rows (camera
// directory in both forms, video-file list, presets), the file-header
// parser and frame times over a 100,000-frame table. Families taking a row
// count feed the scaling table.
#include <benchmark/benchmark.h>

#include <boost/make_shared.hpp>
#include <map>
#include <string>
#include <vector>

#include "bench/common/service_model.h"
#include "client/server.h"

namespace {

// Replies of one kind, built once per row count.
template <typename Make>
const std::string& Cached(std::map<unsigned, std::string>& cache, unsigned rows, Make make) {
  auto found = cache.find(rows);
  if (found == cache.end()) found = cache.emplace(rows, make(rows)).first;
  return found->second;
}

void SetRows(benchmark::State& state, const std::string& reply) {
  state.counters["rows"] = static_cast<double>(state.range(0));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * reply.size()));
}

unsigned Rows(const benchmark::State& state) { return static_cast<unsigned>(state.range(0)); }

void BM_ParseCameraArray(benchmark::State& state) {
  static std::map<unsigned, std::string> cache;
  const std::string& reply = Cached(cache, Rows(state), qmbench::CameraArrayReply);
  QM::Server server;
  for (auto _ : state) {
    server.RspPkt_ParseCamerasMetadata(reply.data(), static_cast<unsigned>(reply.size()));
    benchmark::DoNotOptimize(server.FindCamera(1).get());
  }
  SetRows(state, reply);
}
BENCHMARK(BM_ParseCameraArray)->Arg(10)->Arg(1000);

void BM_ParseCameraTable(benchmark::State& state) {
  static std::map<unsigned, std::string> cache;
  const std::string& reply = Cached(cache, Rows(state), qmbench::CameraTableReply);
  QM::Server server;
  for (auto _ : state) {
    server.RspPkt_ParseCamerasMetadata(reply.data(), static_cast<unsigned>(reply.size()));
    benchmark::DoNotOptimize(server.FindCamera(1).get());
  }
  SetRows(state, reply);
}
BENCHMARK(BM_ParseCameraTable)->Arg(10)->Arg(1000);

void BM_ParseVideoFiles(benchmark::State& state) {
  static std::map<unsigned, std::string> cache;
  const std::string& reply = Cached(cache, Rows(state), qmbench::VideoFilesReply);
  for (auto _ : state) {
    QM::VideoFileList files =
        QM::Server::RspPkt_ParseVideoFilesMetadata(reply.data(), static_cast<unsigned>(reply.size()));
    benchmark::DoNotOptimize(files.get());
  }
  SetRows(state, reply);
}
BENCHMARK(BM_ParseVideoFiles)->Arg(10)->Arg(1000);

void BM_ParsePresets(benchmark::State& state) {
  static std::map<unsigned, std::string> cache;
  const std::string& reply = Cached(cache, Rows(state), qmbench::PresetsReply);
  for (auto _ : state) {
    QM::PresetList presets =
        QM::Server::RspPkt_ParsePresets(reply.data(), static_cast<unsigned>(reply.size()));
    benchmark::DoNotOptimize(presets.get());
  }
  SetRows(state, reply);
}
BENCHMARK(BM_ParsePresets)->Arg(10)->Arg(1000);

const unsigned kHeaderFrames = 100000;

const std::vector<unsigned char>& HeaderReply() {
  static const std::vector<unsigned char> reply = qmbench::FileHeaderReply(kHeaderFrames);
  return reply;
}

// The header and its 400 KB frame table copied into the file record.
void BM_ParseFileHeader(benchmark::State& state) {
  const std::vector<unsigned char>& reply = HeaderReply();
  QM::Server server;
  const QM::VideoFilePtr file = boost::make_shared<QM::VideoFile>(L"5_100001.vid");
  for (auto _ : state) {
    server.RspPkt_ParseVideoFileMetadata(reply.data(), static_cast<unsigned>(reply.size()), file);
    benchmark::DoNotOptimize(file->FrameTable.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * reply.size()));
}
BENCHMARK(BM_ParseFileHeader);

// The time of every frame of the table, in order; one item per frame.
void BM_Timestamp(benchmark::State& state) {
  const std::vector<unsigned char>& reply = HeaderReply();
  QM::Server server;
  const QM::VideoFilePtr file = boost::make_shared<QM::VideoFile>(L"5_100001.vid");
  server.RspPkt_ParseVideoFileMetadata(reply.data(), static_cast<unsigned>(reply.size()), file);
  for (auto _ : state) {
    unsigned long long sum = 0;
    for (unsigned i = 0; i < kHeaderFrames; ++i) sum += file->timestamp(i);
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kHeaderFrames));
}
BENCHMARK(BM_Timestamp);

}  // namespace
