#include "day_cli.h"

#include "day_frame.h"
#include "zone_scope.h"

namespace qmctl {

CLI::Validator CivilDayText() {
  return CLI::Validator(
      [](std::string& text) {
        CivilDay day;
        return ParseCivilDay(text, &day)
                   ? std::string()
                   : "\"" + text + "\" is no date YYYY-MM-DD from 1971 to 2037";
      },
      "");
}

void AddZoneOption(CLI::App& sub, std::string& zone) {
  sub.add_option("--tz", zone,
                 "the site's time zone (\"Europe/Berlin\", \"AST4\"); default: the local zone")
      ->type_name("ZONE")
      ->check(CLI::Validator(
          [](std::string& text) {
            return IsKnownZone(text) ? std::string()
                                     : "\"" + text + "\" is no zone file or POSIX zone rule";
          },
          ""));
}

const char kDayHelp[] =
    "The day is read in the site's zone (--tz, default the local zone): it runs\n"
    "from the site's midnight to the next and lasts 23, 24 or 25 hours. The\n"
    "server is asked what qmrecinfo asks: the day tracker, then the files and\n"
    "motion periods from 00:00:00 of the day to 00:00:00 of the next day.\n"
    "\n"
    "A day without a clock change is assembled by the client library as\n"
    "qmrecinfo does, with TZ set to the site's offset of that day: the intervals\n"
    "equal qmrecinfo's in a zone without daylight saving time, byte for byte.\n"
    "A time whose own offset is not the site's is written anew on the site's\n"
    "clock.\n"
    "\n"
    "A day with a clock change is assembled by instants: every text is read\n"
    "with its own offset, the same rules apply (edges moved to file edges,\n"
    "intervals between files dropped, motion periods replacing their interval)\n"
    "and every time is written with the offset in force at that instant.\n"
    "qmrecinfo cannot: it reads times without their offsets and writes every\n"
    "time with the first file's offset.\n"
    "\n"
    "The tracker's 1,440 flags are wall-clock minutes. Clocks forward: flags of\n"
    "the skipped hour have no instant and are left out (skipped-hour flags).\n"
    "Clocks back: a flag of the repeated hour goes to each pass a file covers;\n"
    "where files cover only the other pass it stays clear (repeated minutes\n"
    "cleared); where they cover neither, both passes count as recorded.\n"
    "\n"
    "Output: a summary, then one record per interval: IDX, CAMID, RECTYPE, START\n"
    "and END as in qmrecinfo's result file (with --json also start_unix and\n"
    "end_unix, seconds since 1970 UTC). --svg FILE writes one self-contained\n"
    "SVG: lanes of recorded minutes, files, motions and intervals over the\n"
    "day's hours, motion in a second colour, gaps marked, exact times in each\n"
    "bar's tooltip. A day the zone cannot lay out or an unwritable FILE exits\n"
    "with status 1.\n";

}  // namespace qmctl
