// The accept loop of the stand-in: one request per connection, reply, close.
#ifndef QMSIM_SERVER_LOOP_H
#define QMSIM_SERVER_LOOP_H

#include <cstdint>
#include <string>

#include "faults.h"
#include "request_handler.h"
#include "scenario.h"

namespace qmsim {

struct ServerOptions {
  std::string host = "127.0.0.1";
  std::uint16_t port = 4011;
  std::string port_file;      // written with the bound port once listening
  unsigned long max_requests = 0;  // 0: serve until SIGTERM/SIGINT
  std::string record_dir;     // each raw request saved as request-<n>.bin
  int io_timeout_ms = 5000;   // per-connection send and receive timeout
  Credentials credentials;
  FaultPlan fault;
};

// Listens and serves connections until max_requests connections were served
// or SIGTERM/SIGINT arrives. Prints one line per connection on standard
// output (flushed) and problems on standard error. Returns the exit status:
// 0 after a clean stop, 1 when it cannot listen or write the port file.
int RunServer(const ServerOptions& options, const Scenario& scenario);

// Writes "<port>\n" to path atomically (temporary file, then rename).
// Returns false and a message in *error on failure.
bool WritePortFile(const std::string& path, std::uint16_t port, std::string* error);

}  // namespace qmsim

#endif  // QMSIM_SERVER_LOOP_H
