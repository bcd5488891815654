// The day tracker reply and the minute walk over its flags. Input: a zone
// selector byte, a length-prefixed query date (at most 64 bytes), a byte
// choosing how many flags the walk gets, then the reply bytes.
#include <string>
#include <vector>

#include "client/datetime_text.h"
#include "client/server.h"
#include "client/split.h"
#include "fuzz/fuzz_input.h"
#include "protocol/text_convert.h"

namespace {

size_t RunsOfSetFlags(const std::vector<bool>& flags) {
  size_t runs = 0;
  for (size_t i = 0; i < flags.size(); ++i) {
    if (flags[i] && (i == 0 || !flags[i - 1])) ++runs;
  }
  return runs;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qmfuzz::FuzzInput in(data, size);
  const qmfuzz::Zone& zone = qmfuzz::ZoneOf(in.Byte());
  qmfuzz::UseZone(zone);
  const std::wstring date = string_to_wstring(in.Sized(64));
  const uint8_t cut = in.Byte();
  const std::string reply = in.Rest();

  const std::vector<bool> flags =
      QM::Server::RspPkt_ParseGetDateTimeTracker(reply.data(), reply.size());
  FUZZ_CHECK(flags.size() == (reply.size() == 192 ? 1440u : 0u));
  for (size_t minute = 0; minute < flags.size(); ++minute) {
    const unsigned char byte = reply[minute / 60 * 8 + minute % 60 / 8];
    FUZZ_CHECK(flags[minute] == (((byte >> (minute % 60 % 8)) & 1) != 0));
  }

  // The walk also gets trackers shorter than a day: it must read no flag
  // beyond the end.
  std::vector<bool> walked = flags;
  if (cut < 240) walked.resize(walked.size() * cut / 240);
  std::vector<std::wstring> rows{L"stale"};
  QM::Server::ConvRecInfoPerDatFromVpm(12, date.c_str(), walked, rows);

  // The walk gets the date as a C string: up to its first zero.
  if (QM::split(date.substr(0, date.find(L'\0')), L'.').size() != 3) {
    FUZZ_CHECK(rows.empty());
    return 0;
  }
  FUZZ_CHECK(rows.size() <= RunsOfSetFlags(walked));
  if (zone.fixed) FUZZ_CHECK(rows.size() == RunsOfSetFlags(walked));
  for (size_t i = 0; i < rows.size(); ++i) {
    const std::vector<std::wstring> parts = QM::split(rows[i], L',');
    FUZZ_CHECK(parts.size() == 3);
    FUZZ_CHECK(parts[0] == to_wstring(static_cast<unsigned>(i + 1)));
    // YYYY-MM-DDTHH:MM:SS with the query's day text on both ends.
    FUZZ_CHECK(parts[1].size() == 19 && parts[2].size() == 19);
    FUZZ_CHECK(parts[1].compare(0, 11, parts[2], 0, 11) == 0);
    if (zone.fixed) {
      FUZZ_CHECK(parts[1].compare(16, 3, L":00") == 0);
      FUZZ_CHECK(parts[2].compare(16, 3, L":59") == 0);
    }
  }
  return 0;
}
