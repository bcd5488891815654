// The recording-info reply parser over arbitrary reply bytes.
#include "client/server.h"
#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QM::RecFileList files =
      QM::Server::RspPkt_ParseGetRecordingInfo(data, size);
  FUZZ_CHECK(files);
  // A row is at least one node of the text, so rows never outnumber bytes.
  FUZZ_CHECK(files->size() <= size);
  for (const QM::RecFilePtr& file : *files) {
    FUZZ_CHECK(file);
    FUZZ_CHECK(file->StartStr.size() <= size && file->EndStr.size() <= size &&
               file->FileName.size() <= size);
  }
  return 0;
}
