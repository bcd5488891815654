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

namespace QM {

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
  virtual bool NewPlaybackFrame(bool key_frame, unsigned long long ticks,
                                unsigned int a, unsigned int b,
                                unsigned int c, ByteVector& frame);
  virtual bool NewLiveFrame(unsigned int camera_id, bool key_frame,
                            unsigned int a, unsigned int b, unsigned int c,
                            unsigned short d, ByteVector& frame);

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

 private:
  // RspPkt_ParseGetRecordingInfo / RspPkt_ParseGetMotionInfo of a reply the
  // caller gives up: the reply is released (emptied) once its document is
  // built, before the rows are read.
  static RecFileList ParseRecordingInfoReply(ByteVector& reply);
  static RecMotionList ParseMotionInfoReply(ByteVector& reply);
};

}  // namespace QM

#endif  // QM_CLIENT_SERVER_H_
