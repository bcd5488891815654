// Video spans: the three span requests, the span reply parser, and the
// exchange that chains the span with the file list and every file header.
#include <climits>
#include <cwchar>

#include <boost/make_shared.hpp>

#include "client/reply_document.h"
#include "client/server.h"
#include "client/split.h"
#include "protocol/ticks.h"
#include "client/exchange.h"
#include "services/reply_fields.h"

namespace QM {

namespace {

// A number of a span time, read as wcstol reads it in base 10 and clamped
// to the int range.
int SpanNumber(const std::wstring& text) {
  const long value = std::wcstol(text.c_str(), nullptr, 10);
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

// Stores the three pieces of `text` cut at `separator` when there are at
// least three; otherwise leaves the numbers as they are.
void ReadTriple(const std::wstring& text, wchar_t separator, int& a, int& b,
                int& c) {
  const std::vector<std::wstring> pieces = split(text, separator);
  if (pieces.size() < 3) return;
  a = SpanNumber(pieces[0]);
  b = SpanNumber(pieces[1]);
  c = SpanNumber(pieces[2]);
}

// One end of the span ("Starting" or "Ending"): its file, its date-time
// YYYY-MM-DDThh:mm:ss[.fff] (seconds read up to the "."), and its frame.
void ReadSpanEnd(const TiXmlNode* span, const std::string& end,
                 std::wstring& file, int& frame, int& year, int& month,
                 int& day, int& hour, int& minute, int& second) {
  file = ReadWideField(span, end + "File");
  const std::vector<std::wstring> parts =
      split(ReadWideField(span, end + "Time"), L'T');
  if (parts.size() >= 2) {
    ReadTriple(parts[0], L'-', year, month, day);
    ReadTriple(parts[1], L':', hour, minute, second);
  }
  frame = ReadIntField(span, end + "Frame");
}

}  // namespace

ByteVector Server::ReqPkt_GetVideoSpan(boost::shared_ptr<Camera> camera,
                                       unsigned long long start_ticks,
                                       unsigned long long end_ticks) {
  SetCredentials();
  unsigned int count = 0;
  const char* frame = pkt_.GetVideoSpan(camera, start_ticks, end_ticks, &count);
  return FrameBytes(frame, count);
}

ByteVector Server::ReqPkt_GetVideoSpan(unsigned int camera_id,
                                       unsigned long long start_ticks,
                                       unsigned long long end_ticks) {
  SetCredentials();
  unsigned int count = 0;
  const char* frame = pkt_.GetVideoSpan(server_id_, camera_id, start_ticks,
                                        end_ticks, &count);
  return FrameBytes(frame, count);
}

ByteVector Server::ReqPkt_GetVideoSpan(
    unsigned int camera_id, unsigned int start_year, unsigned int start_month,
    unsigned int start_day, unsigned int start_hour, unsigned int start_minute,
    unsigned int start_second, unsigned int end_year, unsigned int end_month,
    unsigned int end_day, unsigned int end_hour, unsigned int end_minute,
    unsigned int end_second) {
  const unsigned long long start =
      DateTimeToDotNetDateTime(start_year, start_month, start_day, start_hour,
                               start_minute, start_second, 0);
  const unsigned long long end = DateTimeToDotNetDateTime(
      end_year, end_month, end_day, end_hour, end_minute, end_second, 0);
  return ReqPkt_GetVideoSpan(camera_id, start, end);
}

boost::shared_ptr<VideoSpan> Server::RspPkt_ParseGetVideoSpan(
    const void* reply, unsigned int length) {
  ReplyDocument document(reply, length);
  if (document.Error()) return VideoSpanPtr();
  VideoSpanPtr span = boost::make_shared<VideoSpan>();
  const TiXmlElement* element =
      document.Document().FirstChildElement("VideoSpan");
  if (element == nullptr) return span;
  VideoSpan& s = *span;
  ReadSpanEnd(element, "Starting", s.StartingFile, s.StartingFrame,
              s.StartingYear, s.StartingMonth, s.StartingDay, s.StartingHour,
              s.StartingMinute, s.StartingSecond);
  ReadSpanEnd(element, "Ending", s.EndingFile, s.EndingFrame, s.EndingYear,
              s.EndingMonth, s.EndingDay, s.EndingHour, s.EndingMinute,
              s.EndingSecond);
  return span;
}

bool Server::GetVideoFilesMetadata(
    unsigned int camera_id, unsigned int start_year, unsigned int start_month,
    unsigned int start_day, unsigned int start_hour, unsigned int start_minute,
    unsigned int start_second, unsigned int end_year, unsigned int end_month,
    unsigned int end_day, unsigned int end_hour, unsigned int end_minute,
    unsigned int end_second, boost::shared_ptr<VideoSpan>& span,
    VideoFileList& files) {
  const ByteVector span_reply = ExchangeRequest(
      *this, ReqPkt_GetVideoSpan(camera_id, start_year, start_month,
                                 start_day, start_hour, start_minute,
                                 start_second, end_year, end_month, end_day,
                                 end_hour, end_minute, end_second));
  if (span_reply.empty()) return false;
  span = RspPkt_ParseGetVideoSpan(span_reply.data(), ReplyLength(span_reply));
  if (!span) return false;

  const ByteVector list_reply = ExchangeRequest(
      *this, ReqPkt_GetVideoFiles(span->StartingFile, span->EndingFile));
  if (list_reply.empty()) return false;
  files = RspPkt_ParseVideoFilesMetadata(list_reply.data(),
                                         ReplyLength(list_reply));

  bool any_header = false;
  for (const VideoFilePtr& file : *files) {
    const ByteVector header = ExchangeRequest(
        *this, ReqPkt_GetVideoFileMetadata(file->FileName, camera_id));
    if (header.empty()) continue;
    RspPkt_ParseVideoFileMetadata(header.data(), ReplyLength(header), file);
    any_header = true;
  }
  return any_header;
}

}  // namespace QM
