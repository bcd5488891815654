#include "timeline_command.h"

#include "common/exit_status.h"
#include "day_cli.h"
#include "day_texts.h"
#include "day_timeline.h"
#include "failure.h"
#include "protocol/text_convert.h"
#include "result_file_reader.h"
#include "timeline_svg.h"
#include "zone_scope.h"

namespace qmctl {

namespace {

// The rows of a result file with the instants their texts name (each with
// its own offset, a text without one on the site's clock).
std::vector<DayRow> RowsOf(const ResultFile& file) {
  std::vector<std::wstring> texts;
  for (const ResultRow& row : file.rows) {
    texts.push_back(string_to_wstring(row.start));
    texts.push_back(string_to_wstring(row.end));
  }
  const std::vector<TextTime> read = ReadTexts(texts);
  std::vector<DayRow> rows;
  for (size_t i = 0; i < file.rows.size(); ++i) {
    DayRow row;
    row.idx = file.rows[i].idx;
    row.camera = file.rows[i].camera;
    row.type = file.rows[i].type;
    row.start_text = file.rows[i].start;
    row.end_text = file.rows[i].end;
    row.known = InstantOf(read[2 * i], &row.span.start) && InstantOf(read[2 * i + 1], &row.span.end);
    rows.push_back(row);
  }
  return rows;
}

}  // namespace

TimelineCommand::TimelineCommand(CLI::App& app)
    : sub_(app.add_subcommand("timeline",
                              "the interval lane of a day drawn from a qmrecinfo result file")) {
  sub_->add_option("RESULT_FILE", result_file_, "result file written by qmrecinfo")
      ->required()->type_name("");
  sub_->add_option("--svg", svg_file_, "the SVG file to write")->required()->type_name("FILE");
  AddZoneOption(*sub_, zone_);
  sub_->add_option("--date", date_, "the day to draw, YYYY-MM-DD; default: the first row's")
      ->type_name("DATE")->check(CivilDayText());
  sub_->footer(
      "Needs no server and no login. Every START and END is read with its own\n"
      "offset and drawn on the site's day (--tz, default the local zone), 23, 24\n"
      "or 25 hours long; motion rows (RECTYPE 1) in the second colour, gaps\n"
      "marked. Without --date the day is that of the first row's start on the\n"
      "site's clock.");
}

bool TimelineCommand::Chosen() const { return sub_->parsed(); }

int TimelineCommand::Run() const {
  ResultFile file;
  std::string error;
  if (!ReadResultFile(result_file_, &file, &error)) return Fail(qmtools::kExitFailure, error);
  if (file.error_code != 0)
    return Fail(qmtools::kExitFailure, result_file_ + " holds error code " +
                                           std::to_string(file.error_code) + " and no intervals");
  const std::string zone = zone_.empty() ? LocalZoneName() : zone_;
  ZoneScope site(zone_);
  const std::vector<DayRow> rows = RowsOf(file);

  CivilDay day;
  bool have_day = !date_.empty() && ParseCivilDay(date_, &day);
  for (size_t i = 0; !have_day && i < rows.size(); ++i)
    if (rows[i].known) have_day = ParseCivilDay(LocalText(rows[i].span.start).substr(0, 10), &day);
  if (!have_day)
    return Fail(qmtools::kExitFailure, result_file_ + " has no row to take the day from: give --date");
  DayFrame frame;
  if (!MakeDayFrame(day, &frame))
    return Fail(qmtools::kExitFailure, "the day " + IsoText(day) + " cannot be laid out in zone " + zone);

  Timeline timeline = DayAxis(frame, rows.empty() ? 0 : rows.front().camera, zone);
  timeline.subtitle += "; intervals of " + result_file_;
  timeline.lanes = {IntervalLane(rows)};
  if (!WriteSvgFile(svg_file_, TimelineSvg(timeline), &error)) return Fail(qmtools::kExitFailure, error);
  return qmtools::kExitOk;
}

}  // namespace qmctl
