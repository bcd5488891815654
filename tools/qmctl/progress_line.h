// A progress line on standard error for long streams, shown only when
// standard error is a terminal (never in a pipe, a file or a test log).
#pragma once

#include <chrono>
#include <string>

namespace qmctl {

// Rewrites one line in place ("\r") at most a few times a second and clears
// it when done. Does nothing at all when standard error is no terminal.
class ProgressLine {
 public:
  // `what` names the stream ("live camera 12").
  explicit ProgressLine(std::string what);
  ~ProgressLine();  // clears the line
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  void Update(unsigned long long frames, unsigned long long bytes);

 private:
  void Clear();

  std::string what_;
  bool shown_ = false;   // standard error is a terminal
  bool drawn_ = false;   // a line is on screen
  std::chrono::steady_clock::time_point next_;
};

}  // namespace qmctl
