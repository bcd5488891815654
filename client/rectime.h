// One row of the recording query's answer: a recorded interval (RecType 0)
// or a motion period (RecType 1) of one camera.
#ifndef QM_CLIENT_RECTIME_H_
#define QM_CLIENT_RECTIME_H_

#include <ctime>
#include <string>
#include <vector>

#include <boost/shared_ptr.hpp>

namespace QM {

class RecTime {
 public:
  // Sets CamId, clears both flags, leaves both texts empty. Idx, RecType,
  // Start and End are left for the creator to set before the row is listed
  // (they start at 0 here so that a forgotten field is never garbage).
  explicit RecTime(unsigned int camera_id)
      : Idx(0), CamId(camera_id), RecType(0), Start(0), StartFixed(false),
        End(0), EndFixed(false) {}
  virtual ~RecTime() {}

  unsigned int Idx;      // 1-based row number (IDX)
  unsigned int CamId;    // camera id (CAMID)
  unsigned int RecType;  // 0 = tracker interval, 1 = motion period (RECTYPE)
  std::wstring StartStr; // start as date-time text, zone suffix included
  time_t Start;          // StartStr as local calendar time
  bool StartFixed;       // start moved to an exact file start
  std::wstring EndStr;   // end as date-time text
  time_t End;            // EndStr as local calendar time
  bool EndFixed;         // end moved to an exact file end
};

typedef boost::shared_ptr<RecTime> RecTimePtr;
typedef std::vector<RecTimePtr> RecTimeVector;
// A list of rows: shared between the operation that fills it and its caller.
typedef boost::shared_ptr<RecTimeVector> RecTimeList;

}  // namespace QM

#endif  // QM_CLIENT_RECTIME_H_
