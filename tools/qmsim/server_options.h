// What the server is told on its command line, after checking.
#ifndef QMSIM_SERVER_OPTIONS_H
#define QMSIM_SERVER_OPTIONS_H

#include <cstdint>
#include <string>

#include "faults.h"
#include "request_handler.h"

namespace qmsim {

// Most connections served at once; further ones wait in the listen queue.
constexpr unsigned kMaxConcurrentConnections = 32;

// Time a connection may take beyond a planned stall, by default.
constexpr int kDefaultDeadlineMs = 10000;

struct ServerOptions {
  std::string host = "127.0.0.1";
  std::uint16_t port = 4011;
  int live_port = -1;              // -1: any free port (LivePortFor)
  std::string port_file;           // holds the bound port while listening
  unsigned long max_requests = 0;  // 0: serve until SIGTERM/SIGINT
  std::string record_dir;          // each raw request saved as request-<n>.bin
  // Total time one connection may take: reading, stall, writing and the
  // drain. 0: kDefaultDeadlineMs plus the stall of a stall fault.
  int deadline_ms = 0;
  Credentials credentials;
  FaultPlan fault;
};

// The deadline of a request/reply connection under options, in milliseconds.
int ConnectionDeadlineMs(const ServerOptions& options);

}  // namespace qmsim

#endif  // QMSIM_SERVER_OPTIONS_H
