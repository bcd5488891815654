// The request packet: composes one SOAP request envelope as wide text,
// converts it to 8-bit text and puts it behind the 5-byte frame prefix
// (client type byte, frame length as unsigned 32-bit little-endian).
// One packet belongs to one server client and is reused for every request.
#ifndef QM_PROTOCOL_QMREQPKT_H_
#define QM_PROTOCOL_QMREQPKT_H_

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

#include <boost/shared_ptr.hpp>

#include "services/ptz.h"

namespace QM {

class Server;
class Camera;
class VideoFile;

// Cameras of a server keyed by camera id (only the keys matter to requests).
typedef std::map<unsigned int, boost::shared_ptr<Camera> > CameraMap;

// Value of the first frame byte.
enum CLIENT_TYPE {
  CLIENT_TYPE_DEFAULT = 2,
  CLIENT_TYPE_QUERY = 6,
  CLIENT_TYPE_PLAYBACK = 7,
};

// 0 on a little-endian host, 1 on a big-endian host.
int check_endian();
// The value with its four bytes reversed.
unsigned int swap32(unsigned int value);

class ReqPkt {
 public:
  // Capacity of the envelope buffer, in wide characters (terminator included).
  static constexpr size_t kEnvelopeChars = 8192;
  // Most bytes the 8-bit conversion may write (the text area has one more
  // byte for the terminator).
  static constexpr size_t kTextBytes = 4100;

  ReqPkt();
  // Copies user, password and connection cookie from the server; clicks 0.
  explicit ReqPkt(Server& server);
  virtual ~ReqPkt();

  ReqPkt(const ReqPkt&) = delete;
  ReqPkt& operator=(const ReqPkt&) = delete;

  void SetClicks(unsigned long long clicks);
  void SetCookie(unsigned int cookie);
  void SetInt1(int value);
  void SetInt2(int value);
  void SetInt3(int value);
  void SetClientType(CLIENT_TYPE type);
  // Each clears its string, then copies the text when the pointer is set.
  void SetUser(const wchar_t* text);
  void SetPassword(const wchar_t* text);
  void SetStr1(const wchar_t* text);
  void SetStr2(const wchar_t* text);
  void SetStr3(const wchar_t* text);

  // IntParameter1-3 to 0, StrParameter1-3 empty, client type 2. User,
  // password, cookie and clicks are kept.
  void ClearAllParameters();

  // The three composition steps; each returns the envelope buffer, which
  // stays valid (and owned by the packet) until the next composition.
  // FillCommonHeader restarts the envelope; the other two append.
  wchar_t* FillCommonHeader();
  wchar_t* SetCommand(unsigned int code);
  wchar_t* FillCommand();
  // FillCommonHeader, SetCommand(code), FillCommand.
  wchar_t* CreateCommand(unsigned int code);

  // Converts the envelope to the 8-bit frame text, stores the frame length
  // (text bytes + 4, little-endian on every host) and returns the send count
  // (text bytes + 5). Returns 0 and leaves no usable frame when the request
  // cannot be framed: the envelope overflowed its buffer, the text would
  // need more than kTextBytes bytes, or a character has no form in the
  // current locale. Callers treat a count of 0 as "nothing to send".
  unsigned int EnsureCharset();

  // The start of the frame (the client type byte). Valid until the next
  // builder call on this packet.
  char* Frame();

  // Command builders. Each clears the parameters, sets the client type and
  // its parameters, composes the envelope and frames it; it stores the send
  // count (0 when the request was refused, see EnsureCharset) through
  // `count` and returns the frame start.
  char* GetDateTimeTracker(unsigned int camera_id, const std::wstring& date,
                           unsigned int* count);
  char* GetRecordingInfo(unsigned int camera_id, const std::wstring& start,
                         const std::wstring& end, unsigned int* count);
  char* GetMotionInfo(unsigned int camera_id, const std::wstring& start,
                      const std::wstring& end, unsigned int* count);
  char* GetCameraStream(const CameraMap& cameras, unsigned int* count);
  char* GetCameraStream(unsigned int camera_id, unsigned int* count);
  char* GetPlaybackStream(unsigned int first, unsigned int second,
                          unsigned int* count);
  char* GetVideoFiles(const std::wstring& first_file,
                      const std::wstring& last_file, unsigned int* count);
  char* GetVideoSpan(unsigned int server_id, unsigned int camera_id,
                     unsigned long long start_ticks,
                     unsigned long long end_ticks, unsigned int* count);
  char* GetMediaFileAVStreamingHeaderInfo(const std::wstring& file_name,
                                          unsigned int camera_id,
                                          unsigned int* count);
  char* GetPTZPresets(unsigned int camera_id, unsigned int* count);
  char* RecallPTZPreset(unsigned int camera_id, unsigned int preset,
                        const std::wstring& name, unsigned int* count);
  char* DeletePTZPreset(unsigned int camera_id, unsigned int preset,
                        const std::wstring& name, unsigned int* count);
  char* SetPTZPreset(unsigned int camera_id, unsigned int preset,
                     const std::wstring& name, unsigned int* count);
  // PTZ movements (command 1, sub-command "PTZAction"): the action's command
  // text, followed by "Stop" for the stop request; `value` goes unchanged
  // into IntParameter2. An action without a table entry (above 13) is
  // refused: send count 0.
  char* StopPTZAction(unsigned int camera_id, PTZ_ACTION action,
                      unsigned int* count);
  char* StartPTZAction(unsigned int camera_id, PTZ_ACTION action,
                       unsigned int value, unsigned int* count);
  char* GetROIThumbnail(const std::wstring& file_name, unsigned int value,
                        unsigned int a, unsigned int b, unsigned int c,
                        unsigned int d, unsigned int* count);
  char* GetServerStatus(unsigned int* count);
  char* GetCameraMetadata(unsigned int camera_id, unsigned int* count);
  char* GetServerMetadata(unsigned int* count);
  char* GetCameraVideoFiles(unsigned int camera_id, unsigned int* count,
                            const std::wstring& first_file,
                            const std::wstring& last_file);
  char* GetServerMetadataEx(unsigned int server_id, unsigned int* count);
  char* GetMediaFileAVStreaming(const std::wstring& file_name,
                                unsigned int camera_id, unsigned int first,
                                unsigned int second, unsigned int* count,
                                int third, const std::wstring& text);
  char* GetDirectoryInfo(unsigned int camera_id, const std::wstring& path,
                         bool flag, unsigned int* count);
  char* GetCamerasMetadataEx(unsigned int server_id, unsigned int* count);
  char* GetCamerasMetadata(unsigned int server_id, unsigned int* count);
  // Builders that read records. The span request takes the camera's ID and
  // the ID of the camera's server; the media-file request the file's name
  // and the camera's ID (into StrParameter3 as "%d"). An empty camera or
  // file pointer, or a camera without a living server, refuses the request
  // (send count 0).
  char* GetVideoSpan(boost::shared_ptr<Camera> camera,
                     unsigned long long start_ticks,
                     unsigned long long end_ticks, unsigned int* count);
  char* GetMediaFileAVStreaming(boost::shared_ptr<VideoFile> file,
                                boost::shared_ptr<Camera> camera,
                                unsigned int first, unsigned int second,
                                unsigned int* count, int third,
                                const std::wstring& text);

 private:
  // Refuses the request being built: stores send count 0 through `count`
  // and returns the frame start (an empty frame).
  char* Refuse(CLIENT_TYPE type, unsigned int* count);
  // Builds a server query (command 50014) from a text that swprintf formatted
  // into `query`; `formatted` < 0 (it did not fit) refuses the request.
  char* BuildQuery(int formatted, const wchar_t* query, unsigned int* count);
  // Appends text to the envelope; on overflow marks the envelope as
  // overflowed and writes nothing past the buffer.
  void Append(const wchar_t* text);
  void Append(const std::wstring& text);

  unsigned long long clicks_;
  std::wstring user_;
  std::wstring password_;
  wchar_t envelope_[kEnvelopeChars];
  size_t envelope_len_;    // characters composed so far
  bool envelope_overflow_; // a composition step did not fit

#pragma pack(push, 1)
  struct FrameBytes {
    unsigned char client_type;
    uint32_t length;                // little-endian on the wire
    char text[kTextBytes + 1];      // 8-bit envelope, NUL-terminated
  };
#pragma pack(pop)
  FrameBytes frame_;

  int int1_;
  int int2_;
  int int3_;
  std::wstring str1_;
  std::wstring str2_;
  std::wstring str3_;
  unsigned int cookie_;
};

}  // namespace QM

#endif  // QM_PROTOCOL_QMREQPKT_H_
