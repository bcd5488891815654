// Records parsed from the recording-info and motion-info replies.
#ifndef QM_CLIENT_RECINFO_RECORDS_H_
#define QM_CLIENT_RECINFO_RECORDS_H_

#include <string>
#include <vector>

#include <boost/shared_ptr.hpp>

namespace QM {

// One recorded file of a camera. Numeric members whose reply field is
// missing or not a number stay 0.
class RecFile {
 public:
  explicit RecFile(std::wstring file_name)
      : CamId(0), FileId(0), FileName(file_name), RecType(0), TotalFrames(0) {}
  virtual ~RecFile() {}

  unsigned int CamId;        // "CameraID"
  std::wstring StartStr;     // "StartTime", as sent (zone included)
  std::wstring EndStr;       // "EndTime"
  unsigned int FileId;       // "FileID"
  std::wstring FileName;     // "FileName"
  unsigned int RecType;      // "RecordingType"
  unsigned int TotalFrames;  // "TotalFrames"
};

// One motion period. FileId stays 0 when its field is missing.
class RecMotion {
 public:
  explicit RecMotion(unsigned int camera_id) : CamId(camera_id), FileId(0) {}
  virtual ~RecMotion() {}

  unsigned int CamId;     // "oCameraID"
  unsigned int FileId;    // "FileID"
  std::wstring StartStr;  // "StartTime"
  std::wstring EndStr;    // "EndTime"
};

typedef boost::shared_ptr<RecFile> RecFilePtr;
typedef boost::shared_ptr<std::vector<RecFilePtr> > RecFileList;
typedef boost::shared_ptr<RecMotion> RecMotionPtr;
typedef boost::shared_ptr<std::vector<RecMotionPtr> > RecMotionList;

}  // namespace QM

#endif  // QM_CLIENT_RECINFO_RECORDS_H_
