// CompareVersion over fuzzed version texts: up to three texts separated by
// line feeds, widened byte by byte. Checked: the answer is -1, 0 or 1, a
// text equals itself, swapping the texts negates the answer, the order is
// transitive, and, wherever every number fits an int, the answer is the one
// of a "%d.%d.%d.%d" scan (numbers not read count as 0). The version number
// of the file-header layout is computed for each text as well.
#include <cctype>
#include <cwchar>
#include <string>
#include <vector>

#include "client/server.h"
#include "fuzz/fuzz_input.h"
#include "protocol/text_convert.h"
#include "services/server_version.h"

namespace {

// True when no run of digits in `text` is longer than 9 (every number a
// scan reads then fits an int).
bool NumbersFitInt(const std::string& text) {
  size_t run = 0;
  for (char c : text) {
    run = std::isdigit(static_cast<unsigned char>(c)) ? run + 1 : 0;
    if (run > 9) return false;
  }
  return true;
}

int ScanCompare(const std::wstring& first, const std::wstring& second) {
  int a[4] = {0, 0, 0, 0};
  int b[4] = {0, 0, 0, 0};
  std::swscanf(first.c_str(), L"%d.%d.%d.%d", &a[0], &a[1], &a[2], &a[3]);
  std::swscanf(second.c_str(), L"%d.%d.%d.%d", &b[0], &b[1], &b[2], &b[3]);
  for (int i = 0; i < 4; ++i) {
    if (a[i] != b[i]) return a[i] > b[i] ? 1 : -1;
  }
  return 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> texts;
  size_t start = 0;
  while (texts.size() < 2) {
    const size_t end = input.find('\n', start);
    if (end == std::string::npos) break;
    texts.push_back(input.substr(start, end - start));
    start = end + 1;
  }
  texts.push_back(input.substr(start));
  while (texts.size() < 3) texts.push_back(texts.back());

  std::vector<std::wstring> wide;
  for (const std::string& text : texts) {
    wide.push_back(string_to_wstring(text));
    (void)QM::VersionNumber(wide.back());
  }
  int order[3][3];
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      order[i][j] = QM::Server::CompareVersion(wide[i], wide[j]);
      FUZZ_CHECK(order[i][j] >= -1 && order[i][j] <= 1);
    }
  }
  for (int i = 0; i < 3; ++i) {
    FUZZ_CHECK(order[i][i] == 0);
    for (int j = 0; j < 3; ++j) {
      FUZZ_CHECK(order[i][j] == -order[j][i]);
      for (int k = 0; k < 3; ++k) {
        if (order[i][j] >= 0 && order[j][k] >= 0) FUZZ_CHECK(order[i][k] >= 0);
      }
      if (NumbersFitInt(texts[i]) && NumbersFitInt(texts[j])) {
        FUZZ_CHECK(order[i][j] == ScanCompare(wide[i], wide[j]));
      }
    }
  }
  return 0;
}
