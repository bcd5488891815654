// The run of qmrecinfo after its options were accepted.
#ifndef QM_CMDLINE_RUN_SEQUENCE_H_
#define QM_CMDLINE_RUN_SEQUENCE_H_

// Runs the query for the parsed options, writes the result file and ends
// the process with the run's exit status. Never returns.
[[noreturn]] void RunSequence();

#endif  // QM_CMDLINE_RUN_SEQUENCE_H_
