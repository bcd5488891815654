// Entry of qmrecinfo: options first, then the recording query.
#include <cstdio>
#include <cstdlib>

#include "cmdline/options.h"
#include "cmdline/result_file.h"
#include "cmdline/run_sequence.h"

int main(int argc, char** argv) {
  if (main_cmdline(argc, argv) == 0) {
    puts("qmrecinfo: parameter error");
    WriteFile(1);
    fflush(stdout);
    exit(1);
  }
  RunSequence();
}
