#include "cmdline/run_sequence.h"

#include <cstdio>
#include <cstdlib>

// Temporary: the query itself is not wired in yet.
void RunSequence() {
  puts("qmrecinfo: options accepted; the recording query is not available in this build");
  fflush(stdout);
  exit(4);
}
