#include "rename/batch_outcome.h"

#include <cstring>

namespace brindlemark::rename {

namespace {

// The length of text's first bytes, at most limit, that ends at a character
// boundary: a UTF-8 sequence the limit would cut is left out whole.
std::size_t cutAtCharacter(const char* text, std::size_t length, std::size_t limit) {
    if (length <= limit) return length;
    std::size_t end = limit;
    // Step back over continuation bytes (10xxxxxx) to the lead byte of the
    // sequence the limit cuts, at most three of them.
    for (std::size_t back = 0; back < 3 && end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80;
         ++back) {
        --end;
    }
    return (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80 ? limit : end;
}

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

const char* fileNameOf(const char* path) {
    const char* name = path;
    for (const char* at = path; *at != '\0'; ++at) {
        if (std::strchr(PATH_SEPARATORS, *at) != nullptr) name = at + 1;
    }
    return name;
}

std::string outcomeLine(const FileOutcome& outcome) {
    if (outcome.outcome == Outcome::InvalidTemplate) return "Rename format is invalid";
    const char* oldName = fileNameOf(outcome.droppedPath.c_str());
    std::string line(oldName, cutAtCharacter(oldName, std::strlen(oldName), DROPPED_PATH_MAX_LENGTH));
    line += ending(outcome.outcome);
    if (outcome.outcome == Outcome::Renamed || outcome.outcome == Outcome::MoveFailed) {
        line += fileNameOf(outcome.newPath.c_str());
    }
    return line;
}

}  // namespace brindlemark::rename
