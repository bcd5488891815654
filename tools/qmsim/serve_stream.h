// Serving the two streams: the live stream (command 2, on the live port)
// and the playback stream (command 50012, on the command port after the
// client's 8-byte control message). Both run on a connection whose
// deadline is per idle period, so a long stream is not cut off while data
// moves.
#ifndef QMSIM_SERVE_STREAM_H
#define QMSIM_SERVE_STREAM_H

#include <string>

#include "connection.h"
#include "envelope.h"
#include "server_options.h"
#include "server_state.h"

namespace qmsim {

// The control message a playback client sends after its request: the
// 32-bit little-endian values 4 and 1.
constexpr char kPlaybackControl[8] = {4, 0, 0, 0, 1, 0, 0, 0};

// Sends the live frames of the first camera of the request's list that the
// scenario has (scenario <stream>: live-frames frames), then returns; the
// caller closes. Wrong credentials get the login-failure document, a list
// without a known camera nothing. Returns the outcome for the log line.
std::string ServeLiveStream(Connection& connection, const SimRequest& request,
                            const ServerState& state, const ServerOptions& options);

// Reads the control message, then sends the file's frame records (camera
// ID in IntParameter1, file ID in IntParameter2), a W = 2 record after the
// first frame and the end word. Wrong credentials get the login-failure
// document; an unknown camera or file gets the end word alone; a wrong or
// missing control message nothing. Returns the outcome for the log line.
std::string ServePlaybackStream(Connection& connection, const SimRequest& request,
                                const ServerState& state, const ServerOptions& options);

}  // namespace qmsim

#endif  // QMSIM_SERVE_STREAM_H
