// Recorded-file frames and thumbnails: the frame and region-thumbnail
// requests of a file named by its file name, and the walker of the
// media-streaming reply.
#include "client/server.h"
#include "services/stream_format.h"
#include "services/video_file.h"

namespace QM {

namespace {

// Media-streaming reply: record count at bytes 4-5, records from byte 6,
// each with an 8-byte header (record length, kind and frame number).
const unsigned int kMediaCountOffset = 4;
const unsigned int kMediaFirstRecord = 6;
const unsigned int kMediaRecordHeader = 8;
const unsigned int kMediaFrameNumberMask = 0x00FFFFFFu;

}  // namespace

ByteVector Server::ReqPkt_GetVideoFileFrames(std::wstring file_name,
                                             unsigned int camera_id,
                                             unsigned int first,
                                             unsigned int second, int third,
                                             std::wstring text) {
  SetCredentials();
  unsigned int count = 0;
  const char* frame = pkt_.GetMediaFileAVStreaming(
      file_name, camera_id, first, second, &count, third, text);
  return FrameBytes(frame, count);
}

ByteVector Server::ReqPkt_GetROIThumbnail(boost::shared_ptr<VideoFile> file,
                                          unsigned int value, unsigned int a,
                                          unsigned int b, unsigned int c,
                                          unsigned int d) {
  if (!file) return ByteVector();
  SetCredentials();
  unsigned int count = 0;
  const char* frame =
      pkt_.GetROIThumbnail(file->FileName, value, a, b, c, d, &count);
  return FrameBytes(frame, count);
}

unsigned int Server::RspPkt_ParseMediaFileAVStreaming(
    const void* reply, unsigned int length, boost::shared_ptr<VideoFile>) {
  if (reply == nullptr || length < kMediaFirstRecord) return 0;
  const unsigned char* bytes = static_cast<const unsigned char*>(reply);
  const unsigned int records = ReadLE16(bytes + kMediaCountOffset);
  unsigned int last_frame = 0;
  unsigned int at = kMediaFirstRecord;
  for (unsigned int i = 0; i < records; ++i) {
    // Positions are compared by what is left, so nothing can wrap around.
    if (length - at < kMediaRecordHeader) break;
    const unsigned int record_length = ReadLE32(bytes + at);
    if (record_length < kMediaRecordHeader || record_length > length - at)
      break;
    last_frame = ReadLE32(bytes + at + 4) & kMediaFrameNumberMask;
    at += record_length;
  }
  return last_frame;
}

}  // namespace QM
