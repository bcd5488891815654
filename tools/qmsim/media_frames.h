// The media-streaming reply (302): frame records of a recorded file.
#ifndef QMSIM_MEDIA_FRAMES_H
#define QMSIM_MEDIA_FRAMES_H

#include "envelope.h"
#include "request_handler.h"
#include "server_state.h"

namespace qmsim {

// Most records in one reply (the count is a 16-bit field) and most payload
// bytes in all.
constexpr std::uint32_t kMaxMediaRecords = 0xFFFF;
constexpr std::size_t kMaxMediaBytes = std::size_t{64} * 1024 * 1024;

// Answers a media-streaming request: the file named in StrParameter1 of the
// camera in StrParameter3 (decimal), IntParameter1 frames from frame
// IntParameter2 on (0 frames: to the end of the file); IntParameter3 and
// StrParameter2 are only logged. Reply: 4 zero bytes, the 16-bit record
// count, then per frame a record of its length (8 + payload), a word with
// the kind in its top 8 bits (1 key frame, 0 other) and the frame number in
// its low 24 bits, and the payload. No record for an unknown file.
void AnswerMediaFrames(const SimRequest& request, const ServerState& state, SimReply* reply);

}  // namespace qmsim

#endif  // QMSIM_MEDIA_FRAMES_H
