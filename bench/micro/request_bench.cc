// Requests: composing the envelope and producing the 8-bit frame, separately
// and as the server object's wrappers do it per request (credentials, build,
// byte vector).
#include <benchmark/benchmark.h>

#include "bench/common/day_model.h"
#include "client/server.h"
#include "protocol/qmreqpkt.h"

namespace {

const wchar_t kUser[] = L"operator";
const wchar_t kPassword[] = L"demo-pass";
const wchar_t kStart[] = L"2013-05-07T00:00:00";
const wchar_t kEnd[] = L"2013-05-08T00:00:00";

void SetUpPacket(QM::ReqPkt& pkt) {
  pkt.SetUser(kUser);
  pkt.SetPassword(kPassword);
  pkt.SetCookie(1804289383u);
  pkt.SetClicks(0);
  pkt.ClearAllParameters();
  pkt.SetClientType(QM::CLIENT_TYPE_QUERY);
  pkt.SetInt1(12);
  pkt.SetStr1(kStart);
  pkt.SetStr2(kEnd);
}

// The three composition steps of a recording-info envelope.
void BM_EnvelopeCompose(benchmark::State& state) {
  QM::ReqPkt pkt;
  SetUpPacket(pkt);
  for (auto _ : state) {
    benchmark::DoNotOptimize(pkt.CreateCommand(715));
  }
}
BENCHMARK(BM_EnvelopeCompose);

// Wide envelope to the 8-bit frame behind its prefix.
void BM_FrameProduce(benchmark::State& state) {
  QM::ReqPkt pkt;
  SetUpPacket(pkt);
  pkt.CreateCommand(715);
  for (auto _ : state) {
    benchmark::DoNotOptimize(pkt.EnsureCharset());
  }
}
BENCHMARK(BM_FrameProduce);

// One whole request of the query as the server object makes it.
void BM_RequestWrapper(benchmark::State& state) {
  QM::Server server(L"127.0.0.1", 4011, kUser, kPassword, 0, 1804289383u);
  const int command = static_cast<int>(state.range(0));
  for (auto _ : state) {
    QM::ByteVector bytes;
    if (command == 324) {
      bytes = server.ReqPkt_GetDateTimeTracker(qmbench::kCamera,
                                               qmbench::kQueryDate);
    } else if (command == 715) {
      bytes = server.ReqPkt_GetRecordingInfo(qmbench::kCamera, kStart, kEnd);
    } else {
      bytes = server.ReqPkt_GetMotionInfo(qmbench::kCamera, kStart, kEnd);
    }
    benchmark::DoNotOptimize(bytes.data());
  }
}
BENCHMARK(BM_RequestWrapper)->Arg(324)->Arg(715)->Arg(716);

}  // namespace
