// Reply parsers of the recording query, next to TinyXML's own parse of the
// same reply (the floor any parser of these replies stands on), and the
// interval assembly. Families taking a row count as their argument feed the
// scaling table (bench/scaling.sh): growth per 10x of input.
#include <benchmark/benchmark.h>

#include <tinyxml.h>

#include "bench/micro/day_data.h"

namespace {

// A day whose files or motions number `rows`.
qmbench::DaySize RowsDay(unsigned rows) {
  qmbench::DaySize size;
  size.files = rows;
  size.motions = rows;
  return size;
}

// Rows of input per call: the size the scaling table relates cost to.
void SetRows(benchmark::State& state, size_t rows) {
  state.counters["rows"] = static_cast<double>(rows);
}

void SetRows(benchmark::State& state, size_t rows, size_t bytes) {
  SetRows(state, rows);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}

void BM_ParseRecordingInfo(benchmark::State& state) {
  const qmbench::DayData& day =
      qmbench::GetDay(RowsDay(static_cast<unsigned>(state.range(0))));
  for (auto _ : state) {
    QM::RecFileList files = QM::Server::RspPkt_ParseGetRecordingInfo(
        day.files_reply.data(), static_cast<unsigned>(day.files_reply.size()));
    benchmark::DoNotOptimize(files.get());
  }
  SetRows(state, day.file_count, day.files_reply.size());
}
BENCHMARK(BM_ParseRecordingInfo)->Arg(10)->Arg(1440)->Arg(14400);

void BM_ParseMotionInfo(benchmark::State& state) {
  const qmbench::DayData& day =
      qmbench::GetDay(RowsDay(static_cast<unsigned>(state.range(0))));
  for (auto _ : state) {
    QM::RecMotionList motions = QM::Server::RspPkt_ParseGetMotionInfo(
        day.motions_reply.data(),
        static_cast<unsigned>(day.motions_reply.size()));
    benchmark::DoNotOptimize(motions.get());
  }
  SetRows(state, day.motion_count, day.motions_reply.size());
}
BENCHMARK(BM_ParseMotionInfo)->Arg(10)->Arg(1440)->Arg(14400);

// TinyXML alone on the recording-info reply: one parse into a document from
// a zero-terminated text, nothing read from it.
void BM_TinyXmlFloorRecordingInfo(benchmark::State& state) {
  const qmbench::DayData& day =
      qmbench::GetDay(RowsDay(static_cast<unsigned>(state.range(0))));
  for (auto _ : state) {
    TiXmlDocument document;
    document.Parse(day.files_reply.c_str(), nullptr, TIXML_ENCODING_UNKNOWN);
    benchmark::DoNotOptimize(document.Error());
  }
  SetRows(state, day.file_count, day.files_reply.size());
}
BENCHMARK(BM_TinyXmlFloorRecordingInfo)->Arg(10)->Arg(1440)->Arg(14400);

// MakeRecTimes on the day times `scale` in files and motions (31 intervals).
void BM_MakeRecTimes(benchmark::State& state) {
  const qmbench::DayData& day =
      qmbench::GetParsedDay(qmbench::ScaledDay(static_cast<unsigned>(state.range(0))));
  std::vector<std::wstring> rows = day.rows;
  size_t out = 0;
  for (auto _ : state) {
    QM::RecTimeList list =
        QM::Server::MakeRecTimes(qmbench::kCamera, rows, day.files, day.motions);
    out = list->size();
    benchmark::DoNotOptimize(list.get());
  }
  SetRows(state, day.file_count + day.motion_count);
  state.counters["out_rows"] = static_cast<double>(out);
}
BENCHMARK(BM_MakeRecTimes)->Arg(1)->Arg(10)->Arg(100)->Unit(benchmark::kMicrosecond);

// A day of 1,440 one-minute files and the realistic 200 motions.
void BM_MakeRecTimesMinuteFiles(benchmark::State& state) {
  qmbench::DaySize size;
  size.files = 1440;
  const qmbench::DayData& day = qmbench::GetParsedDay(size);
  std::vector<std::wstring> rows = day.rows;
  for (auto _ : state) {
    QM::RecTimeList list =
        QM::Server::MakeRecTimes(qmbench::kCamera, rows, day.files, day.motions);
    benchmark::DoNotOptimize(list.get());
  }
}
BENCHMARK(BM_MakeRecTimesMinuteFiles)->Unit(benchmark::kMicrosecond);

// Everything the query does locally for one day (times `scale`): tracker
// decode, minute walk, both parsers, assembly.
void BM_DayQueryLocal(benchmark::State& state) {
  const qmbench::DayData& day =
      qmbench::GetDay(qmbench::ScaledDay(static_cast<unsigned>(state.range(0))));
  for (auto _ : state) {
    std::vector<bool> tracker = QM::Server::RspPkt_ParseGetDateTimeTracker(
        day.tracker_reply.data(),
        static_cast<unsigned>(day.tracker_reply.size()));
    std::vector<std::wstring> rows;
    QM::Server::ConvRecInfoPerDatFromVpm(qmbench::kCamera, qmbench::kQueryDate,
                                         tracker, rows);
    QM::RecFileList files = QM::Server::RspPkt_ParseGetRecordingInfo(
        day.files_reply.data(), static_cast<unsigned>(day.files_reply.size()));
    QM::RecMotionList motions = QM::Server::RspPkt_ParseGetMotionInfo(
        day.motions_reply.data(),
        static_cast<unsigned>(day.motions_reply.size()));
    QM::RecTimeList list =
        QM::Server::MakeRecTimes(qmbench::kCamera, rows, files, motions);
    benchmark::DoNotOptimize(list.get());
  }
  SetRows(state, day.file_count + day.motion_count);
}
BENCHMARK(BM_DayQueryLocal)->Arg(1)->Arg(10)->Arg(100)->Unit(benchmark::kMicrosecond);

// TinyXML alone on both XML replies of the same day: the parse floor.
void BM_DayParseFloor(benchmark::State& state) {
  const qmbench::DayData& day =
      qmbench::GetDay(qmbench::ScaledDay(static_cast<unsigned>(state.range(0))));
  for (auto _ : state) {
    TiXmlDocument files;
    files.Parse(day.files_reply.c_str(), nullptr, TIXML_ENCODING_UNKNOWN);
    TiXmlDocument motions;
    motions.Parse(day.motions_reply.c_str(), nullptr, TIXML_ENCODING_UNKNOWN);
    benchmark::DoNotOptimize(files.Error() || motions.Error());
  }
  SetRows(state, day.file_count + day.motion_count);
}
BENCHMARK(BM_DayParseFloor)->Arg(1)->Arg(10)->Arg(100)->Unit(benchmark::kMicrosecond);

}  // namespace
