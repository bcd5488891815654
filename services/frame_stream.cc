// Live frame reassembly in place: header buffer first, then the payload in
// the bitstream buffer, allocated once.
#include "services/frame_stream.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "protocol/qmreqpkt.h"

namespace QM {

namespace {

// Offset of the frame length in the live frame header.
const unsigned int kLengthOffset = 2;

}  // namespace

FrameStream::FrameStream()
    : header_(),
      header_received_(0),
      payload_received_(0),
      bitstream_(),
      capacity_(0),
      read_offset_(0),
      data_length_(0),
      payload_expected_(0),
      swap_(check_endian()),
      asked_(0),
      complete_(false),
      dropping_(false),
      dropped_(0) {
  AllocBitstream(kDefaultCapacity);
}

FrameStream::~FrameStream() { AllocBitstream(0); }

bool FrameStream::check_endian() { return QM::check_endian() != 0; }

unsigned int FrameStream::swap32(unsigned int value) {
  return QM::swap32(value);
}

void FrameStream::Reset() {
  std::memset(header_, 0, sizeof header_);
  header_received_ = 0;
  payload_received_ = 0;
  read_offset_ = 0;
  data_length_ = 0;
  payload_expected_ = 0;
  asked_ = 0;
  complete_ = false;
  dropping_ = false;
}

bool FrameStream::AllocBitstream(unsigned int size) {
  std::unique_ptr<unsigned char[]> buffer;
  if (size > 0) {
    buffer.reset(new (std::nothrow) unsigned char[size]);
    if (!buffer) return false;
  }
  unsigned int moved = 0;
  if (buffer && bitstream_) {
    moved = std::min(data_length_, size);
    std::memcpy(buffer.get(), bitstream_.get() + read_offset_, moved);
  }
  bitstream_ = std::move(buffer);
  capacity_ = size;
  read_offset_ = 0;
  data_length_ = moved;
  return true;
}

unsigned char* FrameStream::Ask(unsigned char* place, unsigned int count,
                                unsigned int* length) {
  asked_ = count;
  if (length != nullptr) *length = count;
  return place;
}

void FrameStream::StartPayload() {
  unsigned int frame_length = 0;
  std::memcpy(&frame_length, header_ + kLengthOffset, sizeof frame_length);
  if (swap_) frame_length = swap32(frame_length);
  payload_received_ = 0;
  read_offset_ = 0;
  data_length_ = 0;
  if (frame_length < kLiveHeaderBytes) {
    // No payload length can be trusted: drop the header, read the next one.
    ++dropped_;
    header_received_ = 0;
    return;
  }
  payload_expected_ = frame_length - kLiveHeaderBytes;
  dropping_ = payload_expected_ > capacity_;
}

unsigned char* FrameStream::GetInputMetadata(int count,
                                             unsigned int* length) {
  complete_ = false;
  // -1 starts the stream; any other negative count or one above what was
  // asked for is a caller error and restarts it as well.
  if (count < 0 || static_cast<unsigned int>(count) > asked_) {
    Reset();
    return Ask(header_, kLiveHeaderBytes, length);
  }
  unsigned int received = static_cast<unsigned int>(count);

  if (header_received_ < kLiveHeaderBytes) {
    header_received_ += received;
    if (header_received_ < kLiveHeaderBytes)
      return Ask(header_ + header_received_,
                 kLiveHeaderBytes - header_received_, length);
    StartPayload();
    if (header_received_ == 0)
      return Ask(header_, kLiveHeaderBytes, length);
    received = 0;  // the count went to the header
  }

  payload_received_ += received;
  // The capacity may have shrunk below the frame since its header came.
  if (payload_expected_ > capacity_) dropping_ = true;
  if (!dropping_) data_length_ = payload_received_;
  if (payload_received_ >= payload_expected_) {
    if (dropping_) {
      ++dropped_;
    } else {
      complete_ = true;
    }
    header_received_ = 0;
    payload_received_ = 0;
    payload_expected_ = 0;
    dropping_ = false;
    return Ask(header_, kLiveHeaderBytes, length);
  }

  const unsigned int missing = payload_expected_ - payload_received_;
  if (!dropping_)
    return Ask(bitstream_.get() + payload_received_, missing, length);
  // Dropped payload goes, piece by piece, over whatever buffer there is.
  if (capacity_ > 0)
    return Ask(bitstream_.get(), std::min(missing, capacity_), length);
  return Ask(header_, std::min(missing, kLiveHeaderBytes), length);
}

LiveFrameHeader FrameStream::FrameHeader() const {
  return DecodeLiveFrameHeader(header_);
}

const unsigned char* FrameStream::Payload() const {
  return bitstream_ ? bitstream_.get() + read_offset_ : nullptr;
}

unsigned int FrameStream::PayloadLength() const {
  return complete_ ? data_length_ : 0;
}

}  // namespace QM
