// A camera's day assembled from the three answers, right in every zone.
//
// A day without a clock change is assembled by the client library itself
// (ConvRecInfoPerDatFromVpm, MakeRecTimes) with TZ set to a fixed offset,
// the one in force at the site all that day: the library then reads every
// text as the instant it names, and its rows are those qmrecinfo writes in a
// zone without daylight saving time, byte for byte. They are shown in the
// site's zone: a text whose own offset is the site's at that instant is
// kept as it is; any other is written anew on the site's clock.
//
// On a day with a change the library cannot be right: it reads texts
// without their offsets and writes every time with the first file's offset.
// The day is then assembled by instants: tracker minutes laid onto the
// day's real minutes (day_minutes.h), every file and motion text read with
// its own offset, the whole written out in UTC and handed to the same
// library assembly with TZ set to UTC, so that the rules (edges moved to
// file edges, intervals in gaps dropped, motion periods replacing their
// intervals) are the library's own. Every time is then written on the
// site's clock with the offset in force at that instant.
#pragma once

#include <ctime>
#include <string>
#include <vector>

#include "day_frame.h"
#include "day_minutes.h"
#include "day_query.h"

namespace qmctl {

// One row of the answer, as qmrecinfo's result file has it.
struct DayRow {
  unsigned idx = 0;
  unsigned camera = 0;
  unsigned type = 0;  // 0 recorded interval, 1 motion period
  std::string start_text;
  std::string end_text;
  bool known = false;  // both texts name instants (start, end below)
  InstantSpan span;
};

// A file or motion period of the server, with its texts as sent.
struct DayPeriod {
  unsigned file_id = 0;
  std::string start_text;
  std::string end_text;
  bool known = false;  // both texts name instants
  InstantSpan span;
};

struct DayResult {
  unsigned camera = 0;
  DayFrame frame;
  bool by_instants = false;  // assembled by instants (a change day)
  TrackerOnDay tracker;
  std::vector<DayPeriod> files;
  std::vector<DayPeriod> motions;
  std::vector<DayRow> rows;
};

// Assembles `camera`'s `day` from `replies` in the zone in force (the
// site's). Leaves TZ as it found it. False (out untouched) only when the day
// cannot be laid out in the zone (MakeDayFrame).
bool AssembleDay(unsigned camera, const CivilDay& day, const DayReplies& replies,
                 DayResult* out);

}  // namespace qmctl
