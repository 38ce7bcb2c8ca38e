#include "ui/console/error_output.h"

#include <cstdio>
#include <utility>

namespace brindlemark::console {

namespace {

std::function<void()>& lineInPlace() {
    static std::function<void()> takeAway;
    return takeAway;
}

}  // namespace

void printError(const std::string& message) {
    if (lineInPlace()) lineInPlace()();
    const std::string line = "brindlemark: " + message + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
}

void setLineInPlace(std::function<void()> takeAway) { lineInPlace() = std::move(takeAway); }

}  // namespace brindlemark::console
