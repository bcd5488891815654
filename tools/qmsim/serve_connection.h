// The work on one request/reply connection: read the frame, log the request,
// answer it (with the planned fault), log the outcome, close.
#ifndef QMSIM_SERVE_CONNECTION_H
#define QMSIM_SERVE_CONNECTION_H

#include <string>

#include "connection.h"
#include "server_options.h"
#include "scenario.h"

namespace qmsim {

// Serves connection number n (from 1, in order of acceptance) to its end.
// Logs one line when the request has arrived (before any stall) and one with
// the outcome, both starting "#<n> ". Records the raw request when
// options.record_dir is set. The deadline and a stop request end it early.
void ServeConnection(Connection& connection, unsigned long n, const ServerOptions& options,
                     const Scenario& scenario);

// Saves raw as dir/request-<n>.bin with mode 0600 whatever the umask (it
// holds the password); an existing file is replaced. Returns false and a
// message in *error on failure.
bool RecordRequest(const std::string& dir, unsigned long n, const std::string& raw,
                   std::string* error);

}  // namespace qmsim

#endif  // QMSIM_SERVE_CONNECTION_H
