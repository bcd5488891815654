// The server's log: one line per event on standard output, problems on
// standard error. Safe to call from any thread: each line goes out whole in
// one write, never interleaved with another.
#ifndef QMSIM_LOG_H
#define QMSIM_LOG_H

#include <string>

namespace qmsim {

// Writes line and a newline to standard output.
void LogLine(const std::string& line);

// Writes "qmsim: ", message and a newline to standard error.
void LogProblem(const std::string& message);

}  // namespace qmsim

#endif  // QMSIM_LOG_H
