// SIGTERM and SIGINT as a readable descriptor, so that every wait of the
// server (accept, reading, the stall, writing, the drain) can end on a stop
// request without blocking the signals.
#ifndef QMSIM_STOP_SIGNAL_H
#define QMSIM_STOP_SIGNAL_H

namespace qmsim {

// Installs handlers for SIGTERM and SIGINT (and ignores SIGPIPE) for the
// whole process, and unblocks the two stop signals in the calling thread, so
// that threads it starts afterwards inherit an open mask. The handler writes
// one byte into a pipe whose read end is never drained: once a stop signal
// arrived, StopSignalFd() stays readable for every poller. Call once, before
// starting threads. Returns false when the pipe cannot be created.
bool InstallStopSignal();

// The read end of the pipe (poll it for POLLIN); -1 before InstallStopSignal.
int StopSignalFd();

// True once SIGTERM or SIGINT arrived.
bool StopRequested();

}  // namespace qmsim

#endif  // QMSIM_STOP_SIGNAL_H
