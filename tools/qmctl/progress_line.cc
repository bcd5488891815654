// The progress line of streams.
#include "progress_line.h"

#include <unistd.h>

#include <cstdio>

namespace qmctl {

namespace {

constexpr std::chrono::milliseconds kInterval(250);

}  // namespace

ProgressLine::ProgressLine(std::string what)
    : what_(std::move(what)),
      shown_(isatty(STDERR_FILENO) == 1),
      next_(std::chrono::steady_clock::now() + kInterval) {}

ProgressLine::~ProgressLine() { Clear(); }

void ProgressLine::Update(unsigned long long frames, unsigned long long bytes) {
  if (!shown_) return;
  const auto now = std::chrono::steady_clock::now();
  if (now < next_) return;
  next_ = now + kInterval;
  std::fprintf(stderr, "\rqmctl: %s: %llu frames, %llu bytes\033[K", what_.c_str(),
               frames, bytes);
  std::fflush(stderr);
  drawn_ = true;
}

void ProgressLine::Clear() {
  if (!drawn_) return;
  std::fputs("\r\033[K", stderr);
  std::fflush(stderr);
  drawn_ = false;
}

}  // namespace qmctl
