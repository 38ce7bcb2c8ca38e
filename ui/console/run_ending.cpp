#include "ui/console/run_ending.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "ui/console/error_output.h"

namespace brindlemark::console {

namespace {

volatile sig_atomic_t stopSignal = 0;

// The first stop signal is noted; a second one stops the run at once, for
// a file that never comes back (a hung network share).
void noteStopSignal(int signal) {
    if (stopSignal != 0) {
        ::signal(signal, SIG_DFL);
        raise(signal);
    }
    stopSignal = signal;
}

bool outputBroken = false;      // standard output failed
bool readerGone = false;        // ... because its reader went away (EPIPE)

// Ends the process by signal, as it would have ended without the deferral.
[[noreturn]] void endBySignal(int signal) {
    ::signal(signal, SIG_DFL);
    raise(signal);
    std::_Exit(128 + signal);
}

}  // namespace

bool outputFailed() {
    const int cause = errno != 0 ? errno : EIO;
    std::clearerr(stdout);
    if (outputBroken) return false;
    outputBroken = true;
    // A reader that went away (`| head`) ends the run as it ends every Unix
    // tool, by SIGPIPE and without a word.
    readerGone = cause == EPIPE;
    if (!readerGone) printError(std::string("cannot write standard output: ") + std::strerror(cause));
    return false;
}

int endRun(int exitStatus) {
    errno = 0;
    if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) outputFailed();
    if (stopSignal != 0) endBySignal(stopSignal);
    if (readerGone) endBySignal(SIGPIPE);
    return outputBroken ? EXIT_FAILURE : exitStatus;
}

std::vector<int> deferredSignals() {
    std::vector<int> signals{SIGHUP,  SIGINT,    SIGQUIT, SIGTERM, SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM,
                             SIGPROF, SIGIO,     SIGPWR,  SIGXCPU, SIGPIPE, SIGSTKFLT};
    for (int realTime = SIGRTMIN; realTime <= SIGRTMAX; ++realTime) signals.push_back(realTime);
    return signals;
}

void deferStopSignals() {
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = noteStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : deferredSignals()) {
        // A signal ignored when the run began (nohup, a shell's background
        // job) stays ignored.
        struct sigaction before;
        if (sigaction(signal, nullptr, &before) == 0 && before.sa_handler == SIG_IGN) continue;
        sigaction(signal, &action, nullptr);
    }
    // A file-size limit reached at a journal record is a short write, which
    // takes the full-disk path, not the end of the process.
    ::signal(SIGXFSZ, SIG_IGN);
}

bool stopSignalled() { return stopSignal != 0; }

bool standardOutputClosed() { return fcntl(STDOUT_FILENO, F_GETFL) < 0 && errno == EBADF; }

}  // namespace brindlemark::console
