#include "ui/console/journal/runs.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <set>
#include <vector>

#include "platform/path_parts.h"
#include "ui/console/error_output.h"
#include "ui/console/journal/location.h"
#include "ui/console/journal/reader.h"
#include "ui/console/run_ending.h"

namespace brindlemark::console {

namespace {

// What one run did: its moves, how many of them are undone, and where.
std::string runSummary(const Journal& journal) {
    std::size_t moves = 0, undone = 0;
    std::set<std::string> folders;
    for (std::size_t i = 0; i < journal.records.size(); ++i) {
        const JournalRecord& record = journal.records[i];
        if (record.refused) continue;
        ++moves;
        if (i < journal.undone || record.givenBack) ++undone;
        folders.insert(brindlemark::platform::folderOf(record.oldPath));
    }
    std::string text = std::to_string(moves) + (moves == 1 ? " move, " : " moves, ") + std::to_string(undone) + " undone  ";
    if (folders.size() == 1) return text + *folders.begin();
    return text + std::to_string(folders.size()) + " folders";
}

std::string whenOf(const std::string& path) {
    std::time_t start = 0;
    tm local{};
    char when[64];
    if (!journalRunStart(path, start) || localtime_r(&start, &local) == nullptr ||
        std::strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S", &local) == 0) {
        return "-";
    }
    return when;
}

}  // namespace

int listRuns() {
    const std::string folder = journalFolder();
    struct stat info;
    if (folder.empty() || stat(folder.c_str(), &info) != 0) {
        if (!folder.empty() && errno == ENOENT) return EXIT_SUCCESS;  // no run yet
        printError("cannot read the journal folder " + folder + ": " +
                   std::strerror(folder.empty() ? ENOENT : errno));
        return EXIT_FAILURE;
    }
    const std::vector<std::string> paths = journalPaths(folder);
    for (std::size_t i = 0; i < paths.size(); ++i) {
        JournalToUndo run;
        std::string error;
        const std::string what = run.open(paths[i], true, error) ? runSummary(run.journal()) : error;
        const std::string line = std::to_string(i + 1) + "  " + whenOf(paths[i]) + "  " + what + "  " + paths[i] + "\n";
        if (std::fwrite(line.data(), 1, line.size(), stdout) != line.size()) {
            outputFailed();
            return EXIT_FAILURE;
        }
    }
    return EXIT_SUCCESS;
}

bool isRunNumber(const std::string& text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

bool runJournal(const std::string& text, std::string& path, std::string& error) {
    const std::string folder = journalFolder();
    const std::vector<std::string> paths = journalPaths(folder);
    errno = 0;
    const unsigned long long number = std::strtoull(text.c_str(), nullptr, 10);
    if (errno != 0 || number == 0 || number > paths.size()) {
        error = "there is no run " + text + ": the journal folder " + folder + " holds " + std::to_string(paths.size()) +
                (paths.size() == 1 ? " run" : " runs") + " (see --runs)";
        return false;
    }
    path = paths[number - 1];
    return true;
}

}  // namespace brindlemark::console
