// How qmctl reports a failure: one line on standard error, and an exit
// status from the table all the project's tools share.
#pragma once

#include <cstdio>
#include <string>

#include "common/exit_status.h"

namespace qmctl {

// Prints "qmctl: <message>" on standard error and returns `status`, so that
// a command can `return Fail(qmtools::kExitNotFound, "...")`.
inline int Fail(int status, const std::string& message) {
  std::fprintf(stderr, "qmctl: %s\n", message.c_str());
  return status;
}

}  // namespace qmctl
