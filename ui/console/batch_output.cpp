#include "ui/console/batch_output.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>

#include "ui/console/error_output.h"
#include "ui/console/progress.h"
#include "ui/console/run_ending.h"
#include "ui/console/tag_json.h"

namespace brindlemark::console {

using brindlemark::console::appendJsonBytesMember;
using brindlemark::rename::FileOutcome;
using brindlemark::rename::Outcome;

const char* outcomeWord(Outcome outcome) {
    switch (outcome) {
        case Outcome::Renamed: return "renamed";
        case Outcome::MoveFailed: return "move-failed";
        case Outcome::NotSpc: return "not-spc";
        case Outcome::ItemsMissing: return "items-missing";
        case Outcome::NoInformation: return "no-information";
        case Outcome::PathTooLong: return "path-too-long";
        case Outcome::InvalidTemplate: return "invalid-template";
    }
    return "unknown";
}

std::string outcomeJson(const FileOutcome& outcome) {
    std::string json = "{";
    appendJsonBytesMember(json, "path", outcome.droppedPath.data(), outcome.droppedPath.size());
    if (outcome.newPath.empty()) {
        json += ", \"newPath\": null";
    } else {
        json += ", ";
        appendJsonBytesMember(json, "newPath", outcome.newPath.data(), outcome.newPath.size());
    }
    json += ", \"outcome\": \"";
    json += outcomeWord(outcome.outcome);
    json += "\", ";
    const std::string line = brindlemark::rename::outcomeLine(outcome);
    appendJsonBytesMember(json, "line", line.data(), line.size());
    json += '}';
    return json;
}

void BatchOutput::add(const FileOutcome& outcome) {
    if (outcome.outcome != Outcome::Renamed) allRenamed_ = false;
    struct stat info;
    if (hintFolders_ && outcome.outcome == Outcome::NotSpc && stat(outcome.droppedPath.c_str(), &info) == 0 &&
        S_ISDIR(info.st_mode)) {
        printError(outcome.droppedPath + " is a folder; with -r (--recursive) the SPC files inside it are taken");
        hintFolders_ = false;
    }
    text_ = json_ ? outcomeJson(outcome) : brindlemark::rename::outcomeLine(outcome);
    text_ += '\n';
    errno = 0;
    if (std::fwrite(text_.data(), 1, text_.size(), stdout) != text_.size() || std::ferror(stdout) != 0) {
        endRunOnOutputFailure();
    }
    progress_.advance();
}

}  // namespace brindlemark::console
