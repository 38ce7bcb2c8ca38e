#ifndef BRINDLEMARK_UI_CONSOLE_RUN_ENDING_H
#define BRINDLEMARK_UI_CONSOLE_RUN_ENDING_H

#include <vector>

namespace brindlemark::console {

// How a run ends, however it ends: at its close, when standard output fails,
// or when a signal asks it to stop. Each mode stops between two files and
// returns; what must outlive the run (the journal on disk, an erased
// progress line) is done by the destructors of its owners on the way back,
// and main ends the run last of all with endRun.

// Says on standard error, once, that standard output failed (errno tells
// why; nothing when the reader went away), and remembers it. Returns false,
// for the caller to stop. The renames already made stay made.
bool outputFailed();

// main's last step: flushes standard output; then ends the process by the
// stop signal that came, or by SIGPIPE when the reader went away, as it
// would have ended without the deferral. Otherwise the exit status:
// exitStatus, or 1 when standard output failed.
int endRun(int exitStatus);

// From now on no catchable signal whose default action ends the process
// stops the run at once (SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGPIPE, SIGUSR1,
// SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF, SIGIO, SIGPWR, SIGXCPU, SIGSTKFLT and
// the real-time signals; those ignored at the start stay ignored): they are
// noted, and each mode stops between two files (see stopSignalled), so that every
// file is either renamed with its line printed or untouched. A second stop
// signal stops the run at once. SIGXFSZ is ignored: a write beyond the
// file-size limit fails as on a full disk. Only SIGKILL and the signals of
// faults in the program itself (SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT,
// SIGTRAP, SIGSYS) end it at once.
void deferStopSignals();

// True once a stop signal came.
bool stopSignalled();

// The signals deferStopSignals() defers.
std::vector<int> deferredSignals();

// True when standard output was closed before the run began.
bool standardOutputClosed();

}  // namespace brindlemark::console

#endif
