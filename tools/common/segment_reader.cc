// Read-only lookup and attachment of the device manager's segment, and the
// copy of one DVR record out of it.
#include "common/segment_reader.h"

#include <sys/ipc.h>
#include <sys/shm.h>

#include <cerrno>
#include <cstring>

namespace qmtools {

using namespace dmlayout;

namespace {

// A text field: its bytes up to the first zero byte, never more than 20, as
// the interface reads it (the 21st byte is not trusted to be a terminator).
std::string TextField(const unsigned char* field) {
  char copy[kTextMaxLen];
  std::memcpy(copy, field, kTextMaxLen);
  return std::string(copy, strnlen(copy, kTextMaxLen));
}

template <typename T>
T Field(const unsigned char* at) {
  T value;
  std::memcpy(&value, at, sizeof value);
  return value;
}

}  // namespace

SegmentReader::~SegmentReader() {
  if (addr_ != nullptr) shmdt(addr_);
}

SegmentState SegmentReader::Open() {
  // Size 0 and no flags: finds a segment of any size, creates none.
  const int id = shmget(kKey, 0, 0);
  if (id == -1) {
    error_ = errno;
    return error_ == ENOENT ? SegmentState::kMissing : SegmentState::kError;
  }
  struct shmid_ds desc {};
  if (shmctl(id, IPC_STAT, &desc) == -1) {
    error_ = errno;
    return SegmentState::kError;
  }
  size_ = desc.shm_segsz;
  if (size_ < kSegmentSize) return SegmentState::kWrongSize;
  void* addr = shmat(id, nullptr, SHM_RDONLY);
  if (addr == reinterpret_cast<void*>(-1)) {
    error_ = errno;
    return SegmentState::kError;
  }
  addr_ = static_cast<const unsigned char*>(addr);
  return SegmentState::kAttached;
}

DvrRecord SegmentReader::Read(unsigned dvrid) const {
  DvrRecord record;
  if (addr_ == nullptr || dvrid < 1 || dvrid > kDvrCount) return record;
  // The device manager may write meanwhile: each field is copied once.
  const unsigned char* rec = addr_ + RecordOffset(dvrid);
  record.client_pid = Field<std::uint32_t>(rec + kPidOffset);
  record.uid = Field<std::int32_t>(rec + kUidOffset);
  for (unsigned c = 0; c < kChannelCount; ++c) {
    record.cam_ids[c] = Field<std::uint32_t>(rec + kCamIdOffset + kCamIdSize * c);
  }
  record.user = TextField(rec + kUserOffset);
  record.password = TextField(rec + kPassOffset);
  return record;
}

std::string DescribeUnusable(const SegmentReader& reader, SegmentState state) {
  const std::string key = "key " + std::to_string(kKey);
  switch (state) {
    case SegmentState::kMissing:
      return "no segment (" + key + ")";
    case SegmentState::kWrongSize:
      return "the segment of " + key + " has the wrong size: " +
             std::to_string(reader.size()) + " bytes instead of " +
             std::to_string(kSegmentSize) +
             "; qmdevmgr --remove clears it";
    case SegmentState::kError:
      return "cannot read the segment of " + key + ": " +
             std::strerror(reader.error());
    case SegmentState::kAttached:
      break;
  }
  return std::string();
}

}  // namespace qmtools
