// The three questions of a camera's day, asked through the client library's
// request wrappers and answered by its parsers: the day tracker (324), the
// recording files (715) and the motion periods (716), each on its own
// connection, in this order, with the same request texts qmrecinfo sends in
// a zone without daylight saving time.
#pragma once

#include <string>
#include <vector>

#include "client/recinfo_records.h"
#include "day_frame.h"
#include "session.h"

namespace qmctl {

// The answers, as the library's parsers give them.
struct DayReplies {
  std::vector<bool> tracker;  // 1,440 wall-clock minute flags from 00:00
  QM::RecFileList files;      // never null once the query succeeded
  QM::RecMotionList motions;  // likewise
};

// The window texts of a day: "YYYY-MM-DDT00:00:00" of the day and of the
// next day, on the server's clock.
std::wstring WindowStart(const CivilDay& day);
std::wstring WindowEnd(const CivilDay& day);

// Asks the three questions of `camera` on `day`. Returns kExitOk with `out`
// holding the answers; otherwise the session's exit status (printed already;
// a tracker reply that is not the 192-byte bitmap nor the login failure is
// kExitBadReply), `out` untouched and no further question asked.
int QueryDay(Session& session, unsigned camera, const CivilDay& day, DayReplies* out);

}  // namespace qmctl
