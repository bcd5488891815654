// Reading a password from a file named on the command line, shared by the
// tools that take --password-file (qmdevmgr, qmctl). A password never goes
// on the command line itself: it would show in the process list.
#pragma once

#include <cstddef>
#include <string>

namespace qmtools {

// Bytes read from a password file at most; the rest of a large file is
// never read. A line of this length had no line end within the limit.
inline constexpr size_t kPasswordReadLimit = 256;

// The first line of `path` (at most kPasswordReadLimit bytes read), without
// "\n" or "\r\n". False with `error` set ("cannot read the password file
// PATH: reason") when the file cannot be opened or read; a directory, for
// example, fails here instead of giving an empty line.
bool ReadFirstLine(const std::string& path, std::string& line,
                   std::string& error);

}  // namespace qmtools
