// The run of qmrecinfo after its options were accepted.
#ifndef QM_CMDLINE_RUN_SEQUENCE_H_
#define QM_CMDLINE_RUN_SEQUENCE_H_

class QMLinux;

// Runs the recording query for the option values on `server` and writes
// the result file: the list form when the query answered, else the error
// form with code 4. Returns the exit status, 0 or 4.
int ProcessGetRecInfo(QMLinux* server);

// Reads the DVR's credentials from the device manager's segment, runs the
// query against the server named by the options, writes the result file and
// ends the process: status 0 or 4, or 1 (error code 2) when the device
// manager's segment is not available. Never returns.
[[noreturn]] void RunSequence();

#endif  // QM_CMDLINE_RUN_SEQUENCE_H_
