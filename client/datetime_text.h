// Free helpers of the date-time texts. The conversions between texts and
// calendar time are static members of QM::Server (client/server.h).
#ifndef QM_CLIENT_DATETIME_TEXT_H_
#define QM_CLIENT_DATETIME_TEXT_H_

#include <string>

// Decimal text of the value: no sign, no padding.
std::wstring to_wstring(unsigned int value);

#endif  // QM_CLIENT_DATETIME_TEXT_H_
