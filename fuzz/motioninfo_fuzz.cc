// The motion-info reply parser over arbitrary reply bytes.
#include "client/server.h"
#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QM::RecMotionList motions =
      QM::Server::RspPkt_ParseGetMotionInfo(data, size);
  FUZZ_CHECK(motions);
  // A row is at least one node of the text, so rows never outnumber bytes.
  FUZZ_CHECK(motions->size() <= size);
  for (const QM::RecMotionPtr& motion : *motions) {
    FUZZ_CHECK(motion);
    FUZZ_CHECK(motion->StartStr.size() <= size &&
               motion->EndStr.size() <= size);
  }
  return 0;
}
