#ifndef BRINDLEMARK_UI_CONSOLE_ERROR_OUTPUT_H
#define BRINDLEMARK_UI_CONSOLE_ERROR_OUTPUT_H

#include <functional>
#include <string>

namespace brindlemark::console {

// Standard error of the console: every message goes through printError, so
// that none is printed onto a line drawn in place there (the progress line),
// which is taken away first and drawn again later by its owner.

// Prints "brindlemark: " + message and a newline on standard error.
void printError(const std::string& message);

// Called before each message while set: takes away the line drawn in place.
// Empty: nothing to take away.
void setLineInPlace(std::function<void()> takeAway);

}  // namespace brindlemark::console

#endif
