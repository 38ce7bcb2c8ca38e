#include "ui/console/batch_output.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "ui/console/errno_name.h"
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
    // Why a move failed, where the system said (the dry run too, where it
    // knows the cause); the line stays as the dialog's.
    if (outcome.outcome == Outcome::MoveFailed && outcome.error != 0) {
        const std::string message = std::strerror(outcome.error);
        json += ", ";
        appendJsonBytesMember(json, "error", message.data(), message.size());
        const char* name = errnoName(outcome.error);
        json += ", \"errno\": ";
        json += name != nullptr ? std::string("\"") + name + "\"" : std::to_string(outcome.error);
    }
    json += '}';
    return json;
}

void BatchOutput::sayWhyNotSpc(const std::string& path) {
    struct stat info;
    if (stat(path.c_str(), &info) != 0) {
        if (errno == ENOENT) printError(path + ": " + std::strerror(ENOENT));
    } else if (hintFolders_ && S_ISDIR(info.st_mode)) {
        printError(path + " is a folder; with -r (--recursive) the SPC files inside it are taken");
        hintFolders_ = false;
    }
}

bool BatchOutput::add(const FileOutcome& outcome) {
    if (outcome.outcome != Outcome::Renamed) allRenamed_ = false;
    switch (outcome.outcome) {
        case Outcome::Renamed: ++(outcome.newPath == outcome.droppedPath ? alreadyNamed_ : renamed_); break;
        case Outcome::MoveFailed: ++kept_[outcome.error == EEXIST ? NAME_TAKEN : MOVE_FAILED]; break;
        case Outcome::NotSpc: ++kept_[NOT_SPC]; break;
        case Outcome::ItemsMissing: ++kept_[MISSING_ITEMS]; break;
        case Outcome::NoInformation: ++kept_[NO_INFORMATION]; break;
        case Outcome::PathTooLong: ++kept_[PATH_TOO_LONG]; break;
        case Outcome::InvalidTemplate: ++kept_[INVALID_TEMPLATE]; break;
    }
    if (outcome.outcome == Outcome::NotSpc) sayWhyNotSpc(outcome.droppedPath);
    text_ = json_ ? outcomeJson(outcome) : brindlemark::rename::outcomeLine(outcome);
    text_ += '\n';
    errno = 0;
    if (std::fwrite(text_.data(), 1, text_.size(), stdout) != text_.size() || std::ferror(stdout) != 0) {
        return outputFailed();
    }
    progress_.advance();
    return true;
}

void BatchOutput::summarise(std::size_t files, bool dryRun) const {
    static const char* const CAUSE_WORDS[CAUSES] = {"missing items",  "name taken",    "move failed",     "not SPC",
                                                     "no information", "path too long", "invalid template"};
    std::size_t kept = 0;
    std::vector<SummaryCount> causes;
    for (int cause = 0; cause < CAUSES; ++cause) {
        kept += kept_[cause];
        causes.push_back({kept_[cause], CAUSE_WORDS[cause]});
    }
    const bool one = kept == 1;
    printSummary(files,
                 {{renamed_, dryRun ? "would be renamed" : "renamed"},
                  {alreadyNamed_, "already so named"},
                  {kept, dryRun ? (one ? "would keep its name" : "would keep their names")
                                : (one ? "kept its name" : "kept their names")}},
                 causes);
}

}  // namespace brindlemark::console
