// Cutting a wide text into pieces at a separator character.
#include "client/split.h"

namespace QM {

std::vector<std::wstring> split(const std::wstring& text, wchar_t separator) {
  std::vector<std::wstring> pieces;
  std::wstring::size_type begin = 0;
  for (;;) {
    const std::wstring::size_type at = text.find(separator, begin);
    if (at == std::wstring::npos) {
      pieces.push_back(text.substr(begin));
      return pieces;
    }
    pieces.push_back(text.substr(begin, at - begin));
    begin = at + 1;
  }
}

}  // namespace QM
