// The tick conversions. Input: 8 bytes of ticks, seven 4-byte calendar
// fields, then an XML date-time text (one character per byte). Ticks broken
// down into fields must convert back to the same ticks (less the digits
// below a millisecond), and no conversion may leave TZ in the environment.
#include <cstdlib>
#include <string>

#include "fuzz/fuzz_input.h"
#include "protocol/text_convert.h"
#include "protocol/ticks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qmfuzz::FuzzInput in(data, size);
  const unsigned long long ticks = in.U64();
  unsigned int fields[7];
  for (unsigned int& field : fields) field = in.U32();
  const std::wstring text = string_to_wstring(in.Rest());

  const unsigned int kUnset = 0xFFFFFFFFu;
  unsigned int year = kUnset, month = kUnset, day = kUnset, hour = kUnset,
               minute = kUnset, second = kUnset, millisecond = kUnset;
  QM::DotNetDateTimeToDateTime(ticks, &year, &month, &day, &hour, &minute,
                               &second, &millisecond);
  FUZZ_CHECK(getenv("TZ") == nullptr);
  FUZZ_CHECK(millisecond < 1000);
  if (year != kUnset) {
    FUZZ_CHECK(month >= 1 && month <= 12 && day >= 1 && day <= 31);
    FUZZ_CHECK(hour < 24 && minute < 60 && second < 61);
    const unsigned long long back = QM::DateTimeToDotNetDateTime(
        year, month, day, hour, minute, second, millisecond);
    FUZZ_CHECK(back == ticks - ticks % 10000);
  }

  QM::DateTimeToDotNetDateTime(fields[0], fields[1], fields[2], fields[3],
                               fields[4], fields[5], fields[6]);
  FUZZ_CHECK(getenv("TZ") == nullptr);

  const unsigned long long parsed = QM::XMLDateTimeToDotNetDateTime(text);
  FUZZ_CHECK(getenv("TZ") == nullptr);
  if (text.size() < 20) FUZZ_CHECK(parsed == 0);
  return 0;
}
