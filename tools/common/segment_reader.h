// Read-only access to the device manager's segment (key 4145), shared by
// qmdevmgr (--show, --list) and qmctl (--dvrid): it only looks an existing
// segment up and attaches it read-only, so reading can never create,
// initialise or change a segment.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "devmgr/ikorindmif.h"

namespace qmtools {

// One DVR record as it stood when it was copied out of the segment.
struct DvrRecord {
  std::uint32_t client_pid = 0;
  std::int32_t uid = -1;
  std::array<std::uint32_t, dmlayout::kChannelCount> cam_ids{};  // channel c at c - 1
  std::string user;      // up to the first zero byte, at most 20 characters
  std::string password;  // likewise
};

// What looking the segment up found.
enum class SegmentState {
  kAttached,   // attached read-only; records can be read
  kMissing,    // no segment of the key
  kWrongSize,  // a segment smaller than the device manager's layout
  kError,      // lookup, status or attach failed (see error())
};

// Owns one read-only attachment and detaches it when destroyed. Not
// copyable; one Open per object.
class SegmentReader {
 public:
  SegmentReader() = default;
  ~SegmentReader();
  SegmentReader(const SegmentReader&) = delete;
  SegmentReader& operator=(const SegmentReader&) = delete;

  // Looks the segment up (never creating it), checks that it holds at least
  // dmlayout::kSegmentSize bytes and attaches it read-only.
  SegmentState Open();

  // Size of the segment found (valid from kWrongSize on; 0 when missing).
  size_t size() const { return size_; }
  // errno of the call that failed, for kError (and kMissing: ENOENT).
  int error() const { return error_; }

  // Copy of the record of `dvrid` (1 to 64). Only after Open returned
  // kAttached; otherwise, or for an id out of range, a default record.
  DvrRecord Read(unsigned dvrid) const;

 private:
  const unsigned char* addr_ = nullptr;  // read-only attachment, or null
  size_t size_ = 0;
  int error_ = 0;
};

// One line telling why the segment is not usable, for a state other than
// kAttached: "no segment (key 4145)", the wrong size and how to clear it, or
// the failing call's error text. No prefix, no newline.
std::string DescribeUnusable(const SegmentReader& reader, SegmentState state);

}  // namespace qmtools
