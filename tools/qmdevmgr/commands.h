// What qmdevmgr does once its command line is checked: show one record,
// list the records with a user name, set fields of one record, remove the
// segment. Each returns the tool's exit status (common/exit_status.h) and
// prints its own result (stdout) or reason for failing (stderr).
#pragma once

#include <string>
#include <vector>

namespace qmdevmgr {

// A camera id for one channel (1 to 128), checked by the caller.
struct CamAssignment {
  unsigned channel = 0;
  unsigned long id = 0;
};

// The fields to store in the record of `dvrid` (1 to 64); every value has
// been checked to fit its field.
struct SetRequest {
  unsigned dvrid = 0;
  bool set_user = false;
  std::string user;
  bool set_password = false;
  std::string password;
  bool set_pid = false;
  unsigned pid = 0;
  bool set_uid = false;
  int uid = 0;
  std::vector<CamAssignment> cams;

  bool Any() const {
    return set_user || set_password || set_pid || set_uid || !cams.empty();
  }
};

// Prints the record of `dvrid`; the password itself only with
// `show_password`. Attaches an existing segment read-only and never creates
// one: without a segment it reports "no segment (key 4145)" and returns
// kExitNoSegment.
int ShowRecord(unsigned dvrid, bool show_password);

// Prints every DVR id whose user name is set, with the user name and whether
// a password is set (never the password). Read-only like ShowRecord.
int ListRecords();

// Stores the fields of `request`, creating and initialising the segment
// when there is none. A segment of the wrong size is reported (with how to
// clear it) and left alone. Afterwards shows the record when `show`.
int SetRecord(const SetRequest& request, bool show, bool show_password);

// Removes the segment whatever its size; a missing segment is not an error,
// so that clean-up can run unconditionally.
int RemoveSegment();

}  // namespace qmdevmgr
