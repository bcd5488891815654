// QM::FrameStream fed a fuzzed live stream in fuzzed piece sizes, against a
// model of the stream's frames. Input:
//   byte   flags: bit 0 lets the caller make mistakes (report more bytes
//          than were asked for); only the memory-safety checks hold then
//   byte   0: keep the 1 MiB bitstream; otherwise a capacity follows
//   2 bytes  that capacity, little-endian (0 to 65535 bytes)
//   byte   n, then n schedule bytes used in turn, one per read: 0 takes
//          all that was asked, 1-239 at most that many bytes, 240-254
//          replaces the bitstream (kCapacities) after the read, 255 reports
//          one byte more than asked (only with bit 0 of the flags)
//   rest   the stream: 18-byte live frame headers and payloads
// Checked without mistakes: every frame whose bytes all arrived is handed
// over whole (header fields and payload bytes) or counted as dropped,
// exactly as the model says; a frame is dropped when its length is below
// 18 or its payload exceeds the smallest capacity in force while it came.
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "services/frame_stream.h"

namespace {

const unsigned int kCapacities[] = {0, 1, 17, 18, 19, 64, 100, 1000, 4096, 40000,
                                    65536, 100000, 262144, 1048576, 7};

// A bitstream replacement: the new capacity, after `position` stream
// bytes had been reported.
struct Replacement {
  size_t position;
  unsigned int capacity;
};

// A frame as handed over.
struct Frame {
  QM::LiveFrameHeader header;
  std::string payload;
};

bool SameHeader(const QM::LiveFrameHeader& a, const QM::LiveFrameHeader& b) {
  return a.length == b.length && a.value_a == b.value_a && a.value_b == b.value_b &&
         a.key_frame == b.key_frame && a.value_c == b.value_c && a.value_d == b.value_d &&
         a.value_e == b.value_e;
}

// The frames of `stream` that arrive whole, split into those handed over
// and the count of those dropped.
void Model(const std::string& stream, unsigned int initial,
           const std::vector<Replacement>& replacements, std::vector<Frame>* frames,
           unsigned int* dropped) {
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(stream.data());
  size_t at = 0;
  while (stream.size() - at >= QM::kLiveHeaderBytes) {
    const QM::LiveFrameHeader header = QM::DecodeLiveFrameHeader(bytes + at);
    const size_t header_end = at + QM::kLiveHeaderBytes;
    if (header.length < QM::kLiveHeaderBytes) {
      ++*dropped;
      at = header_end;
      continue;
    }
    const size_t payload = header.length - QM::kLiveHeaderBytes;
    if (stream.size() - header_end < payload) return;  // never completes
    const size_t frame_end = header_end + payload;
    // Capacity when the header completed, then every replacement before
    // the frame's last piece was reported.
    size_t capacity = initial;
    bool fits = true;
    for (const Replacement& r : replacements) {
      if (r.position < header_end) capacity = r.capacity;
      if (r.position >= header_end && r.position < frame_end && payload > r.capacity) fits = false;
    }
    if (fits && payload <= capacity) {
      frames->push_back(Frame{header, stream.substr(header_end, payload)});
    } else {
      ++*dropped;
    }
    at = frame_end;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qmfuzz::FuzzInput in(data, size);
  const bool mistakes = (in.Byte() & 1) != 0;
  // On the heap, so that a write past the header buffer is caught too.
  std::unique_ptr<QM::FrameStream> stream(new QM::FrameStream());
  if (in.Byte() != 0) {
    const unsigned int low = in.Byte();
    const unsigned int capacity = low | static_cast<unsigned int>(in.Byte()) << 8;
    FUZZ_CHECK(stream->AllocBitstream(capacity));
  }
  const unsigned int initial = stream->Capacity();
  std::vector<uint8_t> schedule(std::max<size_t>(1, in.Byte()));
  for (uint8_t& piece : schedule) piece = in.Byte();
  const std::string bytes = in.Rest();

  std::vector<Frame> frames;
  std::vector<Replacement> replacements;
  unsigned int want = 0;
  unsigned char* place = stream->GetInputMetadata(-1, &want);
  size_t at = 0;
  for (size_t step = 0; at < bytes.size(); ++step) {
    FUZZ_CHECK(place != nullptr && want > 0);
    FUZZ_CHECK(want <= std::max(QM::kLiveHeaderBytes, stream->Capacity()));
    const uint8_t piece = schedule[step % schedule.size()];
    size_t got = want;
    if (piece >= 1 && piece <= 239) got = std::min<size_t>(got, piece);
    got = std::min(got, bytes.size() - at);
    std::memcpy(place, bytes.data() + at, got);
    at += got;
    const int count = mistakes && piece == 255 ? static_cast<int>(want) + 1 : static_cast<int>(got);
    place = stream->GetInputMetadata(count, &want);
    if (stream->FrameComplete()) {
      FUZZ_CHECK(stream->PayloadLength() <= stream->Capacity());
      const unsigned char* payload = stream->Payload();
      FUZZ_CHECK(payload != nullptr || stream->PayloadLength() == 0);
      frames.push_back(Frame{stream->FrameHeader(),
                             std::string(reinterpret_cast<const char*>(payload),
                                         stream->PayloadLength())});
    } else {
      FUZZ_CHECK(stream->PayloadLength() == 0);
    }
    if (piece >= 240 && piece <= 254) {
      const unsigned int capacity = kCapacities[piece - 240];
      FUZZ_CHECK(stream->AllocBitstream(capacity));
      FUZZ_CHECK(stream->Capacity() == capacity);
      replacements.push_back(Replacement{at, capacity});
      // The place returned before belonged to the old buffer: ask again.
      place = stream->GetInputMetadata(0, &want);
    }
  }
  if (mistakes) return 0;

  std::vector<Frame> expected;
  unsigned int dropped = 0;
  Model(bytes, initial, replacements, &expected, &dropped);
  FUZZ_CHECK(frames.size() == expected.size());
  for (size_t i = 0; i < frames.size(); ++i) {
    FUZZ_CHECK(SameHeader(frames[i].header, expected[i].header));
    FUZZ_CHECK(frames[i].payload == expected[i].payload);
  }
  FUZZ_CHECK(stream->FramesDropped() == dropped);

  // A restart forgets the frame in progress but keeps the buffer.
  const unsigned int capacity = stream->Capacity();
  stream->GetInputMetadata(-1, &want);
  FUZZ_CHECK(want == QM::kLiveHeaderBytes && stream->Capacity() == capacity);
  return 0;
}
