// A recorded video file on the server: the fields of its row in a file list
// and, once its binary file header has been read, the header values and the
// frame table that gives the time of every frame.
#ifndef QM_SERVICES_VIDEO_FILE_H_
#define QM_SERVICES_VIDEO_FILE_H_

#include <string>
#include <vector>

#include <boost/shared_ptr.hpp>
#include <boost/weak_ptr.hpp>

#include "services/camera.h"

namespace QM {

// Held through shared pointers. List fields whose reply text is missing or
// not a number are 0; header fields are 0 until a header has been read.
// Header offsets below are those of a header without gaps; the fields after
// offset 24 follow one another, their presence depending on FormatKind and
// ExtensionWord.
class VideoFile {
 public:
  // Every number 0, no camera, no frame table.
  explicit VideoFile(std::wstring file_name);
  virtual ~VideoFile();

  // Every header field (HeaderTag to ValueG) to 0 and the frame table freed.
  // File name, file ID, total frames, times, recording type, flag and file
  // manipulation status keep their values.
  void ClearAll();

  // Time of frame `index` in .NET ticks: the frame table's base time, plus
  // for index i >= 1 the 32-bit millisecond offset of frame i times 10000.
  // 0 when the index is at or beyond TotalFrames, or when the frame table is
  // too short to hold the base time or that frame's offset.
  unsigned long long timestamp(unsigned int index) const;

  // The camera the file belongs to: set by the caller that obtained the file
  // for a camera (no parser sets it). GetCamera is empty when it was never
  // set or the camera no longer exists.
  void SetCamera(boost::shared_ptr<Camera> camera);
  boost::shared_ptr<Camera> GetCamera() const;

  std::wstring FileName;                // "FileName" of the list row
  unsigned int FileID;                  // "FileID"
  unsigned int TotalFrames;             // "TotalFrames"; then header offset 12
  unsigned long long StartTime;         // "StartTime", .NET ticks
  unsigned long long EndTime;           // "EndTime", .NET ticks
  unsigned int RecordingType;           // "RecordingType"
  unsigned int Flag;                    // "Flag"
  unsigned int FileManipulationStatus;  // "FileManipulationStatus"

  unsigned int HeaderTag;       // offset 0; 0 when the file has no header
  unsigned int HeaderValue4;    // offset 4
  double Rate;                  // offset 8, thousandths divided by 1000
  unsigned int HeaderValue16;   // offset 16
  unsigned int FormatValue;     // offset 20, low 24 bits
  unsigned int FormatKind;      // offset 20, top 8 bits
  unsigned short ExtensionWord; // after the kind-dependent fields
  unsigned int ValueA;          // kind 1: offset 24
  unsigned int ValueB;          // kind 1: offset 28
  unsigned int ValueC;          // kind 1: offset 32
  unsigned int ValueD1;         // kind 1 (newer servers): 36; kinds 2-7: 24
  unsigned int ValueD2;         // kind 2: offset 28
  unsigned short ValueE1;       // extension block (when ExtensionWord != 0),
  unsigned short ValueE2;       //   2 bytes each, right after ExtensionWord
  unsigned short ValueE3;
  unsigned short ValueE4;
  unsigned short ValueE5;
  unsigned int ValueF1;         // extension block, 4 bytes each, after E5
  unsigned int ValueF2;
  unsigned int ValueF3;
  unsigned int ValueF4;
  unsigned short ValueG;        // extension block, 2 bytes, after F4
  // The bytes after the header, owned: little-endian 64-bit base time in
  // ticks at 0-7, then the 32-bit millisecond offset of frame i (i >= 1) at
  // 4 + 4i. Empty until a header has been read.
  std::vector<unsigned char> FrameTable;

 private:
  boost::weak_ptr<Camera> camera_;
};

typedef boost::shared_ptr<VideoFile> VideoFilePtr;
// A list of files: shared between the parser that fills it and its caller.
typedef boost::shared_ptr<std::vector<VideoFilePtr> > VideoFileList;

// True when a's start time is strictly earlier than b's: the ordering for
// sorting file lists by start time (equal start times are not ordered). An
// empty pointer orders before any file.
bool compVideoStartTimes(VideoFilePtr a, VideoFilePtr b);

}  // namespace QM

#endif  // QM_SERVICES_VIDEO_FILE_H_
