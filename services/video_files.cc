// Video files of a camera: the list, file-header and frame-stream requests
// and the file-list parser.
#include <boost/make_shared.hpp>

#include "client/reply_document.h"
#include "client/server.h"
#include "protocol/ticks.h"

namespace QM {

namespace {

// Ticks of a date-time field; 0 when it is missing or too short.
unsigned long long ReadTicksField(const TiXmlNode* row, const char* name) {
  return XMLDateTimeToDotNetDateTime(ReadWideField(row, name));
}

}  // namespace

ByteVector Server::ReqPkt_GetVideoFiles(std::wstring first_file,
                                        std::wstring last_file) {
  SetCredentials();
  unsigned int count = 0;
  const char* frame = pkt_.GetVideoFiles(first_file, last_file, &count);
  return FrameBytes(frame, count);
}

ByteVector Server::ReqPkt_GetVideoFileMetadata(std::wstring file_name,
                                               unsigned int camera_id) {
  SetCredentials();
  unsigned int count = 0;
  const char* frame =
      pkt_.GetMediaFileAVStreamingHeaderInfo(file_name, camera_id, &count);
  return FrameBytes(frame, count);
}

ByteVector Server::ReqPkt_GetVideoFileMetadata(
    boost::shared_ptr<VideoFile> file) {
  const CameraPtr camera = file ? file->GetCamera() : CameraPtr();
  if (!camera) return ByteVector();
  return ReqPkt_GetVideoFileMetadata(file->FileName, camera->ID());
}

ByteVector Server::ReqPkt_GetVideoFilesMetadata(
    boost::shared_ptr<Camera> camera, std::wstring first_file,
    std::wstring last_file) {
  if (!camera) return ByteVector();
  return ReqPkt_GetVideoFilesMetadata(camera->ID(), first_file, last_file);
}

ByteVector Server::ReqPkt_GetVideoFilesMetadata(unsigned int camera_id,
                                                std::wstring first_file,
                                                std::wstring last_file) {
  SetCredentials();
  unsigned int count = 0;
  const char* frame =
      pkt_.GetCameraVideoFiles(camera_id, &count, first_file, last_file);
  return FrameBytes(frame, count);
}

ByteVector Server::ReqPkt_GetVideoFilesMetadata(
    boost::shared_ptr<Camera> camera) {
  return ReqPkt_GetVideoFilesMetadata(camera, std::wstring(), std::wstring());
}

ByteVector Server::ReqPkt_GetVideoFileFrames(boost::shared_ptr<VideoFile> file,
                                             unsigned int first,
                                             unsigned int second, int third,
                                             std::wstring text) {
  const CameraPtr camera = file ? file->GetCamera() : CameraPtr();
  if (!camera) return ByteVector();
  SetCredentials();
  unsigned int count = 0;
  const char* frame = pkt_.GetMediaFileAVStreaming(file, camera, first, second,
                                                   &count, third, text);
  return FrameBytes(frame, count);
}

VideoFileList Server::RspPkt_ParseVideoFilesMetadata(const void* reply,
                                                     unsigned int length) {
  VideoFileList files = boost::make_shared<std::vector<VideoFilePtr> >();
  ReplyDocument document(reply, length);
  if (document.Error()) return files;
  for (const TiXmlNode* row = FirstDataSetRow(document.Document());
       row != nullptr; row = NextDataSetRow(row)) {
    const VideoFilePtr file =
        boost::make_shared<VideoFile>(ReadWideField(row, "FileName"));
    files->push_back(file);
    file->TotalFrames = ReadUnsignedField(row, "TotalFrames");
    file->StartTime = ReadTicksField(row, "StartTime");
    file->EndTime = ReadTicksField(row, "EndTime");
    file->RecordingType = ReadUnsignedField(row, "RecordingType");
    file->Flag = ReadUnsignedField(row, "Flag");
    file->FileManipulationStatus =
        ReadUnsignedField(row, "FileManipulationStatus");
    file->FileID = ReadUnsignedField(row, "FileID");
  }
  return files;
}

}  // namespace QM
