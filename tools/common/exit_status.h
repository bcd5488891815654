// Exit statuses shared by qmsim, qmdevmgr and qmctl, so that a script can
// treat every tool of the project alike. qmrecinfo keeps its own statuses
// (0, 1, 4), which its callers depend on.
#pragma once

namespace qmtools {

enum ExitStatus : int {
  kExitOk = 0,           // the command did what was asked
  kExitFailure = 1,      // a file or value the command needs is unusable
                         // (scenario file, password file, I/O error)
  kExitUsage = 2,        // the command line is wrong; nothing was touched
  kExitNoSegment = 3,    // the device-manager segment is missing or unusable
  kExitUnreachable = 4,  // the server could not be reached or sent nothing
  kExitLoginRefused = 5, // the server refused the user name or password
  kExitBadReply = 6,     // the server answered with something unreadable
  kExitNotFound = 7,     // the server answered, but without what was asked
};

// The table printed at the end of every tool's --help.
inline constexpr const char kExitStatusHelp[] =
    "Exit status:\n"
    "  0  success\n"
    "  1  an input file or value is unusable (scenario, password file, I/O)\n"
    "  2  usage error (wrong options); nothing was done\n"
    "  3  the device-manager segment is missing or unusable\n"
    "  4  the server could not be reached, or closed without answering\n"
    "  5  the server refused the login\n"
    "  6  the server's reply could not be read\n"
    "  7  the server answered without the record asked for\n";

}  // namespace qmtools
