// Library values turned into record values.
#include "record_fields.h"

#include "protocol/text_convert.h"

namespace qmctl {

std::string Narrow(const std::wstring& text) { return wstring_to_string(text); }

std::string Narrow(const wchar_t* text) {
  return text == nullptr ? std::string() : wstring_to_string(text);
}

void AddWallClock(Record& record, const std::string& key, const WallClock& time) {
  unsigned long long ticks = 0;
  if (ToTicks(time, ticks)) {
    record[key] = FormatWallClock(time);
    record[key + "_ticks"] = ticks;
  } else {
    record[key] = nullptr;
    record[key + "_ticks"] = nullptr;
  }
}

void AddTicks(Record& record, const std::string& key, unsigned long long ticks) {
  WallClock time;
  if (ticks == 0 || !FromTicks(ticks, time)) {
    record[key] = nullptr;
    record[key + "_ticks"] = nullptr;
    return;
  }
  record[key] = FormatWallClock(time);
  record[key + "_ticks"] = ticks;
}

void AddServerTime(Record& record, const std::string& key, const std::string& text) {
  WallClock time;
  if (!ParseServerTime(text, time)) time = WallClock();  // invalid: null fields
  AddWallClock(record, key, time);
}

}  // namespace qmctl
