// Byte layouts of the server's frame streams (live frames, playback records)
// and the bounds the client puts on what a stream may announce. All numbers
// on the wire are little-endian.
#ifndef QM_SERVICES_STREAM_FORMAT_H_
#define QM_SERVICES_STREAM_FORMAT_H_

namespace QM {

// Largest frame payload a stream may announce (32 MiB, far above any encoded
// video frame). A larger announcement ends the stream instead of making the
// client allocate what a broken or hostile peer asks for.
const unsigned int kMaxStreamPayloadBytes = 32u * 1024u * 1024u;

// Live frame header: 18 bytes in front of every live frame payload.
const unsigned int kLiveHeaderBytes = 18;

// Playback record words: 0 or 1 end the stream, 2 introduces a length and
// that many ignored bytes, 3 or more a frame (header, then W - H0 bytes).
const unsigned int kPlaybackEndWord = 1;
const unsigned int kPlaybackSkipWord = 2;
// Playback frame header: six 32-bit words H0 to H5.
const unsigned int kPlaybackHeaderBytes = 24;

// Unsigned little-endian numbers at `bytes`, whatever the host order.
inline unsigned int ReadLE16(const unsigned char* bytes) {
  return static_cast<unsigned int>(bytes[0]) |
         static_cast<unsigned int>(bytes[1]) << 8;
}
inline unsigned int ReadLE32(const unsigned char* bytes) {
  return ReadLE16(bytes) | ReadLE16(bytes + 2) << 16;
}

// The fields of one live frame header.
struct LiveFrameHeader {
  unsigned int length;   // offset 2: header and payload together, in bytes
  unsigned int value_a;  // offset 6
  unsigned int value_b;  // offset 10 (one byte)
  bool key_frame;        // offset 11 is 1 (any other value: false)
  unsigned int value_c;  // offset 12 (two bytes)
  unsigned int value_d;  // offset 14 (two bytes)
  unsigned short value_e;  // offset 16
};

// Decodes the kLiveHeaderBytes bytes at `bytes` (offsets 0 and 1 are not
// interpreted).
inline LiveFrameHeader DecodeLiveFrameHeader(const unsigned char* bytes) {
  LiveFrameHeader h;
  h.length = ReadLE32(bytes + 2);
  h.value_a = ReadLE32(bytes + 6);
  h.value_b = bytes[10];
  h.key_frame = bytes[11] == 1;
  h.value_c = ReadLE16(bytes + 12);
  h.value_d = ReadLE16(bytes + 14);
  h.value_e = static_cast<unsigned short>(ReadLE16(bytes + 16));
  return h;
}

}  // namespace QM

#endif  // QM_SERVICES_STREAM_FORMAT_H_
