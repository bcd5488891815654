// Library values turned into record values: wide texts into 8-bit text, and
// times into the pair of fields every time gets (text and ticks).
#pragma once

#include <string>

#include "record_output.h"
#include "time_text.h"

namespace qmctl {

// A wide text of the client (widened byte by byte from the reply) back into
// its original bytes.
std::string Narrow(const std::wstring& text);
std::string Narrow(const wchar_t* text);

// Sets `key` to the time's text and `key`_ticks to its ticks. Ticks of 0
// (the library's "no time") or past year 9999 set both to null.
void AddTicks(Record& record, const std::string& key, unsigned long long ticks);

// As AddTicks for a wall-clock time; an invalid one sets both to null.
void AddWallClock(Record& record, const std::string& key, const WallClock& time);

// As AddTicks for a time the server wrote as text (ParseServerTime); text
// that is not such a time sets both to null.
void AddServerTime(Record& record, const std::string& key, const std::string& text);

}  // namespace qmctl
