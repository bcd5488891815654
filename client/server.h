// The server client: one object stands for one video server. It holds the
// address, port and credentials used to reach it, the connection cookie and
// clicks value sent with every request, what the server told about itself,
// its cameras, and the request packet it reuses for every request. The
// transport is a set of virtual operations with trivial defaults; QMLinux
// implements them over TCP.
#ifndef QM_CLIENT_SERVER_H_
#define QM_CLIENT_SERVER_H_

#include <ctime>
#include <string>
#include <vector>

#include <boost/enable_shared_from_this.hpp>
#include <boost/shared_ptr.hpp>

#include "client/recinfo_records.h"
#include "client/rectime.h"
#include "protocol/qmreqpkt.h"
#include "services/camera.h"
#include "services/video_file.h"
#include "services/video_span.h"
#include "services/preset.h"
#include "services/ptz.h"

namespace QM {

class VideoFile;

// Request and reply bytes of one exchange.
typedef std::vector<unsigned char> ByteVector;

class Server : public boost::enable_shared_from_this<Server> {
 public:
  // No address, port 4011, no credentials, random cookie, clicks 0.
  Server();
  // No address, port 4011 (SetAll turns port 0 into 4011).
  Server(const wchar_t* user, const wchar_t* password,
         unsigned long long clicks, unsigned int cookie);
  Server(const wchar_t* address, unsigned short port, const wchar_t* user,
         const wchar_t* password, unsigned long long clicks,
         unsigned int cookie);
  virtual ~Server();

  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  // ---- Transport (defaults do nothing and report failure or nothing) ----
  virtual bool OpenCommandChannel();
  virtual bool OpenDataChannel(unsigned short port);
  virtual void CloseConnection();
  virtual unsigned int WriteConnection(ByteVector& data);
  virtual unsigned int ReadConnection(ByteVector& data);
  // Sends `request` on a fresh connection and fills `reply` with everything
  // the server sends until it closes. Returns the reply size; 0 (reply left
  // as it was) when nothing could be exchanged.
  virtual unsigned int TransactCommandChannel(ByteVector& request,
                                              ByteVector& reply);
  // Stream hooks: called by GetPlaybackStream and GetLiveStream with every
  // complete frame; true ends the stream, false asks for the next frame.
  // `payload` is the stream's own buffer, valid only during the call (a hook
  // may swap it away). The defaults answer true (one frame, then stop).
  // A playback frame: its flag (bit 24 of the last header word), time in
  // .NET ticks, frame number (low 24 bits of the last header word), and the
  // header's fourth and fifth words as they came.
  virtual bool NewPlaybackFrame(bool key_frame, unsigned long long ticks,
                                unsigned int frame_number, unsigned int value,
                                unsigned int extra, ByteVector& payload);
  // A live frame: the header's values A (offset 6), flag (offset 11 is 1),
  // B (offset 10), C (offset 12), D (offset 14) and E (offset 16).
  virtual bool NewLiveFrame(unsigned int value_a, bool key_frame,
                            unsigned int value_b, unsigned int value_c,
                            unsigned int value_d, unsigned short value_e,
                            ByteVector& payload);

  // ---- Accessors ----
  // Server ID 0, name empty, cookie = `cookie` or a fresh rand() (the
  // generator is reseeded with time() on every call), address, port (0 means
  // 4011), user, password.
  void SetAll(const wchar_t* address, unsigned short port,
              const wchar_t* user, const wchar_t* password,
              unsigned int cookie);
  // Each empties its field, then copies the text when one is given.
  void SetAddress(const wchar_t* text);
  void SetUser(const wchar_t* text);
  void SetPassword(const wchar_t* text);
  // Zero-terminated views of the fields, valid until the field changes.
  const wchar_t* GetAddress() const;
  const wchar_t* GetUser() const;
  const wchar_t* GetPassword() const;
  const wchar_t* GetName() const;
  std::wstring GetAddressString() const;
  unsigned short GetPort() const;
  void SetPort(unsigned short port);
  unsigned int GetServerID() const;
  void SetID(unsigned int id);
  unsigned int GetConnectionCookie() const;
  // Hands user, password, cookie and clicks to the request packet. Every
  // ReqPkt_ wrapper calls it first.
  void SetCredentials();

  // ---- Date-time text helpers (local time; no object state) ----
  // Exactly `width` digits of `value` (taken as unsigned 32-bit), zero
  // padded, least significant digits kept; empty for width <= 0.
  static std::wstring ConvToStrAddZero(int value, int width);
  // HH:MM:SS of the broken-down time.
  static void ConvToTimeString(const struct tm* time, std::wstring& out);
  // YYYY-MM-DDTHH:MM:SS of `time` in local time, then `suffix`.
  static void ConvToDateTimeStr(time_t time, std::wstring& out,
                                std::wstring suffix);
  // Calendar time of a date-time text, or 0 when it is not in an accepted
  // form. Broken-down time is cleared before use (daylight-saving flag 0).
  static void ConvToTimeT(const std::wstring& text, time_t* out);
  // "Z", or "+"/"-" and all after it, or empty.
  static std::wstring GetTimeZoneString(std::wstring text);

  // ---- Recording-info replies (no object state) ----
  // 1440 minute flags for a 192-byte reply; empty for any other size.
  static std::vector<bool> RspPkt_ParseGetDateTimeTracker(const void* reply,
                                                          unsigned int length);
  // One record per DataSet row; never null, empty on any parse failure.
  static RecFileList RspPkt_ParseGetRecordingInfo(const void* reply,
                                                  unsigned int length);
  static RecMotionList RspPkt_ParseGetMotionInfo(const void* reply,
                                                 unsigned int length);

  // ---- Recording interval assembly (no object state) ----
  // Merges tracker interval rows, files and motions into a new list (never
  // null). Either list may be null.
  static RecTimeList MakeRecTimes(unsigned int camera_id,
                                  std::vector<std::wstring>& rows,
                                  RecFileList files, RecMotionList motions);
  // Mode 0 moves a start to `start`, any other mode an end to `end`.
  static void AdjustStartEndTime(time_t start, time_t end,
                                 std::wstring suffix, RecTimeList& rows,
                                 int mode);
  // Sets `out` to the first row with Start <= t <= End; untouched if none.
  static void GetIncludedRecTimePtr(time_t t, const RecTimeList& rows,
                                    RecTimePtr& out);
  // Sets `out` to the first row whose Idx is `idx`; untouched if none.
  static void GetRecTimePtrbyIdx(unsigned int idx, const RecTimeList& rows,
                                 RecTimePtr& out);
  // Idx of the first row with Start <= t <= End, 0 if none.
  static unsigned int GetIncludedIdxFromRecTimes(time_t t,
                                                 const RecTimeList& rows);

  // ---- Day recording tracker ----
  // The recording intervals of a camera on a date "MM.DD.YYYY": three
  // exchanges, then MakeRecTimes. True with `out` replaced by the new list;
  // false with `out` untouched.
  bool GetDateTimeTracker(unsigned int camera_id, const wchar_t* date,
                          RecTimeList& out);
  // Request bytes (send count - 1 bytes of the frame); empty when the
  // packet refused to frame the request.
  ByteVector ReqPkt_GetDateTimeTracker(unsigned int camera_id,
                                       const wchar_t* date);
  ByteVector ReqPkt_GetRecordingInfo(unsigned int camera_id,
                                     std::wstring start, std::wstring end);
  ByteVector ReqPkt_GetMotionInfo(unsigned int camera_id, std::wstring start,
                                  std::wstring end);
  // Interval rows "N,START,END" from the 1440 minute flags of a date. Reads
  // no more flags than `tracker` holds.
  static void ConvRecInfoPerDatFromVpm(unsigned int camera_id,
                                       const wchar_t* date,
                                       const std::vector<bool>& tracker,
                                       std::vector<std::wstring>& rows);

  // ---- Server metadata, cameras, video files and spans ----
  // Request wrappers: each refreshes the credentials (SetCredentials), calls
  // its builder and returns the send count - 1 bytes of the frame; an empty
  // vector when the builder refused the request or had nothing to build
  // from (a null record, a file without camera, a camera without server).
  // Parsers take the reply bytes and their count; `reply` may be null only
  // with length 0. Exchanges send one request per step on a fresh
  // connection (TransactCommandChannel) and read an empty reply as a failed
  // exchange.

  // Server description: server ID, name, version, live port and time zone.
  ByteVector ReqPkt_GetServerMetadata();
  // The server-table query for this server's ID: its local data path.
  ByteVector ReqPkt_GetServerMetadataEx();
  // Health-monitor status; ReqPkt_GetCamerasStatus sends the same request.
  ByteVector ReqPkt_GetServerStatus();
  ByteVector ReqPkt_GetCamerasStatus();
  // False (nothing changed) for length 0, a reply that does not parse, the
  // "Login Error" reply or one without ServerInformation. Otherwise all five
  // fields are rewritten (a missing one as 0 or empty) and true returned.
  bool RspPkt_ParseServerMetadata(const void* reply, unsigned int length);
  // Stores LocalDataPath of the first DataSet row; a reply that does not
  // parse or has no row changes nothing.
  void RspPkt_ParseServerMetadataEx(const void* reply, unsigned int length);
  // One camera per distinct "ID" of HealthMonitorStatus/Cameras (entries
  // without ID skipped, a repeated ID updates the same camera). Empty for a
  // reply that does not parse, "Login Error" or no HealthMonitorStatus. The
  // cameras have no server reference.
  static CameraMap RspPkt_ParseCamerasStatus(const void* reply,
                                             unsigned int length);
  // One status exchange. False with `cameras` untouched for an empty reply;
  // otherwise `cameras` is replaced by the parsed map and true returned.
  bool GetAliveMonInfo(CameraMap& cameras);
  // The server description, then the camera directory (the version just
  // stored chooses the directory command). False when either reply is
  // empty; true once the directory reply has been parsed.
  bool GetServerAndCameraMetadata();
  // 1, -1 or 0 as `first` is a higher, lower or equal version. Each text is
  // read as up to four dot-separated signed decimal numbers ("%d.%d.%d.%d");
  // numbers not read (a short or malformed text) count as 0 on both sides,
  // numbers beyond the int range are clamped to it.
  static int CompareVersion(std::wstring first, std::wstring second);
  // What the server description stored; views valid until the next
  // description (or server-table) reply is parsed.
  const wchar_t* GetVersion() const;
  unsigned short GetLivePort() const;
  const wchar_t* GetTimeZoneInfo() const;
  const wchar_t* GetLocalDataPath() const;

  // Camera map. FindCamera never adds an entry: empty for an unknown ID.
  boost::shared_ptr<Camera> FindCamera(unsigned int id);
  // The camera under `id`, created (default fields, no server reference)
  // when there is none; its ID is set to `id`, other fields kept. Never
  // empty.
  boost::shared_ptr<Camera> AddCamera(unsigned int id);
  void ClearCameraList();
  // A copy of the map; the cameras themselves are shared.
  CameraMap GetCameras();
  // Single-camera metadata for the camera's ID.
  ByteVector ReqPkt_GetCameraMetadata(boost::shared_ptr<Camera> camera);
  // The camera directory: the camera-table query for this server's ID when
  // the stored version is empty or below 6.2.18.2, else the native
  // camera-metadata command.
  ByteVector ReqPkt_GetCamerasMetadata();
  // Fills the camera's frame size and rate, FourCC, flags and description
  // from CameraInformation; ID, name, address, credentials and ports are
  // kept. Nothing changes for a reply that does not parse, a reply without
  // CameraInformation or an empty camera pointer.
  void RspPkt_ParseCameraMetadata(const void* reply, unsigned int length,
                                  boost::shared_ptr<Camera> camera);
  // Empties the camera map, then fills it from a DataSet table (column
  // spelling "cameraID" or "CameraID", chosen by the first row) or, when
  // there are no rows, from ArrayOfCameraInformation. A reply that does not
  // parse, or has neither form, leaves the map empty.
  void RspPkt_ParseCamerasMetadata(const void* reply, unsigned int length);

  // Video files. The file list from `first_file` to `last_file`.
  ByteVector ReqPkt_GetVideoFiles(std::wstring first_file,
                                  std::wstring last_file);
  // The binary file header of one file.
  ByteVector ReqPkt_GetVideoFileMetadata(std::wstring file_name,
                                         unsigned int camera_id);
  // As above for the file's name and its camera's ID; empty when the file
  // pointer is empty or its camera was never set or no longer exists.
  ByteVector ReqPkt_GetVideoFileMetadata(boost::shared_ptr<VideoFile> file);
  // The camera's files between two file names (empty names for the
  // one-camera form). Empty for an empty camera pointer.
  ByteVector ReqPkt_GetVideoFilesMetadata(boost::shared_ptr<Camera> camera,
                                          std::wstring first_file,
                                          std::wstring last_file);
  ByteVector ReqPkt_GetVideoFilesMetadata(unsigned int camera_id,
                                          std::wstring first_file,
                                          std::wstring last_file);
  ByteVector ReqPkt_GetVideoFilesMetadata(boost::shared_ptr<Camera> camera);
  // Directory listing of the camera's recording folder: the stored local
  // data path, "\", the camera's IP address, "-", its ID in decimal.
  // Empty for an empty camera pointer.
  ByteVector ReqPkt_GetCameraVideoFileDirectories(
      boost::shared_ptr<Camera> camera);
  // Frame stream of a recorded file for the file's name and its camera's
  // ID with the other values; empty (credentials not refreshed) when the
  // file pointer is empty or its camera was never set or no longer exists.
  ByteVector ReqPkt_GetVideoFileFrames(boost::shared_ptr<VideoFile> file,
                                       unsigned int first, unsigned int second,
                                       int third, std::wstring text);
  // One file per DataSet row, in reply order; never null, empty for a reply
  // that does not parse or has no rows.
  static VideoFileList RspPkt_ParseVideoFilesMetadata(const void* reply,
                                                      unsigned int length);
  // Clears the file's header (ClearAll), then reads the binary header and
  // copies the bytes after it into the frame table. A reply of 3 bytes or
  // fewer, or a tag of 0 or 65535, leaves the file cleared; so does a reply
  // shorter than the header its own fields announce (TotalFrames then keeps
  // its list value). A format kind 1 header holds ValueD1 only when the
  // stored version's number is above 5.52402. Nothing happens for an empty
  // file pointer.
  void RspPkt_ParseVideoFileMetadata(const void* reply, unsigned int length,
                                     boost::shared_ptr<VideoFile> file);
  // Names of a directory-listing reply, widened byte by byte, in reply
  // order: at most the announced number of entries, and only the entries
  // that lie wholly inside the reply.
  static std::vector<std::wstring> RspPkt_ParseCameraVideoFileDirectories(
      const void* reply, unsigned int length);

  // Video spans. The camera form takes the server ID through the camera's
  // server reference: empty when the camera pointer is empty or the camera
  // has no (living) server, which is the case for cameras made by the
  // directory parsers and AddCamera.
  ByteVector ReqPkt_GetVideoSpan(boost::shared_ptr<Camera> camera,
                                 unsigned long long start_ticks,
                                 unsigned long long end_ticks);
  // This server's ID with the camera ID.
  ByteVector ReqPkt_GetVideoSpan(unsigned int camera_id,
                                 unsigned long long start_ticks,
                                 unsigned long long end_ticks);
  // Start and end as calendar fields (UTC, millisecond 0).
  ByteVector ReqPkt_GetVideoSpan(
      unsigned int camera_id, unsigned int start_year,
      unsigned int start_month, unsigned int start_day,
      unsigned int start_hour, unsigned int start_minute,
      unsigned int start_second, unsigned int end_year, unsigned int end_month,
      unsigned int end_day, unsigned int end_hour, unsigned int end_minute,
      unsigned int end_second);
  // The span of a VideoSpan reply; empty when the reply does not parse, a
  // span with empty texts and zero numbers when it has no VideoSpan.
  static boost::shared_ptr<VideoSpan> RspPkt_ParseGetVideoSpan(
      const void* reply, unsigned int length);
  // The span for the period, then the files from its first to its last
  // file, then the header of every file (in list order, for `camera_id`).
  // False with both outputs untouched when the span reply is empty; false
  // with `span` replaced when it does not parse (empty) or the list reply
  // is empty; otherwise `files` is replaced and the result is true when at
  // least one header reply was not empty.
  bool GetVideoFilesMetadata(
      unsigned int camera_id, unsigned int start_year,
      unsigned int start_month, unsigned int start_day,
      unsigned int start_hour, unsigned int start_minute,
      unsigned int start_second, unsigned int end_year, unsigned int end_month,
      unsigned int end_day, unsigned int end_hour, unsigned int end_minute,
      unsigned int end_second, boost::shared_ptr<VideoSpan>& span,
      VideoFileList& files);
  // ---- end of server metadata, cameras, video files and spans ----
  // ---- PTZ, presets and streams ----
  // Request wrappers: each refreshes the credentials, calls its builder and
  // returns the frame's send count - 1 bytes; empty when the packet refused
  // the request (for the PTZ actions: an action above 13).
  ByteVector ReqPkt_StartPTZAction(unsigned int camera_id, PTZ_ACTION action,
                                   unsigned int value);
  ByteVector ReqPkt_StopPTZAction(unsigned int camera_id, PTZ_ACTION action);
  ByteVector ReqPkt_GetPTZPresets(unsigned int camera_id);
  ByteVector ReqPkt_SetPTZPreset(unsigned int camera_id, unsigned int preset,
                                 std::wstring name);
  ByteVector ReqPkt_RecallPTZPreset(unsigned int camera_id,
                                    unsigned int preset, std::wstring name);
  ByteVector ReqPkt_DeletePTZPreset(unsigned int camera_id,
                                    unsigned int preset, std::wstring name);
  ByteVector ReqPkt_GetCameraStream(unsigned int camera_id);
  // The map's camera IDs in ascending order; the cameras are not read.
  ByteVector ReqPkt_GetCameraStream(CameraMap cameras);
  ByteVector ReqPkt_GetPlaybackStream(unsigned int first,
                                      unsigned int second);
  ByteVector ReqPkt_GetVideoFileFrames(std::wstring file_name,
                                       unsigned int camera_id,
                                       unsigned int first, unsigned int second,
                                       int third, std::wstring text);
  // Region thumbnail of a recorded file (its FileName is sent): `value` in
  // IntParameter1, the region a, b, c, d as "a,b,c,d". Empty for a null file.
  ByteVector ReqPkt_GetROIThumbnail(boost::shared_ptr<VideoFile> file,
                                    unsigned int value, unsigned int a,
                                    unsigned int b, unsigned int c,
                                    unsigned int d);

  // The presets of an ArrayOfIPCPreset reply, in reply order; entries without
  // a PresetID element are skipped. Never null; empty when the reply does
  // not parse or has no list. No login check.
  static PresetList RspPkt_ParsePresets(const void* reply,
                                        unsigned int length);
  // Sets preset `number` under the name "Preset <number>". The reply is not
  // examined: true in every case.
  bool RegistPreset(unsigned int camera_id, unsigned int number);
  // Recalls the first preset of the camera's list whose ID is `preset_id`,
  // with its listed name. False when the list is empty, cannot be obtained or
  // lacks the ID; true once the recall request has been exchanged.
  bool ExecutePreset(unsigned int camera_id, unsigned int preset_id);

  // Runs a live stream of the camera on the data channel at the stored live
  // port, handing each frame to NewLiveFrame until it answers true, a read
  // falls short, or a header announces a length below 18 or a payload over
  // kMaxStreamPayloadBytes (32 MiB, services/stream_format.h). False only
  // when the channel cannot be opened; otherwise the channel is closed again
  // and the answer is true.
  bool GetLiveStream(unsigned int camera_id);
  // Runs a playback stream on the command channel, handing each frame to
  // NewPlaybackFrame until the server ends it (word 0 or 1), a read falls
  // short, a record is malformed (payload length W - H0 negative or over
  // kMaxStreamPayloadBytes), the hook answers true, or the frame with
  // fourth header word `stop_value` and frame number `stop_frame` has been
  // delivered. Answers false in every case; the channel is closed at the end.
  bool GetPlaybackStream(unsigned int first, unsigned int second,
                         unsigned int stop_value, unsigned int stop_frame);
  // Frame number of the last whole record of a media-streaming reply; 0 when
  // it has none. Records are walked only while they lie wholly inside the
  // reply and their length covers their own 8-byte header. `file` is not
  // read.
  static unsigned int RspPkt_ParseMediaFileAVStreaming(
      const void* reply, unsigned int length,
      boost::shared_ptr<VideoFile> file);
  // ---- end of PTZ, presets and streams ----

 protected:
  // The request bytes of a frame: its first count - 1 bytes, or nothing
  // when count is 0 (the packet refused the request).
  static ByteVector FrameBytes(const char* frame, unsigned int count);

  unsigned long long clicks_;
  CameraMap cameras_;
  unsigned int cookie_;
  std::wstring user_;
  std::wstring password_;
  std::wstring address_;
  std::wstring name_;
  std::wstring version_;
  std::wstring local_data_path_;
  unsigned short live_port_;
  std::wstring time_zone_;
  unsigned int server_id_;
  unsigned short port_;
  ReqPkt pkt_;
};

}  // namespace QM

#endif  // QM_CLIENT_SERVER_H_
