// Conversions between calendar fields, XML date-time text and .NET ticks
// (unsigned 64-bit count of 100-nanosecond intervals since
// 0001-01-01T00:00:00). Calendar values are UTC; no zone offset is applied.
// Each conversion sets TZ to "GMT0" around the C library call and removes TZ
// from the environment afterwards (a previous TZ is not restored). Not safe
// beside other threads that read the environment or convert local times.
#ifndef QM_PROTOCOL_TICKS_H_
#define QM_PROTOCOL_TICKS_H_

#include <string>

namespace QM {

// Ticks of 1970-01-01T00:00:00.
const unsigned long long kUnixEpochTicks = 621355968000000000ULL;

// Ticks of the calendar fields (month 1-12). Out-of-range fields are
// normalised as mktime does (day 32 of January is 1 February); millisecond
// is not range-checked. A date the platform cannot represent converts as
// 1969-12-31T23:59:59 plus the milliseconds.
unsigned long long DateTimeToDotNetDateTime(unsigned int year,
                                            unsigned int month,
                                            unsigned int day,
                                            unsigned int hour,
                                            unsigned int minute,
                                            unsigned int second,
                                            unsigned int millisecond);

// Calendar fields of `ticks` (month 1-12, millisecond 0-999). Ticks before
// 1970 are converted like any other (0 is 0001-01-01T00:00:00). Every
// pointer must be valid. When the C library cannot convert the time, only
// the millisecond is written.
void DotNetDateTimeToDateTime(unsigned long long ticks, unsigned int* year,
                              unsigned int* month, unsigned int* day,
                              unsigned int* hour, unsigned int* minute,
                              unsigned int* second,
                              unsigned int* millisecond);

// Ticks of a text YYYY-MM-DDThh:mm:ss[.fff]... read from fixed positions;
// the fraction's first three characters are read as whole milliseconds and
// anything after it (a zone designator) is ignored. Returns 0 for a text
// shorter than 20 characters. A field that does not begin with a digit
// (after leading white space) reads as 0.
unsigned long long XMLDateTimeToDotNetDateTime(std::wstring text);

}  // namespace QM

#endif  // QM_PROTOCOL_TICKS_H_
