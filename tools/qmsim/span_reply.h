// The video span reply (30003): which files of a camera cover a period,
// with the first and last frame and their times.
#ifndef QMSIM_SPAN_REPLY_H
#define QMSIM_SPAN_REPLY_H

#include <cstdint>
#include <string>

#include "envelope.h"
#include "request_handler.h"
#include "server_state.h"

namespace qmsim {

// Parses an unsigned decimal of 1 to 20 digits fitting 64 bits, surrounded
// by optional blanks; false on anything else.
bool ParseUnsigned64(const std::string& text, std::uint64_t* out);

// Answers a span request: server ID in IntParameter1, camera ID in
// IntParameter2, start and end ticks in StrParameter1 and 2. The span runs
// from the first frame at or after the start in the earliest file recording
// in the period to the last frame at or before the end in the latest one.
// For another server ID, an unknown camera, unreadable ticks or no file in
// the period the VideoSpan has no file names, frames 0 and times
// 0001-01-01T00:00:00.
void AnswerVideoSpan(const SimRequest& request, const ServerState& state, SimReply* reply);

}  // namespace qmsim

#endif  // QMSIM_SPAN_REPLY_H
