#ifndef BRINDLEMARK_UI_CONSOLE_PROGRESS_H
#define BRINDLEMARK_UI_CONSOLE_PROGRESS_H

#include <chrono>
#include <cstddef>

namespace brindlemark::console {

// One line on standard error, "N of M files", redrawn in place at most ten
// times a second and erased at the end. Shown only when standard error is a
// terminal and standard output is not (the lines go to a file or a pipe):
// otherwise the lines themselves show the progress, and standard error
// stays silent. A message on standard error (printError) takes the line
// away first.
class Progress {
public:
    explicit Progress(std::size_t total);
    ~Progress() { erase(); }
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    // One more file done.
    void advance();
    // Takes the line away; nothing more is drawn.
    void erase();

private:
    void draw();
    // Clears the line drawn, if any; it is drawn again at the next file.
    void takeAway();

    bool shown_;
    bool drawn_ = false;
    std::size_t done_ = 0;
    std::size_t total_;
    std::chrono::steady_clock::time_point nextDraw_;
};

}  // namespace brindlemark::console

#endif
