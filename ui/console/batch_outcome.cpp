#include "ui/console/batch_outcome.h"

#include <cstring>

#include "rename/name_template.h"

namespace {

// The longest path a drop delivers; a longer one arrives cut.
constexpr std::size_t kDroppedPathMax = 254;

struct Ending {
    const char* text;
    BatchOutcome outcome;
};

constexpr Ending kEndings[] = {
    {" is not an SPC", BatchOutcome::NotSpc},
    {" - ID666 tag was missing some items", BatchOutcome::ItemsMissing},
    {" - ID666 tag did not contain any information", BatchOutcome::NoInformation},
    {" path and filename is more than 255 characters", BatchOutcome::PathTooLong},
};

bool startsWith(const std::string& text, std::size_t at, const char* prefix) {
    return text.compare(at, std::strlen(prefix), prefix) == 0;
}

}  // namespace

LineOutcome readBatchLine(const std::string& line, const std::string& droppedPath) {
    LineOutcome result;
    const std::string seen = droppedPath.substr(0, kDroppedPathMax);
    const std::string oldName = afterLast(seen.c_str(), '/');
    if (line.compare(0, oldName.size(), oldName) == 0) {
        const std::size_t rest = oldName.size();
        if (startsWith(line, rest, " -> ") || startsWith(line, rest, " != ")) {
            result.outcome = line[rest + 1] == '-' ? BatchOutcome::Renamed : BatchOutcome::MoveFailed;
            result.newName = line.substr(rest + 4);
            return result;
        }
        for (const Ending& ending : kEndings) {
            if (line.compare(rest, std::string::npos, ending.text) == 0) {
                result.outcome = ending.outcome;
                return result;
            }
        }
    }
    if (line == "Rename format is invalid") result.outcome = BatchOutcome::InvalidTemplate;
    return result;
}

const char* outcomeWord(BatchOutcome outcome) {
    switch (outcome) {
        case BatchOutcome::Renamed: return "renamed";
        case BatchOutcome::MoveFailed: return "move-failed";
        case BatchOutcome::NotSpc: return "not-spc";
        case BatchOutcome::ItemsMissing: return "items-missing";
        case BatchOutcome::NoInformation: return "no-information";
        case BatchOutcome::PathTooLong: return "path-too-long";
        case BatchOutcome::InvalidTemplate: return "invalid-template";
        case BatchOutcome::Unknown: break;
    }
    return "unknown";
}
