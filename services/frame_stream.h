// Reassembly of live frames from a byte stream that arrives in pieces of any
// size. The reassembler tells its caller where to put the next bytes and how
// many to read: first the 18-byte live frame header into its header buffer,
// then the payload into its bitstream buffer, so that a frame is assembled in
// place, without copying and without an allocation per frame.
#ifndef QM_SERVICES_FRAME_STREAM_H_
#define QM_SERVICES_FRAME_STREAM_H_

#include <memory>

#include "services/stream_format.h"

namespace QM {

// Typical use, with `read` taking at most `want` bytes into `place`:
//   unsigned int want = 0;
//   unsigned char* place = stream.GetInputMetadata(-1, &want);
//   for (int got; (got = read(place, want)) > 0;) {
//     place = stream.GetInputMetadata(got, &want);
//     if (stream.FrameComplete()) use(stream.FrameHeader(),
//                                     stream.Payload(), stream.PayloadLength());
//   }
class FrameStream {
 public:
  // Bitstream capacity given by the constructor (1 MiB).
  static constexpr unsigned int kDefaultCapacity = 1048576;

  // Byte-swap flag from check_endian, then a bitstream of kDefaultCapacity
  // bytes (none if it cannot be allocated: every payload is then dropped).
  FrameStream();
  // Frees the bitstream.
  virtual ~FrameStream();

  FrameStream(const FrameStream&) = delete;
  FrameStream& operator=(const FrameStream&) = delete;

  // True on a big-endian host (the lowest byte of a 32-bit value stored
  // last), false on a little-endian one.
  static bool check_endian();
  // The value with its four bytes in reverse order.
  static unsigned int swap32(unsigned int value);

  // Starts a new stream on the same buffer: the header buffer is cleared and
  // the header, payload, read-offset, data-length and expected-length counts
  // return to 0. The bitstream, its capacity and the byte-swap flag stay.
  void Reset();

  // Replaces the bitstream by one of `size` bytes (none for 0), moving into
  // it the unread data of the old one (cut to `size`); capacity becomes
  // `size`, the read offset 0 and the data length the bytes moved. A frame
  // being assembled that no longer fits is dropped. False, with nothing
  // changed, when the new buffer cannot be allocated.
  bool AllocBitstream(unsigned int size);

  // Reports that `count` bytes arrived at the place returned by the previous
  // call and returns where the next bytes go, storing through `length` how
  // many to read there (never more than fit at that place). A count of -1
  // starts the stream: Reset, then 18 bytes into the header buffer.
  // Decisions on what the stream or caller get wrong:
  // - a count above the number asked for, or negative other than -1, is a
  //   caller error: the bytes may already have gone where they should not,
  //   so the frame in progress is abandoned and the stream restarts at a
  //   header (as for -1);
  // - a header whose frame length is below 18 is dropped, and so is a
  //   frame whose payload is longer than the bitstream capacity: its payload
  //   is read in pieces into the bitstream (or the header buffer when there
  //   is no bitstream) and discarded, so the stream stays in step and
  //   nothing is written past a buffer. Both count in FramesDropped().
  // The returned place belongs to this object and stays valid until the next
  // call or AllocBitstream.
  unsigned char* GetInputMetadata(int count, unsigned int* length);

  // ---- Extension: handing a finished frame to the caller ----
  // True right after the GetInputMetadata call that completed a frame, until
  // the next call. The frame's header and payload stay readable until bytes
  // are stored at the place returned by that call.
  bool FrameComplete() const { return complete_; }
  // The completed frame's header fields.
  LiveFrameHeader FrameHeader() const;
  // The completed frame's payload (frame length - 18 bytes) in the
  // bitstream; PayloadLength() is 0 when no frame is complete.
  const unsigned char* Payload() const;
  unsigned int PayloadLength() const;
  // Current bitstream capacity, in bytes.
  unsigned int Capacity() const { return capacity_; }
  // Frames dropped so far (bad length, or payload over the capacity).
  unsigned int FramesDropped() const { return dropped_; }

 private:
  // Records and returns a place to read `count` bytes into.
  unsigned char* Ask(unsigned char* place, unsigned int count,
                     unsigned int* length);
  // Handles a header that has just become complete.
  void StartPayload();

  unsigned char header_[kLiveHeaderBytes];
  unsigned int header_received_;
  unsigned int payload_received_;
  std::unique_ptr<unsigned char[]> bitstream_;
  unsigned int capacity_;
  unsigned int read_offset_;
  unsigned int data_length_;
  unsigned int payload_expected_;
  bool swap_;
  // Beyond the fields above: what the last call asked for, whether it
  // completed a frame, whether the frame in progress is being dropped, and
  // the count of dropped frames.
  unsigned int asked_;
  bool complete_;
  bool dropping_;
  unsigned int dropped_;
};

}  // namespace QM

#endif  // QM_SERVICES_FRAME_STREAM_H_
