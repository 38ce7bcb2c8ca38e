#include "ui/console/progress.h"

#include <unistd.h>

#include <cstdio>

#include "ui/console/error_output.h"

namespace brindlemark::console {

namespace {

constexpr std::chrono::milliseconds REDRAW_INTERVAL(100);

}  // namespace

Progress::Progress(std::size_t total)
    : shown_(isatty(STDERR_FILENO) == 1 && isatty(STDOUT_FILENO) == 0),
      total_(total),
      nextDraw_(std::chrono::steady_clock::now()) {
    // A message on standard error takes the line away; the next file draws it again.
    if (shown_) setLineInPlace([this] { takeAway(); });
}

void Progress::advance() {
    ++done_;
    if (!shown_) return;
    const auto now = std::chrono::steady_clock::now();
    if (now < nextDraw_) return;
    nextDraw_ = now + REDRAW_INTERVAL;
    draw();
}

void Progress::draw() {
    std::fprintf(stderr, "\r%zu of %zu files", done_, total_);
    std::fflush(stderr);
    drawn_ = true;
}

void Progress::takeAway() {
    if (drawn_) {
        std::fputs("\r\033[K", stderr);
        std::fflush(stderr);
    }
    drawn_ = false;
    nextDraw_ = std::chrono::steady_clock::now();
}

void Progress::erase() {
    takeAway();
    if (shown_) setLineInPlace(nullptr);
    shown_ = false;
}

}  // namespace brindlemark::console
