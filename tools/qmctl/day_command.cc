// qmctl day: a camera's recorded intervals of one day in the site's zone,
// right across daylight-saving changes, as text or JSON and, with --svg, as
// a timeline picture.
#include <memory>

#include "command_set.h"
#include "common/exit_status.h"
#include "day_assembly.h"
#include "day_cli.h"
#include "day_query.h"
#include "day_timeline.h"
#include "failure.h"
#include "timeline_svg.h"
#include "zone_scope.h"

namespace qmctl {

namespace {

struct DayOptions {
  unsigned int camera = 0;
  std::string date;
  std::string zone;  // empty: the local zone
  std::string svg;   // empty: no picture
};

std::string OffsetList(const DayFrame& frame) {
  std::string list;
  for (long offset : frame.offsets) list += (list.empty() ? "" : ", ") + OffsetText(offset);
  return list;
}

Record Summary(const DayResult& result, const std::string& zone) {
  const DayFrame& frame = result.frame;
  Record record;
  record["camera_id"] = result.camera;
  record["date"] = IsoText(frame.day);
  record["zone"] = zone;
  const double hours = frame.Hours();
  if (hours == static_cast<int>(hours)) {
    record["hours"] = static_cast<int>(hours);
  } else {
    record["hours"] = hours;
  }
  record["offsets"] = OffsetList(frame);
  record["clock_change"] = frame.HasChange();
  record["day_start"] = LocalText(frame.start);
  record["day_end"] = LocalText(frame.end);
  record["assembly"] = result.by_instants ? "instants" : "library";
  record["recorded_minutes"] = result.tracker.recorded_minutes;
  record["skipped_hour_flags"] = result.tracker.skipped_flags;
  record["repeated_minutes_cleared"] = result.tracker.repeated_cleared;
  record["files"] = result.files.size();
  record["motions"] = result.motions.size();
  record["intervals"] = result.rows.size();
  return record;
}

Record RowRecord(const DayRow& row) {
  Record record;
  record["idx"] = row.idx;
  record["camera_id"] = row.camera;
  record["rec_type"] = row.type;
  record["start"] = row.start_text;
  record["end"] = row.end_text;
  record["start_unix"] = row.known ? Record(static_cast<long long>(row.span.start)) : Record();
  record["end_unix"] = row.known ? Record(static_cast<long long>(row.span.end)) : Record();
  return record;
}

int RunDay(CommandContext& context, const DayOptions& options) {
  CivilDay day;
  if (!ParseCivilDay(options.date, &day)) return Fail(qmtools::kExitUsage, "bad date " + options.date);
  const std::string zone = options.zone.empty() ? LocalZoneName() : options.zone;
  ZoneScope site(options.zone);

  DayReplies replies;
  const int status = QueryDay(context.session, options.camera, day, &replies);
  site.Reapply();
  if (status != qmtools::kExitOk) return status;

  DayResult result;
  const bool assembled = AssembleDay(options.camera, day, replies, &result);
  site.Reapply();
  if (!assembled)
    return Fail(qmtools::kExitFailure, "the day " + options.date + " cannot be laid out in zone " + zone);

  if (!options.svg.empty()) {
    std::string error;
    if (!WriteSvgFile(options.svg, TimelineSvg(DayTimeline(result, zone)), &error))
      return Fail(qmtools::kExitFailure, error);
  }
  context.out.Sheet({{"camera ID", "camera_id"},
                     {"date", "date"},
                     {"zone", "zone"},
                     {"hours", "hours"},
                     {"offsets", "offsets"},
                     {"assembly", "assembly"},
                     {"recorded minutes", "recorded_minutes"},
                     {"skipped-hour flags", "skipped_hour_flags"},
                     {"repeated minutes cleared", "repeated_minutes_cleared"}},
                    Summary(result, zone));
  context.out.Separator();
  std::vector<Record> records;
  for (const DayRow& row : result.rows) records.push_back(RowRecord(row));
  context.out.Table({{"IDX", "idx"},
                     {"CAMID", "camera_id"},
                     {"RECTYPE", "rec_type"},
                     {"START", "start"},
                     {"END", "end"}},
                    records);
  return qmtools::kExitOk;
}

}  // namespace

void AddDayCommands(CommandSet& commands) {
  auto options = std::make_shared<DayOptions>();
  CLI::App* sub = commands.Add(
      "day", "a camera's recorded intervals of one day in the site's zone, with --svg a timeline",
      [options](CommandContext& context) { return RunDay(context, *options); });
  sub->add_option("CAMID", options->camera, "camera ID")->required()->type_name("");
  sub->add_option("DATE", options->date, "the day, YYYY-MM-DD (1971 to 2037)")
      ->required()->type_name("")->check(CivilDayText());
  AddZoneOption(*sub, options->zone);
  sub->add_option("--svg", options->svg, "also write the day's timeline picture to FILE")
      ->type_name("FILE");
  sub->footer(kDayHelp);
}

}  // namespace qmctl
