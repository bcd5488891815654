// Reading the server's password from a file, so that it stays out of the
// process list.
#ifndef QMSIM_PASSWORD_FILE_H
#define QMSIM_PASSWORD_FILE_H

#include <cstddef>
#include <string>

namespace qmsim {

// Largest password file read, in bytes.
constexpr std::size_t kMaxPasswordFileBytes = 4096;

// Reads the password from the file at path: its one line, without the line
// end ("\n" or "\r\n"). Refuses (false, message naming the path in *error,
// *password unchanged) a file that cannot be read, is empty, is larger than
// kMaxPasswordFileBytes, holds a NUL byte or more than one line. The
// messages never hold the password.
bool ReadPasswordFile(const std::string& path, std::string* password, std::string* error);

}  // namespace qmsim

#endif  // QMSIM_PASSWORD_FILE_H
