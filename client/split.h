// Cutting a wide text into pieces at a separator character.
#ifndef QM_CLIENT_SPLIT_H_
#define QM_CLIENT_SPLIT_H_

#include <string>
#include <vector>

namespace QM {

// The pieces of `text` between occurrences of `separator`, in order, empty
// pieces included: n separators give n + 1 pieces, the empty text gives one
// empty piece. The result owns copies of the pieces; never fails.
std::vector<std::wstring> split(const std::wstring& text, wchar_t separator);

}  // namespace QM

#endif  // QM_CLIENT_SPLIT_H_
