// Test helper: prints around the result file's empty-path messages with
// standard output in a chosen orientation, so that a test can check that no
// output is lost. Usage: stdout_probe narrow|wide|first|error-form
#include <cstdio>
#include <cstring>
#include <cwchar>

#include <boost/make_shared.hpp>

#include "cmdline/options.h"
#include "cmdline/result_file.h"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  const char* mode = argv[1];
  m_filepath.clear();
  QM::RecTimeList list = boost::make_shared<QM::RecTimeVector>();
  if (strcmp(mode, "narrow") == 0) {
    printf("before\n");
    WriteFile(list);
    puts("after");
  } else if (strcmp(mode, "wide") == 0) {
    fwprintf(stdout, L"before\n");
    WriteFile(list);
    fwprintf(stdout, L"after\n");
  } else if (strcmp(mode, "first") == 0) {
    WriteFile(list);
    puts("after");
  } else if (strcmp(mode, "error-form") == 0) {
    WriteFile(4);
    WriteFile(list);
    puts("after");
  } else {
    return 2;
  }
  fflush(stdout);
  return 0;
}
