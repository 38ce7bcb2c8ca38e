#include "rename/batch_outcome.h"

#include <cstring>

#include "platform/path_parts.h"

namespace brindlemark::rename {

namespace {

const char* ending(Outcome outcome) {
    switch (outcome) {
        case Outcome::Renamed: return " -> ";
        case Outcome::MoveFailed: return " != ";
        case Outcome::NotSpc: return " is not an SPC";
        case Outcome::ItemsMissing: return " - ID666 tag was missing some items";
        case Outcome::NoInformation: return " - ID666 tag did not contain any information";
        case Outcome::PathTooLong: return " path and filename is more than 255 characters";
        case Outcome::InvalidTemplate: break;
    }
    return "";
}

}  // namespace

std::string outcomeLine(const FileOutcome& outcome) {
    if (outcome.outcome == Outcome::InvalidTemplate) return "Rename format is invalid";
    const char* oldName = platform::fileNameOf(outcome.droppedPath.c_str());
    std::string line(oldName, platform::pathPrefixLength(oldName, std::strlen(oldName), DROPPED_PATH_MAX_LENGTH));
    line += ending(outcome.outcome);
    if (outcome.outcome == Outcome::Renamed || outcome.outcome == Outcome::MoveFailed) {
        line += platform::fileNameOf(outcome.newPath.c_str());
    }
    return line;
}

}  // namespace brindlemark::rename
