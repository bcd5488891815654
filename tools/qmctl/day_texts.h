// The server's date-time texts as instants. The server writes its local
// date and time followed by its zone designator ("-04:00", "+02:00", "Z");
// the client library reads only the date and time of day. Here each text
// keeps its own offset, so that texts from both sides of a clock change
// compare as the instants they are.
#pragma once

#include <ctime>
#include <string>
#include <vector>

namespace qmctl {

// What one date-time text says.
struct TextTime {
  bool converts = false;    // the date and time read (the library's forms)
  time_t wall = 0;          // that date and time counted as if it were UTC
  bool has_offset = false;  // the text ends in a readable zone designator
  long offset = 0;          // the designator's offset, seconds east of UTC
};

// Reads each text as the client library's ConvToTimeT does (date and time
// in any of its accepted forms; a text it cannot read, or reads as time 0,
// does not convert) and its designator with GetTimeZoneString: "Z", or a
// sign and hours with optional minutes ("+02", "-0400", "+05:30") up to
// 23:59. Sets TZ to UTC while reading and puts the zone in force back.
std::vector<TextTime> ReadTexts(const std::vector<std::wstring>& texts);

// The instant of a text in the zone in force: its wall-clock time minus its
// own offset; a text without designator is read on the local clock
// (mktime, the C library choosing for a repeated time). False when the text
// does not convert.
bool InstantOf(const TextTime& text, time_t* out);

}  // namespace qmctl
