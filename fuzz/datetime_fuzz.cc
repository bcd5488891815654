// The date-time text helpers: ConvToTimeT and GetTimeZoneString over a
// fuzzed text, ConvToDateTimeStr of what ConvToTimeT gives back,
// ConvToStrAddZero, to_wstring and QM::split. Input: a zone selector byte,
// a mode byte (even: each byte is one character as replies are widened;
// odd: every four bytes are one wide character, any value), a value and a
// width byte (less 128) for ConvToStrAddZero, then the text.
#include <climits>
#include <cwchar>
#include <string>
#include <vector>

#include "client/datetime_text.h"
#include "client/server.h"
#include "client/split.h"
#include "fuzz/fuzz_input.h"
#include "protocol/text_convert.h"

namespace {

std::wstring WideText(qmfuzz::FuzzInput& in, bool raw) {
  if (!raw) return string_to_wstring(in.Rest());
  std::wstring text;
  while (in.Left() > 0) text.push_back(static_cast<wchar_t>(in.U32()));
  return text;
}

bool IsDigits(const std::wstring& text) {
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qmfuzz::FuzzInput in(data, size);
  const qmfuzz::Zone& zone = qmfuzz::ZoneOf(in.Byte());
  qmfuzz::UseZone(zone);
  const bool raw = (in.Byte() & 1) != 0;
  const int value = static_cast<int>(in.U32());
  const int width = static_cast<int>(in.Byte()) - 128;
  const std::wstring text = WideText(in, raw);

  const std::wstring padded = QM::Server::ConvToStrAddZero(value, width);
  FUZZ_CHECK(padded.size() == static_cast<size_t>(width > 0 ? width : 0));
  FUZZ_CHECK(IsDigits(padded));
  const std::wstring decimal = to_wstring(static_cast<unsigned>(value));
  FUZZ_CHECK(decimal == std::to_wstring(static_cast<unsigned>(value)));

  const std::wstring zone_text = QM::Server::GetTimeZoneString(text);
  if (!zone_text.empty() && zone_text != L"Z") {
    FUZZ_CHECK(zone_text[0] == L'+' || zone_text[0] == L'-');
    FUZZ_CHECK(text.size() >= zone_text.size() &&
               text.compare(text.size() - zone_text.size(), zone_text.size(),
                            zone_text) == 0);
  }

  time_t when = 1;
  QM::Server::ConvToTimeT(text, &when);
  if (when != 0) {
    std::wstring written;
    QM::Server::ConvToDateTimeStr(when, written, zone_text);
    struct tm local = {};
    const bool known = localtime_r(&when, &local) != nullptr;
    if (known && local.tm_year >= 1000 - 1900 && local.tm_year <= 9999 - 1900) {
      FUZZ_CHECK(written.size() == 19 + zone_text.size());
      // In a zone without daylight saving time every local time text
      // converts back to the same calendar time.
      time_t back = 0;
      QM::Server::ConvToTimeT(written, &back);
      if (zone.fixed) FUZZ_CHECK(back == when);
    }
  }

  const std::vector<std::wstring> pieces = QM::split(text, L',');
  std::wstring joined;
  for (size_t i = 0; i < pieces.size(); ++i) {
    if (i > 0) joined += L',';
    joined += pieces[i];
  }
  FUZZ_CHECK(joined == text);
  return 0;
}
