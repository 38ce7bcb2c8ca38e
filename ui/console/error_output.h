#ifndef BRINDLEMARK_UI_CONSOLE_ERROR_OUTPUT_H
#define BRINDLEMARK_UI_CONSOLE_ERROR_OUTPUT_H

#include <functional>
#include <cstddef>
#include <string>
#include <vector>

namespace brindlemark::console {

// Standard error of the console: every message goes through printError, so
// that none is printed onto a line drawn in place there (the progress line),
// which is taken away first and drawn again later by its owner.

// Prints "brindlemark: " + message and a newline on standard error.
void printError(const std::string& message);

// The counts of a run's outcomes, each with its words.
struct SummaryCount {
    std::size_t count;
    const char* what;
};

// At the end of a run of more than one file, when standard error is a
// terminal: one line there of the counts given, those after the first only
// when not 0; causes, when any is not 0, follow a colon, the largest first.
//   312 renamed, 2 already so named, 4 kept their names: 3 missing items, 1 name taken
void printSummary(std::size_t files, const std::vector<SummaryCount>& counts, std::vector<SummaryCount> causes);

// Called before each message while set: takes away the line drawn in place.
// Empty: nothing to take away.
void setLineInPlace(std::function<void()> takeAway);

}  // namespace brindlemark::console

#endif
