// The span of recorded files that covers a period of time for one camera:
// its first and last file, the frame within each, and the date-times at
// which it starts and ends (the server's wall clock, as the reply writes
// them).
#ifndef QM_SERVICES_VIDEO_SPAN_H_
#define QM_SERVICES_VIDEO_SPAN_H_

#include <string>

#include <boost/shared_ptr.hpp>

namespace QM {

// Held through a shared pointer. Every number starts at 0 and keeps it when
// the reply does not provide it (a missing field, or a time not of the form
// YYYY-MM-DDThh:mm:ss); the extra numbers are never set by any operation.
class VideoSpan {
 public:
  VideoSpan()
      : StartingFrame(0), StartingYear(0), StartingMonth(0), StartingDay(0),
        StartingHour(0), StartingMinute(0), StartingSecond(0),
        StartingExtra(0), EndingFrame(0), EndingYear(0), EndingMonth(0),
        EndingDay(0), EndingHour(0), EndingMinute(0), EndingSecond(0),
        EndingExtra(0) {}

  std::wstring StartingFile;  // "StartingFile"
  int StartingFrame;          // "StartingFrame"
  int StartingYear;           // "StartingTime", date part
  int StartingMonth;
  int StartingDay;
  int StartingHour;           // "StartingTime", time part (fraction dropped)
  int StartingMinute;
  int StartingSecond;
  int StartingExtra;          // not in the reply
  std::wstring EndingFile;    // "EndingFile"
  int EndingFrame;            // "EndingFrame"
  int EndingYear;             // "EndingTime", date part
  int EndingMonth;
  int EndingDay;
  int EndingHour;             // "EndingTime", time part (fraction dropped)
  int EndingMinute;
  int EndingSecond;
  int EndingExtra;            // not in the reply
};

typedef boost::shared_ptr<VideoSpan> VideoSpanPtr;

}  // namespace QM

#endif  // QM_SERVICES_VIDEO_SPAN_H_
