// The accept loop of the stand-in: the command port and the live-stream port,
// each connection on its own thread (at most kMaxConcurrentConnections at
// once), one request per connection, reply or stream, close.
#ifndef QMSIM_SERVER_LOOP_H
#define QMSIM_SERVER_LOOP_H

#include <cstdint>
#include <string>

#include "scenario.h"
#include "server_options.h"

namespace qmsim {

// Listens and serves connections until max_requests connections were
// accepted and served, or SIGTERM/SIGINT arrives (connections in progress
// are then cut off). The port file exists only while listening: a stale one
// is removed at the start, the new one on every way out. Logs one line per
// event on standard output and problems on standard error. Returns the exit
// status: kExitOk after a clean stop (also on SIGTERM/SIGINT), kExitFailure
// when it cannot listen or write the port file.
int RunServer(const ServerOptions& options, const Scenario& scenario);

// Writes "<port>\n<live port>\n" to path atomically (temporary file, then
// rename). Returns false and a message in *error on failure.
bool WritePortFile(const std::string& path, std::uint16_t port, std::uint16_t live_port,
                   std::string* error);

// The port the live listener binds: --live-port when given, else 0 (any
// free port: the port is announced in the server description and the port
// file, and a fixed default could take a port another service needs).
std::uint16_t LivePortFor(const ServerOptions& options);

}  // namespace qmsim

#endif  // QMSIM_SERVER_LOOP_H
