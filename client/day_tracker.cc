// The recording query of one camera and one day: the day tracker request,
// then the recording files and motion periods of the day, merged into the
// answer rows by MakeRecTimes. Also the three request wrappers and the
// conversion of the tracker's minute flags into interval rows.
#include <cstring>
#include <cwchar>

#include "client/datetime_text.h"
#include "client/exchange.h"
#include "client/server.h"
#include "client/split.h"
#include "protocol/local_zone.h"

namespace QM {

namespace {

// Size of a well-formed day tracker reply: 24 hours of 8 bytes.
const size_t kTrackerReplyBytes = 192;
// Minutes of a day: the most tracker flags ever walked.
const size_t kMinutesPerDay = 1440;
// Date numbers are clamped to this magnitude so that the arithmetic on
// them (month - 1, year - 1900) cannot overflow; mktime normalises the rest.
const long kDateNumberLimit = 1000000;

// A zero-terminated wide text as a string; a null pointer reads as empty.
std::wstring TextOf(const wchar_t* text) {
  return text ? std::wstring(text) : std::wstring();
}

// One number of the query date, read with wcstol in base 10 and clamped.
int ParseDateNumber(const std::wstring& text) {
  long value = std::wcstol(text.c_str(), nullptr, 10);
  if (value > kDateNumberLimit) value = kDateNumberLimit;
  if (value < -kDateNumberLimit) value = -kDateNumberLimit;
  return static_cast<int>(value);
}

// The query date "MM.DD.YYYY" as its day text YYYY-MM-DD, with its month,
// day and year. False when the date does not have exactly three parts.
bool ParseQueryDate(const std::wstring& date, std::wstring& day_text,
                    int& month, int& day, int& year) {
  const std::vector<std::wstring> parts = split(date, L'.');
  if (parts.size() != 3) return false;
  month = ParseDateNumber(parts[0]);
  day = ParseDateNumber(parts[1]);
  year = ParseDateNumber(parts[2]);
  day_text = Server::ConvToStrAddZero(year, 4) + L"-" +
             Server::ConvToStrAddZero(month, 2) + L"-" +
             Server::ConvToStrAddZero(day, 2);
  return true;
}

// Normalises a broken-down time through mktime and localtime and returns
// it in a cleared structure holding only the date and the time of day.
// False (out untouched) when the time cannot be broken down.
bool Normalise(struct tm value, struct tm& out) {
  const time_t calendar = mktime(&value);
  struct tm local;
  std::memset(&local, 0, sizeof(local));
  if (calendar != static_cast<time_t>(-1)) {
    // A successful mktime leaves its argument broken down as the local time
    // of its result: what localtime_r of the result gives.
    local = value;
  } else if (localtime_r(&calendar, &local) == nullptr) {
    return false;
  }
  std::memset(&out, 0, sizeof(out));
  out.tm_sec = local.tm_sec;
  out.tm_min = local.tm_min;
  out.tm_hour = local.tm_hour;
  out.tm_mday = local.tm_mday;
  out.tm_mon = local.tm_mon;
  out.tm_year = local.tm_year;
  return true;
}

}  // namespace

bool Server::GetDateTimeTracker(unsigned int camera_id, const wchar_t* date,
                                RecTimeList& out) {
  const ScopedLocalZone zone;
  const std::wstring date_text = TextOf(date);

  const ByteVector tracker_reply = ExchangeRequest(
      *this, ReqPkt_GetDateTimeTracker(camera_id, date_text.c_str()));
  if (tracker_reply.empty()) return false;
  // Anything but the 192-byte bitmap (an XML error, a login failure text)
  // means the server did not answer this question: no rows can be claimed.
  if (tracker_reply.size() != kTrackerReplyBytes) return false;
  const std::vector<bool> tracker = RspPkt_ParseGetDateTimeTracker(
      tracker_reply.data(), ReplyLength(tracker_reply));
  if (tracker.empty()) return false;

  std::vector<std::wstring> rows;
  ConvRecInfoPerDatFromVpm(camera_id, date_text.c_str(), tracker, rows);

  std::wstring day_text;
  int month = 0;
  int day = 0;
  int year = 0;
  if (!ParseQueryDate(date_text, day_text, month, day, year)) return false;

  const std::wstring window_start = day_text + L"T00:00:00";
  time_t last_second = 0;
  ConvToTimeT(day_text + L"T23:59:59", &last_second);
  std::wstring window_end;
  ConvToDateTimeStr(last_second + 1, window_end, std::wstring());

  // Each reply is released as soon as its document is built, so that no
  // reply is held beside a document or another reply.
  RecFileList files;
  RecMotionList motions;
  ByteVector files_reply = ExchangeRequest(
      *this, ReqPkt_GetRecordingInfo(camera_id, window_start, window_end));
  if (!files_reply.empty()) {
    files = ParseRecordingInfoReply(files_reply);
    ByteVector motion_reply = ExchangeRequest(
        *this, ReqPkt_GetMotionInfo(camera_id, window_start, window_end));
    if (!motion_reply.empty()) motions = ParseMotionInfoReply(motion_reply);
  }

  out = MakeRecTimes(camera_id, rows, files, motions);
  return true;
}

ByteVector Server::ReqPkt_GetDateTimeTracker(unsigned int camera_id,
                                             const wchar_t* date) {
  SetCredentials();
  unsigned int count = 0;
  const char* frame = pkt_.GetDateTimeTracker(camera_id, TextOf(date), &count);
  return FrameBytes(frame, count);
}

ByteVector Server::ReqPkt_GetRecordingInfo(unsigned int camera_id,
                                           std::wstring start,
                                           std::wstring end) {
  SetCredentials();
  unsigned int count = 0;
  const char* frame = pkt_.GetRecordingInfo(camera_id, start, end, &count);
  return FrameBytes(frame, count);
}

ByteVector Server::ReqPkt_GetMotionInfo(unsigned int camera_id,
                                        std::wstring start, std::wstring end) {
  SetCredentials();
  unsigned int count = 0;
  const char* frame = pkt_.GetMotionInfo(camera_id, start, end, &count);
  return FrameBytes(frame, count);
}

void Server::ConvRecInfoPerDatFromVpm(unsigned int /*camera_id*/,
                                      const wchar_t* date,
                                      const std::vector<bool>& tracker,
                                      std::vector<std::wstring>& rows) {
  const ScopedLocalZone zone;
  rows.clear();
  std::wstring day_text;
  int month = 0;
  int day = 0;
  int year = 0;
  if (!ParseQueryDate(TextOf(date), day_text, month, day, year)) return;

  // The walk time: 00:00:00 of the query date, daylight-saving flag 0.
  struct tm walk;
  std::memset(&walk, 0, sizeof(walk));
  walk.tm_mon = month - 1;
  walk.tm_mday = day;
  walk.tm_year = year - 1900;

  bool inside = false;
  unsigned int count = 0;
  std::wstring start_text;
  std::wstring end_text;

  // Closes the open interval at the second before the walk time.
  auto close_interval = [&]() -> bool {
    struct tm before = walk;
    before.tm_sec -= 1;
    struct tm normalised;
    if (!Normalise(before, normalised)) return false;
    ConvToTimeString(&normalised, end_text);
    ++count;
    rows.push_back(to_wstring(count) + L"," + day_text + L"T" + start_text +
                   L"," + day_text + L"T" + end_text);
    inside = false;
    return true;
  };

  const size_t minutes =
      tracker.size() < kMinutesPerDay ? tracker.size() : kMinutesPerDay;
  for (size_t i = 0; i < minutes; ++i) {
    const bool recorded = tracker[i];
    if (!inside && recorded) {
      ConvToTimeString(&walk, start_text);
      inside = true;
    } else if (inside && !recorded) {
      if (!close_interval()) return;
    }
    struct tm next = walk;
    next.tm_min += 1;
    if (!Normalise(next, walk)) return;
  }
  if (inside) close_interval();
}

}  // namespace QM
