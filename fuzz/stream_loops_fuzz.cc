// The live and playback stream loops of QM::Server over a fuzzed byte
// source: a server whose channel operations read the fuzz input instead of
// a socket. Input:
//   byte    bit 0: playback (else live); bit 1: the channel cannot be opened
//   4 bytes hook answers: frame i gets bit (i mod 32), 1 ending the stream
//   4 bytes stop value, 4 bytes stop frame number (playback)
//   rest    what the server sends
// Checked against a model of both stream formats: the frames handed to the
// hook (every value and payload byte) and where the stream ends; the
// requests written (live: the request; playback: the request, then the
// control message 4, 1); the channel closed once when it was opened; the
// answers (live true, playback false, both false when the channel cannot
// be opened); and no read asking for more than a payload's bound.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "client/server.h"
#include "fuzz/fuzz_input.h"
#include "services/stream_format.h"

namespace {

// One frame as a hook received it.
struct Frame {
  bool key = false;
  unsigned long long ticks = 0;
  unsigned int values[5] = {0, 0, 0, 0, 0};
  std::string payload;
  bool operator==(const Frame& o) const {
    return key == o.key && ticks == o.ticks && payload == o.payload &&
           std::equal(values, values + 5, o.values);
  }
};

// Serves the stream from the input; a read past the end comes up short.
class FuzzedChannelServer : public QM::Server {
 public:
  FuzzedChannelServer(const std::string& bytes, bool opens, uint32_t answers)
      : QM::Server(L"127.0.0.1", 4011, L"operator", L"demo-pass", 0, 4242),
        bytes_(bytes), opens_(opens), answers_(answers) {}

  bool OpenCommandChannel() override { return Open(false); }
  bool OpenDataChannel(unsigned short port) override {
    FUZZ_CHECK(port == live_port_);
    return Open(true);
  }
  void CloseConnection() override {
    FUZZ_CHECK(open_);
    open_ = false;
    ++closes;
  }
  unsigned int WriteConnection(QM::ByteVector& data) override {
    FUZZ_CHECK(open_);
    writes.push_back(data);
    return static_cast<unsigned int>(data.size());
  }
  unsigned int ReadConnection(QM::ByteVector& data) override {
    FUZZ_CHECK(open_);
    FUZZ_CHECK(data.size() <= QM::kMaxStreamPayloadBytes);
    const size_t count = std::min(data.size(), bytes_.size() - at_);
    std::memcpy(data.data(), bytes_.data() + at_, count);
    at_ += count;
    return static_cast<unsigned int>(count);
  }
  bool NewPlaybackFrame(bool key, unsigned long long ticks, unsigned int number,
                        unsigned int value, unsigned int extra, QM::ByteVector& payload) override {
    Frame f;
    f.key = key;
    f.ticks = ticks;
    f.values[0] = number;
    f.values[1] = value;
    f.values[2] = extra;
    f.payload.assign(payload.begin(), payload.end());
    return Hand(f);
  }
  bool NewLiveFrame(unsigned int a, bool key, unsigned int b, unsigned int c, unsigned int d,
                    unsigned short e, QM::ByteVector& payload) override {
    Frame f;
    f.key = key;
    f.values[0] = a;
    f.values[1] = b;
    f.values[2] = c;
    f.values[3] = d;
    f.values[4] = e;
    f.payload.assign(payload.begin(), payload.end());
    return Hand(f);
  }

  void SetLivePort(unsigned short port) { live_port_ = port; }

  std::vector<Frame> frames;
  std::vector<QM::ByteVector> writes;
  int opens = 0;
  int closes = 0;
  bool data_channel = false;

 private:
  bool Open(bool data) {
    FUZZ_CHECK(!open_);
    ++opens;
    data_channel = data;
    open_ = opens_;
    return opens_;
  }
  bool Hand(const Frame& f) {
    FUZZ_CHECK(open_);
    const bool stop = (answers_ >> (frames.size() % 32) & 1) != 0;
    frames.push_back(f);
    return stop;
  }

  const std::string& bytes_;
  size_t at_ = 0;
  bool opens_;
  uint32_t answers_;
  bool open_ = false;
};

// Reads the model's bytes front to back; false, taking nothing, when they
// end first.
struct Reader {
  const std::string& bytes;
  size_t at = 0;
  bool Take(size_t count, std::string* out = nullptr) {
    if (bytes.size() - at < count) return false;
    if (out) *out = bytes.substr(at, count);
    at += count;
    return true;
  }
  bool U32(uint32_t* value) {
    std::string b;
    if (!Take(4, &b)) return false;
    *value = QM::ReadLE32(reinterpret_cast<const unsigned char*>(b.data()));
    return true;
  }
};

bool Stops(uint32_t answers, size_t index) { return (answers >> (index % 32) & 1) != 0; }

std::vector<Frame> ModelLive(const std::string& bytes, uint32_t answers) {
  std::vector<Frame> frames;
  Reader in{bytes};
  std::string header;
  while (in.Take(QM::kLiveHeaderBytes, &header)) {
    const QM::LiveFrameHeader h =
        QM::DecodeLiveFrameHeader(reinterpret_cast<const unsigned char*>(header.data()));
    if (h.length < QM::kLiveHeaderBytes) break;
    Frame f;
    if (h.length - QM::kLiveHeaderBytes > QM::kMaxStreamPayloadBytes ||
        !in.Take(h.length - QM::kLiveHeaderBytes, &f.payload))
      break;
    f.key = h.key_frame;
    f.values[0] = h.value_a;
    f.values[1] = h.value_b;
    f.values[2] = h.value_c;
    f.values[3] = h.value_d;
    f.values[4] = h.value_e;
    frames.push_back(f);
    if (Stops(answers, frames.size() - 1)) break;
  }
  return frames;
}

std::vector<Frame> ModelPlayback(const std::string& bytes, uint32_t answers, uint32_t stop_value,
                                 uint32_t stop_frame) {
  std::vector<Frame> frames;
  Reader in{bytes};
  uint32_t word = 0;
  while (in.U32(&word) && word > 1) {
    if (word == 2) {
      uint32_t skip = 0;
      if (!in.U32(&skip) || !in.Take(skip)) break;
      continue;
    }
    uint32_t h[6];
    bool whole = true;
    for (uint32_t& v : h) whole = whole && in.U32(&v);
    if (!whole || h[0] > word || word - h[0] > QM::kMaxStreamPayloadBytes) break;
    Frame f;
    if (!in.Take(word - h[0], &f.payload)) break;
    f.key = (h[5] >> 24 & 1) != 0;
    f.ticks = static_cast<unsigned long long>(h[2]) << 32 | h[1];
    f.values[0] = h[5] & 0xFFFFFF;
    f.values[1] = h[3];
    f.values[2] = h[4];
    frames.push_back(f);
    if (Stops(answers, frames.size() - 1) || (h[3] == stop_value && f.values[0] == stop_frame))
      break;
  }
  return frames;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qmfuzz::FuzzInput in(data, size);
  const uint8_t mode = in.Byte();
  const bool playback = (mode & 1) != 0;
  const bool opens = (mode & 2) == 0;
  const uint32_t answers = in.U32();
  const uint32_t stop_value = in.U32();
  const uint32_t stop_frame = in.U32();
  const std::string bytes = in.Rest();

  FuzzedChannelServer server(bytes, opens, answers);
  server.SetLivePort(4012);
  const bool answer = playback ? server.GetPlaybackStream(7, 701, stop_value, stop_frame)
                               : server.GetLiveStream(7);
  FUZZ_CHECK(server.opens == 1 && server.data_channel == !playback);
  if (!opens) {
    FUZZ_CHECK(!answer && server.closes == 0 && server.writes.empty() && server.frames.empty());
    return 0;
  }
  FUZZ_CHECK(answer == !playback);
  FUZZ_CHECK(server.closes == 1);
  FUZZ_CHECK(server.writes.size() == (playback ? 2u : 1u));
  FUZZ_CHECK(!server.writes[0].empty());
  if (playback) {
    const QM::ByteVector control = {4, 0, 0, 0, 1, 0, 0, 0};
    FUZZ_CHECK(server.writes[1] == control);
  }
  const std::vector<Frame> expected = playback
                                          ? ModelPlayback(bytes, answers, stop_value, stop_frame)
                                          : ModelLive(bytes, answers);
  FUZZ_CHECK(server.frames.size() == expected.size());
  for (size_t i = 0; i < expected.size(); ++i) FUZZ_CHECK(server.frames[i] == expected[i]);
  return 0;
}
