#include "ui/console/batch_output.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>

#include "rename/name_template.h"
#include "ui/console/progress.h"
#include "ui/console/run_ending.h"
#include "ui/tag_json.h"

namespace {

void appendJson(std::string& out, const std::string& text) { appendJsonString(out, text.data(), text.size()); }

}  // namespace

std::string outcomeJson(const std::string& droppedPath, const std::string& line, const LineOutcome& outcome) {
    std::string json = "{\"path\": ";
    appendJson(json, droppedPath);
    json += ", \"newPath\": ";
    if (outcome.outcome == BatchOutcome::Renamed || outcome.outcome == BatchOutcome::MoveFailed) {
        const char* const path = droppedPath.c_str();
        appendJson(json, std::string(path, afterLast(path, '/')) + outcome.newName);
    } else {
        json += "null";
    }
    json += ", \"outcome\": \"";
    json += outcomeWord(outcome.outcome);
    json += "\", \"line\": ";
    appendJson(json, line);
    json += '}';
    return json;
}

void BatchOutput::add(const char* line) {
    static const std::string noPath;
    text_ = line;
    const std::string& dropped = drop_.current < drop_.paths.size() ? drop_.paths[drop_.current] : noPath;
    const LineOutcome outcome = readBatchLine(text_, dropped);
    if (outcome.outcome != BatchOutcome::Renamed) allRenamed_ = false;
    struct stat info;
    if (hintFolders_ && outcome.outcome == BatchOutcome::NotSpc && stat(dropped.c_str(), &info) == 0 &&
        S_ISDIR(info.st_mode)) {
        std::fprintf(stderr, "brindlemark: %s is a folder; with -r (--recursive) the SPC files inside it are taken\n",
                     dropped.c_str());
        hintFolders_ = false;
    }
    if (json_) text_ = outcomeJson(dropped, text_, outcome);
    text_ += '\n';
    errno = 0;
    if (std::fwrite(text_.data(), 1, text_.size(), stdout) != text_.size() || std::ferror(stdout) != 0) {
        endRunOnOutputFailure();
    }
    progress_.advance();
}
