// The server's version text read as a number, for the file-header layout
// that changed between server versions. (CompareVersion, the ordering of
// version texts, is a member of QM::Server.)
#ifndef QM_SERVICES_SERVER_VERSION_H_
#define QM_SERVICES_SERVER_VERSION_H_

#include <string>

namespace QM {

// Servers whose version number is above this write kind value D1 into a
// format kind 1 file header; 5.5.24.2 gives exactly this number.
const double kKindOneD1AfterVersion = 5.52402;

// The version text cut at each ".": 0 without any "."; otherwise the parts
// p0, p1, ..., pn read as signed decimal integers (as wcstol in base 10; no
// digits give 0) and summed from the left as p0 + p1/10 + p2/10^3 +
// p3/10^5 + ..., part k (k >= 1) divided by 10 to the power 2k - 1.
double VersionNumber(const std::wstring& version);

}  // namespace QM

#endif  // QM_SERVICES_SERVER_VERSION_H_
