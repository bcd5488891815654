// Command builders: per command, the code, the client type byte and what
// goes into the six parameters. Texts formatted here (query texts, the camera
// list) are composed in bounded buffers; a text that does not fit makes the
// request refused (send count 0) rather than cut.
#include <cwchar>
#include <string>

#include "protocol/qmreqpkt.h"

// The record builders read cameras, their servers and video files.
#include "client/server.h"
#include "services/camera.h"
#include "services/video_file.h"

namespace QM {

namespace {

// Command codes.
const unsigned int kCmdPreset = 1;
const unsigned int kCmdCameraStream = 2;
const unsigned int kCmdMediaFileAVStreaming = 302;
const unsigned int kCmdMediaFileHeaderInfo = 321;
const unsigned int kCmdDateTimeTracker = 324;
const unsigned int kCmdDirectoryInfo = 413;
const unsigned int kCmdServerStatus = 414;
const unsigned int kCmdROIThumbnail = 635;
const unsigned int kCmdRecordingInfo = 715;
const unsigned int kCmdMotionInfo = 716;
const unsigned int kCmdVideoSpan = 30003;
const unsigned int kCmdCameraMetadata = 50001;
const unsigned int kCmdServerMetadata = 50002;
const unsigned int kCmdCamerasMetadataEx = 50003;
const unsigned int kCmdPTZPresets = 50009;
const unsigned int kCmdPlaybackStream = 50012;
const unsigned int kCmdQuery = 50014;

// Capacities of the formatted texts, in wide characters (terminator
// included).
const size_t kLongQueryChars = 8192;
const size_t kShortQueryChars = 1024;
const size_t kCameraListChars = 4096;
const size_t kValueChars = 64;

const wchar_t kQueryVideoFiles[] =
    L"SELECT * FROM dbo.videofiles WHERE CameraID = (SELECT CameraID FROM "
    L"dbo.VideoFiles WHERE FileName = &apos;%ls&apos;) AND FileID &gt;= "
    L"(SELECT FileID FROM dbo.VideoFiles WHERE FileName = &apos;%ls&apos;) "
    L"AND FileID &lt;= (SELECT FileID FROM dbo.VideoFiles WHERE FileName = "
    L"&apos;%ls&apos;) ORDER BY StartTime";
const wchar_t kQueryCameraVideoFiles[] =
    L"SELECT StartTime, EndTime, TotalFrames, FileName, RecordingType, Flag, "
    L"FileManipulationStatus FROM dbo.VideoFiles WHERE CameraID=%d AND "
    L"StartTime &gt;= (SELECT StartTime FROM dbo.VideoFiles WHERE "
    L"FileName=&apos;%ls&apos;) INTERSECT SELECT StartTime, EndTime, "
    L"TotalFrames, FileName, RecordingType, Flag, FileManipulationStatus FROM "
    L"dbo.VideoFiles WHERE CameraID=%d AND EndTime &lt;= (SELECT EndTime FROM "
    L"dbo.VideoFiles WHERE FileName=&apos;%ls&apos;)";
const wchar_t kQueryServer[] = L"SELECT * FROM dbo.Servers WHERE serverID=%d";
const wchar_t kQueryCameras[] =
    L"SELECT cameraID, cameraName, IPAddress FROM dbo.Cameras WHERE "
    L"serverID=%d";

const wchar_t kLib[] =
    L"http://schemas.microsoft.com/clr/nsassem/Quillmark.LIB/"
    L"Quillmark.LIB%2C%20Version%3D4.0.0.0%2C%20Culture%3Dneutral%2C%20"
    L"PublicKeyToken%3Dnull";

// Parameters of an ordinary builder; unnamed ones stay 0 or empty.
struct Params {
  int int1 = 0;
  int int2 = 0;
  int int3 = 0;
  const wchar_t* str1 = nullptr;
  const wchar_t* str2 = nullptr;
  const wchar_t* str3 = nullptr;
};

void StoreCount(unsigned int* count, unsigned int value) {
  if (count != nullptr) *count = value;
}

// The ordinary builder sequence: clear, client type, integer parameters,
// string parameters, compose, frame.
char* Build(ReqPkt& pkt, unsigned int code, CLIENT_TYPE type, const Params& p,
            unsigned int* count) {
  pkt.ClearAllParameters();
  pkt.SetClientType(type);
  pkt.SetInt1(p.int1);
  pkt.SetInt2(p.int2);
  pkt.SetInt3(p.int3);
  pkt.SetStr1(p.str1);
  pkt.SetStr2(p.str2);
  pkt.SetStr3(p.str3);
  pkt.CreateCommand(code);
  StoreCount(count, pkt.EnsureCharset());
  return pkt.Frame();
}

}  // namespace

char* ReqPkt::Refuse(CLIENT_TYPE type, unsigned int* count) {
  ClearAllParameters();
  SetClientType(type);
  FillCommonHeader();
  envelope_overflow_ = true;  // EnsureCharset frames nothing
  StoreCount(count, EnsureCharset());
  return Frame();
}

char* ReqPkt::BuildQuery(int formatted, const wchar_t* query,
                         unsigned int* count) {
  if (formatted < 0) return Refuse(CLIENT_TYPE_QUERY, count);
  Params p;
  p.str1 = query;
  return Build(*this, kCmdQuery, CLIENT_TYPE_QUERY, p, count);
}

char* ReqPkt::GetDateTimeTracker(unsigned int camera_id,
                                 const std::wstring& date,
                                 unsigned int* count) {
  Params p;
  p.int1 = static_cast<int>(camera_id);
  p.str1 = date.c_str();
  return Build(*this, kCmdDateTimeTracker, CLIENT_TYPE_QUERY, p, count);
}

char* ReqPkt::GetRecordingInfo(unsigned int camera_id,
                               const std::wstring& start,
                               const std::wstring& end, unsigned int* count) {
  Params p;
  p.int1 = static_cast<int>(camera_id);
  p.str1 = start.c_str();
  p.str2 = end.c_str();
  return Build(*this, kCmdRecordingInfo, CLIENT_TYPE_QUERY, p, count);
}

char* ReqPkt::GetMotionInfo(unsigned int camera_id, const std::wstring& start,
                            const std::wstring& end, unsigned int* count) {
  Params p;
  p.int1 = static_cast<int>(camera_id);
  p.str1 = start.c_str();
  p.str2 = end.c_str();
  return Build(*this, kCmdMotionInfo, CLIENT_TYPE_QUERY, p, count);
}

char* ReqPkt::GetCameraStream(const CameraMap& cameras, unsigned int* count) {
  ClearAllParameters();

  // Item list, ids in ascending order (the map's order).
  wchar_t list[kCameraListChars];
  list[0] = L'\0';
  size_t list_len = 0;
  bool list_fits = true;
  int items = 0;
  for (const auto& entry : cameras) {
    wchar_t item[kValueChars];
    const int n = std::swprintf(item, kValueChars, L"<item>%u</item>",
                                entry.first);
    if (n < 0 || static_cast<size_t>(n) >= kCameraListChars - list_len) {
      list_fits = false;
      break;
    }
    std::wmemcpy(list + list_len, item, static_cast<size_t>(n) + 1);
    list_len += static_cast<size_t>(n);
    ++items;
  }

  if (!list_fits) return Refuse(CLIENT_TYPE_DEFAULT, count);
  FillCommonHeader();
  SetCommand(kCmdCameraStream);

  Append(L"<a1:DataRequestHeader id=\"ref-4\" xmlns:a1=\"");
  Append(kLib);
  Append(L"\">\r\n");
  Append(L"<CameraList href=\"#ref-5\" />\r\n");
  Append(L"<StreamingMode>Automatic</StreamingMode>\r\n");
  Append(L"</a1:DataRequestHeader>\r\n");
  wchar_t array_open[kValueChars];
  std::swprintf(array_open, kValueChars,
                L"<SOAP-ENV:Array id=\"ref-5\" "
                L"SOAP-ENV:arrayType=\"xsd:int[%d]\">",
                items);
  Append(array_open);
  Append(list);
  Append(L"\r\n");
  Append(L"</SOAP-ENV:Array>\r\n");
  Append(L"</SOAP-ENV:Body>\r\n");
  Append(L"</SOAP-ENV:Envelope>\r\n");

  StoreCount(count, EnsureCharset());
  return Frame();
}

char* ReqPkt::GetCameraStream(unsigned int camera_id, unsigned int* count) {
  CameraMap one;
  one[camera_id] = boost::shared_ptr<Camera>();
  return GetCameraStream(one, count);
}

char* ReqPkt::GetPlaybackStream(unsigned int first, unsigned int second,
                                unsigned int* count) {
  Params p;
  p.int1 = static_cast<int>(first);
  p.int2 = static_cast<int>(second);
  p.str3 = L"original";
  return Build(*this, kCmdPlaybackStream, CLIENT_TYPE_PLAYBACK, p, count);
}

char* ReqPkt::GetVideoFiles(const std::wstring& first_file,
                            const std::wstring& last_file,
                            unsigned int* count) {
  wchar_t query[kLongQueryChars];
  const int n = std::swprintf(query, kLongQueryChars, kQueryVideoFiles,
                              first_file.c_str(), first_file.c_str(),
                              last_file.c_str());
  return BuildQuery(n, query, count);
}

char* ReqPkt::GetVideoSpan(unsigned int server_id, unsigned int camera_id,
                           unsigned long long start_ticks,
                           unsigned long long end_ticks, unsigned int* count) {
  wchar_t start[kValueChars];
  wchar_t end[kValueChars];
  std::swprintf(start, kValueChars, L"%llu", start_ticks);
  std::swprintf(end, kValueChars, L"%llu", end_ticks);
  Params p;
  p.int1 = static_cast<int>(server_id);
  p.int2 = static_cast<int>(camera_id);
  p.str1 = start;
  p.str2 = end;
  return Build(*this, kCmdVideoSpan, CLIENT_TYPE_DEFAULT, p, count);
}

char* ReqPkt::GetMediaFileAVStreamingHeaderInfo(const std::wstring& file_name,
                                                unsigned int camera_id,
                                                unsigned int* count) {
  Params p;
  p.int1 = static_cast<int>(camera_id);
  p.str1 = file_name.c_str();
  return Build(*this, kCmdMediaFileHeaderInfo, CLIENT_TYPE_DEFAULT, p, count);
}

char* ReqPkt::GetPTZPresets(unsigned int camera_id, unsigned int* count) {
  Params p;
  p.int1 = static_cast<int>(camera_id);
  return Build(*this, kCmdPTZPresets, CLIENT_TYPE_QUERY, p, count);
}

namespace {

// The three preset commands share code 1 and differ in their sub-command.
char* BuildPreset(ReqPkt& pkt, const wchar_t* action, unsigned int camera_id,
                  unsigned int preset, const std::wstring& name,
                  unsigned int* count) {
  wchar_t number[kValueChars];
  std::swprintf(number, kValueChars, L"%u", preset);
  Params p;
  p.int1 = static_cast<int>(camera_id);
  p.str1 = action;
  p.str2 = number;
  p.str3 = name.c_str();
  return Build(pkt, kCmdPreset, CLIENT_TYPE_DEFAULT, p, count);
}

}  // namespace

char* ReqPkt::RecallPTZPreset(unsigned int camera_id, unsigned int preset,
                              const std::wstring& name, unsigned int* count) {
  return BuildPreset(*this, L"RecallPreset", camera_id, preset, name, count);
}

char* ReqPkt::DeletePTZPreset(unsigned int camera_id, unsigned int preset,
                              const std::wstring& name, unsigned int* count) {
  return BuildPreset(*this, L"DeletePreset", camera_id, preset, name, count);
}

char* ReqPkt::SetPTZPreset(unsigned int camera_id, unsigned int preset,
                           const std::wstring& name, unsigned int* count) {
  return BuildPreset(*this, L"SetPreset", camera_id, preset, name, count);
}

char* ReqPkt::StopPTZAction(unsigned int camera_id, PTZ_ACTION action,
                            unsigned int* count) {
  const PTZ_COMMAND* command = FindPTZCommand(action);
  if (command == nullptr) return Refuse(CLIENT_TYPE_DEFAULT, count);
  const std::wstring stop = command->text + L"Stop";
  Params p;
  p.int1 = static_cast<int>(camera_id);
  p.str1 = L"PTZAction";
  p.str2 = stop.c_str();
  return Build(*this, kCmdPreset, CLIENT_TYPE_DEFAULT, p, count);
}

char* ReqPkt::StartPTZAction(unsigned int camera_id, PTZ_ACTION action,
                             unsigned int value, unsigned int* count) {
  const PTZ_COMMAND* command = FindPTZCommand(action);
  if (command == nullptr) return Refuse(CLIENT_TYPE_DEFAULT, count);
  Params p;
  p.int1 = static_cast<int>(camera_id);
  p.int2 = static_cast<int>(value);
  p.str1 = L"PTZAction";
  p.str2 = command->text.c_str();
  return Build(*this, kCmdPreset, CLIENT_TYPE_DEFAULT, p, count);
}

char* ReqPkt::GetROIThumbnail(const std::wstring& file_name,
                              unsigned int value, unsigned int a,
                              unsigned int b, unsigned int c, unsigned int d,
                              unsigned int* count) {
  wchar_t region[kValueChars];
  std::swprintf(region, kValueChars, L"%d,%d,%d,%d", static_cast<int>(a),
                static_cast<int>(b), static_cast<int>(c), static_cast<int>(d));
  Params p;
  p.int1 = static_cast<int>(value);
  p.str1 = file_name.c_str();
  p.str2 = region;
  return Build(*this, kCmdROIThumbnail, CLIENT_TYPE_DEFAULT, p, count);
}

char* ReqPkt::GetServerStatus(unsigned int* count) {
  return Build(*this, kCmdServerStatus, CLIENT_TYPE_QUERY, Params(), count);
}

char* ReqPkt::GetCameraMetadata(unsigned int camera_id, unsigned int* count) {
  Params p;
  p.int1 = static_cast<int>(camera_id);
  return Build(*this, kCmdCameraMetadata, CLIENT_TYPE_QUERY, p, count);
}

char* ReqPkt::GetServerMetadata(unsigned int* count) {
  return Build(*this, kCmdServerMetadata, CLIENT_TYPE_QUERY, Params(), count);
}

char* ReqPkt::GetCameraVideoFiles(unsigned int camera_id, unsigned int* count,
                                  const std::wstring& first_file,
                                  const std::wstring& last_file) {
  wchar_t query[kShortQueryChars];
  const int id = static_cast<int>(camera_id);
  const int n = std::swprintf(query, kShortQueryChars, kQueryCameraVideoFiles,
                              id, first_file.c_str(), id, last_file.c_str());
  return BuildQuery(n, query, count);
}

char* ReqPkt::GetServerMetadataEx(unsigned int server_id,
                                  unsigned int* count) {
  wchar_t query[kShortQueryChars];
  const int n = std::swprintf(query, kShortQueryChars, kQueryServer,
                              static_cast<int>(server_id));
  return BuildQuery(n, query, count);
}

char* ReqPkt::GetMediaFileAVStreaming(const std::wstring& file_name,
                                      unsigned int camera_id,
                                      unsigned int first, unsigned int second,
                                      unsigned int* count, int third,
                                      const std::wstring& text) {
  wchar_t camera[kValueChars];
  std::swprintf(camera, kValueChars, L"%d", static_cast<int>(camera_id));
  Params p;
  p.int1 = static_cast<int>(first);
  p.int2 = static_cast<int>(second);
  p.int3 = third;
  p.str1 = file_name.c_str();
  p.str2 = text.c_str();
  p.str3 = camera;
  return Build(*this, kCmdMediaFileAVStreaming, CLIENT_TYPE_DEFAULT, p, count);
}

char* ReqPkt::GetDirectoryInfo(unsigned int camera_id, const std::wstring& path,
                               bool flag, unsigned int* count) {
  Params p;
  p.int1 = flag ? 1 : 0;
  p.int2 = static_cast<int>(camera_id);
  p.str1 = path.c_str();
  return Build(*this, kCmdDirectoryInfo, CLIENT_TYPE_DEFAULT, p, count);
}

char* ReqPkt::GetCamerasMetadataEx(unsigned int server_id,
                                   unsigned int* count) {
  // The native command takes the server id but sends no parameter.
  (void)server_id;
  return Build(*this, kCmdCamerasMetadataEx, CLIENT_TYPE_QUERY, Params(),
               count);
}

char* ReqPkt::GetCamerasMetadata(unsigned int server_id, unsigned int* count) {
  wchar_t query[kShortQueryChars];
  const int n = std::swprintf(query, kShortQueryChars, kQueryCameras,
                              static_cast<int>(server_id));
  return BuildQuery(n, query, count);
}

char* ReqPkt::GetVideoSpan(boost::shared_ptr<Camera> camera,
                           unsigned long long start_ticks,
                           unsigned long long end_ticks, unsigned int* count) {
  const boost::shared_ptr<Server> server =
      camera ? camera->GetServer() : boost::shared_ptr<Server>();
  if (!server) return Refuse(CLIENT_TYPE_DEFAULT, count);
  return GetVideoSpan(server->GetServerID(), camera->ID(), start_ticks,
                      end_ticks, count);
}

char* ReqPkt::GetMediaFileAVStreaming(boost::shared_ptr<VideoFile> file,
                                      boost::shared_ptr<Camera> camera,
                                      unsigned int first, unsigned int second,
                                      unsigned int* count, int third,
                                      const std::wstring& text) {
  if (!file || !camera) return Refuse(CLIENT_TYPE_DEFAULT, count);
  return GetMediaFileAVStreaming(file->FileName, camera->ID(), first, second,
                                 count, third, text);
}

}  // namespace QM
