#include "ui/console/error_output.h"

#include <unistd.h>

#include <algorithm>
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

void printSummary(std::size_t files, const std::vector<SummaryCount>& counts, std::vector<SummaryCount> causes) {
    if (files < 2 || counts.empty() || isatty(STDERR_FILENO) != 1) return;
    std::string line;
    const auto append = [&line](const SummaryCount& part, const char* separator) {
        if (!line.empty()) line += separator;
        line += std::to_string(part.count) + " " + part.what;
    };
    for (std::size_t i = 0; i < counts.size(); ++i) {
        if (i == 0 || counts[i].count != 0) append(counts[i], ", ");
    }
    std::stable_sort(causes.begin(), causes.end(),
                     [](const SummaryCount& a, const SummaryCount& b) { return a.count > b.count; });
    const char* separator = ": ";
    for (const SummaryCount& cause : causes) {
        if (cause.count == 0) continue;
        append(cause, separator);
        separator = ", ";
    }
    printError(line);
}

void setLineInPlace(std::function<void()> takeAway) { lineInPlace() = std::move(takeAway); }

}  // namespace brindlemark::console
