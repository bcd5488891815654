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
  // Region thumbnail of a file given by its name: `value` in IntParameter1,
  // the region a, b, c, d as "a,b,c,d".
  ByteVector ReqPkt_GetROIThumbnail(std::wstring file_name,
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
