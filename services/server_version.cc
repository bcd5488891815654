// Version texts: their ordering (the version gate of the camera directory)
// and their number (the file-header layout of format kind 1).
#include "services/server_version.h"

#include <climits>
#include <cwchar>
#include <vector>

#include "client/server.h"
#include "client/split.h"

namespace QM {

namespace {

const int kVersionNumbers = 4;

// Up to four numbers of "%d.%d.%d.%d": reading stops at the first number
// that is missing or not followed by "."; the numbers not read stay 0.
// Each number is clamped to the int range.
void ReadVersion(const std::wstring& text, int numbers[kVersionNumbers]) {
  for (int i = 0; i < kVersionNumbers; ++i) numbers[i] = 0;
  const wchar_t* at = text.c_str();
  for (int i = 0; i < kVersionNumbers; ++i) {
    wchar_t* end = nullptr;
    const long value = std::wcstol(at, &end, 10);
    if (end == at) return;
    numbers[i] = value > INT_MAX ? INT_MAX
                                 : value < INT_MIN ? INT_MIN
                                                   : static_cast<int>(value);
    if (*end != L'.') return;
    at = end + 1;
  }
}

}  // namespace

int Server::CompareVersion(std::wstring first, std::wstring second) {
  int a[kVersionNumbers];
  int b[kVersionNumbers];
  ReadVersion(first, a);
  ReadVersion(second, b);
  for (int i = 0; i < kVersionNumbers; ++i) {
    if (a[i] > b[i]) return 1;
    if (a[i] < b[i]) return -1;
  }
  return 0;
}

double VersionNumber(const std::wstring& version) {
  const std::vector<std::wstring> parts = split(version, L'.');
  if (parts.size() < 2) return 0.0;
  double number = 0.0;
  double divisor = 1.0;
  for (size_t k = 0; k < parts.size(); ++k) {
    const double part =
        static_cast<double>(std::wcstol(parts[k].c_str(), nullptr, 10));
    number += part / divisor;
    // 10, then 10^3, 10^5, ...: exact in double up to 10^21, then rounded
    // and at last infinite, which makes further parts add 0.
    divisor *= k == 0 ? 10.0 : 100.0;
  }
  return number;
}

}  // namespace QM
