// Parsers of the three replies of the recording query: the binary day
// tracker, the recording files and the motion periods.

#include <boost/make_shared.hpp>

#include "client/exchange.h"
#include "client/reply_document.h"
#include "client/server.h"

namespace QM {

namespace {

// A tracker reply: 24 hours of 8 bytes each.
const unsigned int kTrackerBytes = 192;
const unsigned int kBytesPerHour = 8;
// Minutes of the day: 24 x (7 x 8 + 4).
const size_t kMinutesPerDay = 1440;

}  // namespace

std::vector<bool> Server::RspPkt_ParseGetDateTimeTracker(const void* reply,
                                                         unsigned int length) {
  std::vector<bool> minutes;
  if (reply == nullptr || length != kTrackerBytes) return minutes;
  minutes.reserve(kMinutesPerDay);
  const unsigned char* bytes = static_cast<const unsigned char*>(reply);
  for (unsigned int k = 0; k < kTrackerBytes; ++k) {
    // The last byte of each hour carries only minutes 56-59 in its low bits.
    const unsigned int bits = (k % kBytesPerHour == kBytesPerHour - 1) ? 4 : 8;
    for (unsigned int bit = 0; bit < bits; ++bit) {
      minutes.push_back(((bytes[k] >> bit) & 1u) != 0);
    }
  }
  return minutes;
}

namespace {

// The files of a parsed recording-info reply, one per DataSet row.
RecFileList FileRows(const ReplyDocument& document) {
  RecFileList files = boost::make_shared<std::vector<RecFilePtr> >();
  if (document.Error()) return files;
  for (const TiXmlNode* row = FirstDataSetRow(document.Document());
       row != nullptr; row = NextDataSetRow(row)) {
    RecFilePtr file =
        boost::make_shared<RecFile>(ReadWideField(row, "FileName"));
    files->push_back(file);
    file->TotalFrames = ReadUnsignedField(row, "TotalFrames");
    file->StartStr = ReadWideField(row, "StartTime");
    file->EndStr = ReadWideField(row, "EndTime");
    file->RecType = ReadUnsignedField(row, "RecordingType");
    file->FileId = ReadUnsignedField(row, "FileID");
    file->CamId = ReadUnsignedField(row, "CameraID");
  }
  return files;
}

// The motion periods of a parsed motion-info reply, one per DataSet row.
RecMotionList MotionRows(const ReplyDocument& document) {
  RecMotionList motions = boost::make_shared<std::vector<RecMotionPtr> >();
  if (document.Error()) return motions;
  for (const TiXmlNode* row = FirstDataSetRow(document.Document());
       row != nullptr; row = NextDataSetRow(row)) {
    RecMotionPtr motion =
        boost::make_shared<RecMotion>(ReadUnsignedField(row, "oCameraID"));
    motions->push_back(motion);
    motion->FileId = ReadUnsignedField(row, "FileID");
    motion->StartStr = ReadWideField(row, "StartTime");
    motion->EndStr = ReadWideField(row, "EndTime");
  }
  return motions;
}


}  // namespace

RecFileList Server::RspPkt_ParseGetRecordingInfo(const void* reply,
                                                 unsigned int length) {
  const ReplyDocument document(reply, length);
  return FileRows(document);
}

RecMotionList Server::RspPkt_ParseGetMotionInfo(const void* reply,
                                                unsigned int length) {
  const ReplyDocument document(reply, length);
  return MotionRows(document);
}

RecFileList Server::ParseRecordingInfoReply(ByteVector& reply) {
  const ReplyDocument document(reply.data(), ReplyLength(reply));
  ByteVector().swap(reply);
  return FileRows(document);
}

RecMotionList Server::ParseMotionInfoReply(ByteVector& reply) {
  const ReplyDocument document(reply.data(), ReplyLength(reply));
  ByteVector().swap(reply);
  return MotionRows(document);
}

}  // namespace QM
