#include "day_assembly.h"

#include <boost/make_shared.hpp>

#include "client/datetime_text.h"
#include "client/server.h"
#include "protocol/text_convert.h"
#include "day_texts.h"
#include "zone_scope.h"

namespace qmctl {

namespace {

// Start and end texts of every record of a list, interleaved (a null record
// gives two empty texts), and what they say.
template <typename List>
void ReadRecordTexts(const List& list, std::vector<std::wstring>* texts,
                     std::vector<TextTime>* read) {
  if (list) {
    for (const auto& record : *list) {
      texts->push_back(record ? record->StartStr : std::wstring());
      texts->push_back(record ? record->EndStr : std::wstring());
    }
  }
  *read = ReadTexts(*texts);
}

template <typename List>
std::vector<DayPeriod> PeriodsOf(const List& list) {
  std::vector<std::wstring> texts;
  std::vector<TextTime> read;
  ReadRecordTexts(list, &texts, &read);
  std::vector<DayPeriod> periods;
  for (size_t i = 0; i + 1 < texts.size(); i += 2) {
    DayPeriod period;
    const auto& record = (*list)[i / 2];
    period.file_id = record ? record->FileId : 0;
    period.start_text = wstring_to_string(texts[i]);
    period.end_text = wstring_to_string(texts[i + 1]);
    period.known = InstantOf(read[i], &period.span.start) && InstantOf(read[i + 1], &period.span.end);
    periods.push_back(period);
  }
  return periods;
}

// The text of the same instant as UTC wall-clock time with "Z"; a text that
// does not convert stays as it is (the library then reads it as time 0, as
// it would have anyway).
std::wstring InUtc(const std::wstring& text, const TextTime& read) {
  time_t instant = 0;
  if (!InstantOf(read, &instant)) return text;
  return string_to_wstring(UtcWallText(instant) + "Z");
}

// A copy of a file or motion list with every text rewritten InUtc.
template <typename Record>
boost::shared_ptr<std::vector<boost::shared_ptr<Record>>> ListInUtc(
    const boost::shared_ptr<std::vector<boost::shared_ptr<Record>>>& list) {
  if (!list) return list;
  std::vector<std::wstring> texts;
  std::vector<TextTime> read;
  ReadRecordTexts(list, &texts, &read);
  auto copy = boost::make_shared<std::vector<boost::shared_ptr<Record>>>();
  for (size_t i = 0; i < list->size(); ++i) {
    const boost::shared_ptr<Record>& record = (*list)[i];
    if (!record) {
      copy->push_back(record);
      continue;
    }
    auto rewritten = boost::make_shared<Record>(*record);
    rewritten->StartStr = InUtc(texts[2 * i], read[2 * i]);
    rewritten->EndStr = InUtc(texts[2 * i + 1], read[2 * i + 1]);
    copy->push_back(rewritten);
  }
  return copy;
}

// A day without change: the library's own walk and assembly on a fixed
// offset, the site's for the whole day.
QM::RecTimeList ByLibrary(unsigned camera, const DayFrame& frame, const DayReplies& replies) {
  const std::wstring date = string_to_wstring(TrackerDateText(frame.day));
  ZoneScope fixed(FixedOffsetZone(frame.offsets.front()));
  std::vector<std::wstring> rows;
  QM::Server::ConvRecInfoPerDatFromVpm(camera, date.c_str(), replies.tracker, rows);
  return QM::Server::MakeRecTimes(camera, rows, replies.files, replies.motions);
}

// A change day: the library's assembly on instants written in UTC.
QM::RecTimeList ByInstants(unsigned camera, const TrackerOnDay& tracker,
                           const DayReplies& replies) {
  std::vector<std::wstring> rows;
  unsigned number = 0;
  for (const InstantSpan& run : tracker.runs) {
    rows.push_back(to_wstring(++number) + L"," + string_to_wstring(UtcWallText(run.start)) +
                   L"," + string_to_wstring(UtcWallText(run.end)));
  }
  const QM::RecFileList files = ListInUtc(replies.files);
  const QM::RecMotionList motions = ListInUtc(replies.motions);
  ZoneScope utc("UTC0");
  return QM::Server::MakeRecTimes(camera, rows, files, motions);
}

// The text to show for one time of a row. By instants every text the
// library wrote is UTC wall-clock time; otherwise a text keeps its own
// offset, and is kept as it is when that offset is the site's.
std::string ShownText(const std::wstring& text, const TextTime& read, bool by_instants,
                      time_t* instant, bool* known) {
  if (by_instants) {
    *known = read.converts;
    *instant = read.wall;
  } else {
    *known = InstantOf(read, instant);
  }
  if (!*known) return wstring_to_string(text);
  if (!by_instants && read.has_offset && read.offset == OffsetAt(*instant))
    return wstring_to_string(text);
  return LocalText(*instant);
}

std::vector<DayRow> RowsOf(const QM::RecTimeList& list, bool by_instants) {
  std::vector<std::wstring> texts;
  std::vector<TextTime> read;
  ReadRecordTexts(list, &texts, &read);
  std::vector<DayRow> rows;
  for (size_t i = 0; i + 1 < texts.size(); i += 2) {
    const QM::RecTimePtr& record = (*list)[i / 2];
    if (!record) continue;
    DayRow row;
    row.idx = record->Idx;
    row.camera = record->CamId;
    row.type = record->RecType;
    bool start_known = false;
    bool end_known = false;
    row.start_text = ShownText(texts[i], read[i], by_instants, &row.span.start, &start_known);
    row.end_text = ShownText(texts[i + 1], read[i + 1], by_instants, &row.span.end, &end_known);
    row.known = start_known && end_known;
    rows.push_back(row);
  }
  return rows;
}

}  // namespace

bool AssembleDay(unsigned camera, const CivilDay& day, const DayReplies& replies,
                 DayResult* out) {
  DayResult result;
  result.camera = camera;
  if (!MakeDayFrame(day, &result.frame)) return false;
  result.files = PeriodsOf(replies.files);
  result.motions = PeriodsOf(replies.motions);
  std::vector<InstantSpan> file_spans;
  for (const DayPeriod& file : result.files)
    if (file.known) file_spans.push_back(file.span);
  result.tracker = MapTracker(result.frame, replies.tracker, file_spans);
  result.by_instants = result.frame.HasChange();
  const QM::RecTimeList list = result.by_instants
                                   ? ByInstants(camera, result.tracker, replies)
                                   : ByLibrary(camera, result.frame, replies);
  result.rows = RowsOf(list, result.by_instants);
  *out = result;
  return true;
}

}  // namespace qmctl
