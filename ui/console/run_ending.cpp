#include "ui/console/run_ending.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "ui/console/error_output.h"

namespace brindlemark::console {

namespace {

volatile sig_atomic_t stopSignal = 0;

std::vector<std::function<void()>>& finishers() {
    static std::vector<std::function<void()>> registered;
    return registered;
}

// The first stop signal is noted; a second one stops the run at once, for
// a file that never comes back (a hung network share).
void noteStopSignal(int signal) {
    if (stopSignal != 0) {
        ::signal(signal, SIG_DFL);
        raise(signal);
    }
    stopSignal = signal;
}

bool outputFailed = false;

// A reader that went away (`| head`) ends the run as it ends every Unix
// tool, by SIGPIPE and without a word; the registered work is done first,
// so the renames made so far stay in the journal.
[[noreturn]] void endByBrokenPipe() {
    ::signal(SIGPIPE, SIG_DFL);
    raise(SIGPIPE);
    std::_Exit(128 + SIGPIPE);
}

void sayOutputFailed(int cause) {
    if (outputFailed) return;
    outputFailed = true;
    if (cause == EPIPE) return;
    printError(std::string("cannot write standard output: ") + std::strerror(cause));
}

}  // namespace

void atRunEnd(std::function<void()> finisher) { finishers().push_back(std::move(finisher)); }

bool finishRun() {
    std::vector<std::function<void()>> pending;
    pending.swap(finishers());
    for (const auto& finisher : pending) finisher();
    errno = 0;
    if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
        const int cause = errno != 0 ? errno : EIO;
        if (cause == EPIPE) endByBrokenPipe();
        sayOutputFailed(cause);
        return false;
    }
    return !outputFailed;
}

void endRun(int exitStatus) {
    const bool written = finishRun();
    std::exit(written ? exitStatus : EXIT_FAILURE);
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

void endRunIfSignalled() {
    if (stopSignal == 0) return;
    const int signal = stopSignal;
    finishRun();
    ::signal(signal, SIG_DFL);
    raise(signal);
    std::_Exit(128 + signal);
}

void endRunOnOutputFailure() {
    const int cause = errno != 0 ? errno : EIO;
    sayOutputFailed(cause);
    std::clearerr(stdout);
    finishRun();
    if (cause == EPIPE) endByBrokenPipe();
    std::_Exit(EXIT_FAILURE);
}

bool standardOutputClosed() { return fcntl(STDOUT_FILENO, F_GETFL) < 0 && errno == EBADF; }

}  // namespace brindlemark::console
