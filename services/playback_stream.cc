// Playback streams: the playback request, its control message, and the
// record loop on the command channel.
#include <algorithm>
#include <cstddef>

#include "client/server.h"
#include "services/stream_format.h"

namespace QM {

namespace {

// Sent after the request: the 32-bit values 4 and 1, little-endian.
const unsigned char kControlMessage[8] = {4, 0, 0, 0, 1, 0, 0, 0};

// Ignored bytes of a skip record are read in pieces of at most this size,
// so that a large announced length never becomes a large allocation.
const unsigned int kSkipPiece = 4096;

// Bit 24 of the last frame header word is the frame flag, its low 24 bits
// the frame number; bits 25 to 31 are dropped.
const unsigned int kFrameFlagBit = 1u << 24;
const unsigned int kFrameNumberMask = 0x00FFFFFFu;

// Reads exactly `count` bytes into `buffer` (resized to `count`); false on a
// short read.
bool ReadExactly(Server& server, ByteVector& buffer, unsigned int count) {
  buffer.resize(count);
  return server.ReadConnection(buffer) >= count;
}

// Reads and drops `count` bytes in bounded pieces; false on a short read.
bool SkipBytes(Server& server, ByteVector& buffer, unsigned int count) {
  while (count > 0) {
    const unsigned int piece = std::min(count, kSkipPiece);
    if (!ReadExactly(server, buffer, piece)) return false;
    count -= piece;
  }
  return true;
}

}  // namespace

ByteVector Server::ReqPkt_GetPlaybackStream(unsigned int first,
                                            unsigned int second) {
  SetCredentials();
  unsigned int count = 0;
  const char* frame = pkt_.GetPlaybackStream(first, second, &count);
  return FrameBytes(frame, count);
}

bool Server::GetPlaybackStream(unsigned int first, unsigned int second,
                               unsigned int stop_value,
                               unsigned int stop_frame) {
  ByteVector request = ReqPkt_GetPlaybackStream(first, second);
  if (!OpenCommandChannel()) return false;
  WriteConnection(request);
  ByteVector control(kControlMessage, kControlMessage + sizeof kControlMessage);
  WriteConnection(control);

  // One vector carries every word, header and payload in turn.
  ByteVector buffer;
  for (;;) {
    if (!ReadExactly(*this, buffer, 4)) break;
    const unsigned int word = ReadLE32(buffer.data());
    if (word <= kPlaybackEndWord) break;
    if (word == kPlaybackSkipWord) {
      if (!ReadExactly(*this, buffer, 4)) break;
      if (!SkipBytes(*this, buffer, ReadLE32(buffer.data()))) break;
      continue;
    }
    if (!ReadExactly(*this, buffer, kPlaybackHeaderBytes)) break;
    unsigned int h[6];
    for (size_t i = 0; i < 6; ++i) h[i] = ReadLE32(buffer.data() + 4 * i);
    // The payload is W - H0 bytes: a negative or oversized length is a
    // record that cannot be followed, and ends the stream.
    if (h[0] > word || word - h[0] > kMaxStreamPayloadBytes) break;
    if (!ReadExactly(*this, buffer, word - h[0])) break;
    const unsigned long long ticks =
        static_cast<unsigned long long>(h[2]) << 32 | h[1];
    const unsigned int frame_number = h[5] & kFrameNumberMask;
    const bool stop = NewPlaybackFrame((h[5] & kFrameFlagBit) != 0, ticks,
                                       frame_number, h[3], h[4], buffer);
    if (stop || (h[3] == stop_value && frame_number == stop_frame)) break;
  }
  CloseConnection();
  return false;
}

}  // namespace QM
