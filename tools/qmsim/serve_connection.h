// The work on one connection: read the frame, log the request, answer it
// (with the planned fault) or serve its stream, log the outcome, close.
#ifndef QMSIM_SERVE_CONNECTION_H
#define QMSIM_SERVE_CONNECTION_H

#include <string>

#include "connection.h"
#include "server_options.h"
#include "server_state.h"

namespace qmsim {

// Which listener accepted a connection.
enum class PortKind {
  kCommand,  // request/reply commands and the playback stream
  kLive,     // the live stream alone
};

// Serves connection number n (from 1, in order of acceptance) to its end.
// Logs one line when the request has arrived (before any stall) and one with
// the outcome, both starting "#<n> ". Records the raw request when
// options.record_dir is set. The deadline and a stop request end it early; a
// playback request switches the connection to a deadline per idle period.
// On the live port only the live stream is served, on the command port
// everything else.
void ServeConnection(Connection& connection, unsigned long n, const ServerOptions& options,
                     const ServerState& state, PortKind port);

// Saves raw as dir/request-<n>.bin with mode 0600 whatever the umask (it
// holds the password); an existing file is replaced. Returns false and a
// message in *error on failure.
bool RecordRequest(const std::string& dir, unsigned long n, const std::string& raw,
                   std::string* error);

}  // namespace qmsim

#endif  // QMSIM_SERVE_CONNECTION_H
