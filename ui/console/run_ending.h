#ifndef BRINDLEMARK_UI_CONSOLE_RUN_ENDING_H
#define BRINDLEMARK_UI_CONSOLE_RUN_ENDING_H

#include <functional>
#include <vector>

namespace brindlemark::console {

// How a run ends, however it ends: at its close, when standard output fails,
// or when a signal asks it to stop. Whatever must outlive the run (the
// journal on disk, the lines already printed, an erased progress line) is
// registered once and done once.

// Registers what must be done at the end of the run, in the order given.
void atRunEnd(std::function<void()> finisher);

// Does the registered work (once) and flushes standard output. False when
// standard output could not be written or flushed (it is said on standard
// error).
bool finishRun();

// Ends the process now with the exit status, after finishRun().
[[noreturn]] void endRun(int exitStatus);

// From now on no catchable signal whose default action ends the process
// stops the run at once (SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGPIPE, SIGUSR1,
// SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF, SIGIO, SIGPWR, SIGXCPU, SIGSTKFLT and
// the real-time signals; those ignored at the start stay ignored): they are
// noted, and endRunIfSignalled() stops it between two files, so that every
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

// When a stop signal came: finishRun(), then the process ends by that
// signal, as it would have without the deferral.
void endRunIfSignalled();

// Says on standard error that standard output failed, and ends the run with
// status 1. The renames already made stay made.
[[noreturn]] void endRunOnOutputFailure();

// True when standard output was closed before the run began.
bool standardOutputClosed();

}  // namespace brindlemark::console

#endif
