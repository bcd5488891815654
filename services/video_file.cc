// The video file record: clearing its header, frame times and the
// start-time ordering.
#include "services/video_file.h"

#include <cstddef>

#include "services/byte_reader.h"

namespace QM {

namespace {

const unsigned long long kTicksPerMillisecond = 10000ULL;
// The base time fills bytes 0-7; the offset of frame i lies at 4 + 4i.
const size_t kOffsetBytes = 4;

}  // namespace

VideoFile::VideoFile(std::wstring file_name)
    : FileName(file_name),
      FileID(0),
      TotalFrames(0),
      StartTime(0),
      EndTime(0),
      RecordingType(0),
      Flag(0),
      FileManipulationStatus(0) {
  ClearAll();
}

VideoFile::~VideoFile() {}

void VideoFile::ClearAll() {
  HeaderTag = 0;
  HeaderValue4 = 0;
  Rate = 0.0;
  HeaderValue16 = 0;
  FormatValue = 0;
  FormatKind = 0;
  ExtensionWord = 0;
  ValueA = ValueB = ValueC = 0;
  ValueD1 = ValueD2 = 0;
  ValueE1 = ValueE2 = ValueE3 = ValueE4 = ValueE5 = 0;
  ValueF1 = ValueF2 = ValueF3 = ValueF4 = 0;
  ValueG = 0;
  std::vector<unsigned char>().swap(FrameTable);
}

unsigned long long VideoFile::timestamp(unsigned int index) const {
  if (index >= TotalFrames) return 0;
  ByteReader table(FrameTable.data(), FrameTable.size());
  const unsigned long long base = table.U64();
  if (table.Failed()) return 0;
  if (index == 0) return base;
  // From byte 8 to the offset of frame `index`; size_t holds it for any
  // 32-bit index.
  table.Skip(kOffsetBytes * (static_cast<size_t>(index) - 1));
  const unsigned long long offset = table.U32();
  if (table.Failed()) return 0;
  return base + offset * kTicksPerMillisecond;
}

void VideoFile::SetCamera(boost::shared_ptr<Camera> camera) {
  camera_ = camera;
}

boost::shared_ptr<Camera> VideoFile::GetCamera() const {
  return camera_.lock();
}

bool compVideoStartTimes(VideoFilePtr a, VideoFilePtr b) {
  if (!b) return false;
  if (!a) return true;
  return a->StartTime < b->StartTime;
}

}  // namespace QM
