#include "ui/console/progress.h"

#include <unistd.h>

#include <cstdio>

namespace {

constexpr std::chrono::milliseconds kRedrawInterval(100);

}  // namespace

Progress::Progress(std::size_t total)
    : shown_(isatty(STDERR_FILENO) == 1 && isatty(STDOUT_FILENO) == 0),
      total_(total),
      nextDraw_(std::chrono::steady_clock::now()) {}

void Progress::advance() {
    ++done_;
    if (!shown_) return;
    const auto now = std::chrono::steady_clock::now();
    if (now < nextDraw_) return;
    nextDraw_ = now + kRedrawInterval;
    draw();
}

void Progress::draw() {
    std::fprintf(stderr, "\r%zu of %zu files", done_, total_);
    std::fflush(stderr);
    drawn_ = true;
}

void Progress::erase() {
    if (drawn_) {
        std::fputs("\r\033[K", stderr);
        std::fflush(stderr);
    }
    drawn_ = false;
    shown_ = false;
}
