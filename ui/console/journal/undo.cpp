#include "ui/console/journal/undo.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <unordered_set>
#include <vector>

#include "platform/dry_run_file_system.h"
#include "platform/path_parts.h"
#include "platform/real_file_system.h"
#include "ui/console/error_output.h"
#include "ui/console/journal/location.h"
#include "ui/console/journal/read_ahead.h"
#include "ui/console/journal/reader.h"
#include "ui/console/journal/system.h"
#include "ui/console/run_ending.h"

namespace brindlemark::console {

namespace {

using brindlemark::platform::FileSystem;
using brindlemark::platform::SystemError;

std::string nameOf(const std::string& path) { return brindlemark::platform::nameOf(path.c_str()); }

// True when both paths are absolute and name entries of one folder: undo
// only ever gives a file back its name within its folder, whatever the
// journal says.
bool withinOneFolder(const JournalRecord& record) {
    const std::size_t slash = record.oldPath.rfind('/');
    const std::string name = nameOf(record.oldPath);
    const std::string newName = nameOf(record.newPath);
    const auto isEntry = [](const std::string& entry) { return !entry.empty() && entry != "." && entry != ".."; };
    return record.oldPath[0] == '/' && slash != std::string::npos && record.newPath.rfind('/') == slash &&
           record.oldPath.compare(0, slash, record.newPath, 0, slash) == 0 && isEntry(name) && isEntry(newName);
}

// The files as undo finds them: the real file system, or, in a dry run,
// as the pretended moves leave it.
class UndoFiles {
public:
    explicit UndoFiles(bool dryRun) {
        if (dryRun) pretended_.emplace();
    }
    FileSystem& moves() { return pretended_ ? static_cast<FileSystem&>(*pretended_) : real_; }
    // Removes one name of a file that bears two.
    SystemError removeName(const char* path) {
        if (pretended_) return pretended_->removeName(path);
        return unlink(path) == 0 ? SystemError() : SystemError("unlink", errno);
    }
    bool dryRun() const { return pretended_.has_value(); }
    // True when the entry at path is the file the record moved.
    bool isTheMovedFile(const std::string& path, const JournalRecord& record) {
        std::string onDisk = path;
        return (!pretended_ || pretended_->entryOnDisk(path, onDisk)) && isTheMovedFileAt(onDisk.c_str(), record);
    }
    // Whether the record's file is at its new and at its old name now.
    IdentityReadAhead::Found find(const JournalRecord& record) {
        return {isTheMovedFile(record.newPath, record), isTheMovedFile(record.oldPath, record)};
    }

private:
    brindlemark::platform::RealFileSystem real_;
    std::optional<brindlemark::platform::DryRunFileSystem> pretended_;  // made only for a dry run
};

// Prints one line of the undo; false when standard output failed.
bool printLine(const std::string& line) {
    if (std::fwrite(line.data(), 1, line.size(), stdout) != line.size() || std::fputc('\n', stdout) == EOF) {
        return outputFailed();
    }
    return true;
}

// What became of one record.
enum class Undone { MovedBack, AlreadyOld, Refused, Gone };

// Undoes one record, its file found where found says; written is false
// when its line could not be printed.
Undone undoRecord(UndoFiles& files, const JournalRecord& record, IdentityReadAhead::Found found, bool& written) {
    const std::string undoneLine = nameOf(record.newPath) + " -> " + nameOf(record.oldPath);
    const std::string refusedLine = nameOf(record.newPath) + " != " + nameOf(record.oldPath);
    if (!withinOneFolder(record)) {
        written = printLine(refusedLine);
        printError(record.newPath + " and " + record.oldPath +
                   " lie in different folders; undo gives a file back its name within its folder only");
        return Undone::Refused;
    }
    const bool atNewName = found.atNewName, atOldName = found.atOldName;
    if (atNewName) {
        // Both names: killed between the link of the new name and the unlink
        // of the old one; the file loses the new one.
        const bool done = !(atOldName ? files.removeName(record.newPath.c_str())
                                      : files.moves().moveNoReplace(record.newPath.c_str(), record.oldPath.c_str()));
        written = printLine(done ? undoneLine : refusedLine);
        return done ? Undone::MovedBack : Undone::Refused;
    }
    if (atOldName) {
        written = printLine(nameOf(record.oldPath) + " still bears its old name");
        return Undone::AlreadyOld;
    }
    written = printLine(nameOf(record.newPath) + " is no longer the renamed file");
    return Undone::Gone;
}

}  // namespace

int undoJournal(const std::string& journalPath, bool dryRun) {
    JournalToUndo journal;
    std::string error;
    if (journalPath.empty()) {
        const std::string folder = journalFolder();
        const JournalToUndo::Found found = journal.openNewest(folder, dryRun, error);
        if (found == JournalToUndo::Found::None) error = "no run to undo in " + folder;
        if (found != JournalToUndo::Found::Journal) {
            printError(error + (found == JournalToUndo::Found::Refused ? "; nothing was undone" : ""));
            return EXIT_FAILURE;
        }
    } else if (!journal.open(journalPath, dryRun, error)) {
        printError(error + "; nothing was undone");
        return EXIT_FAILURE;
    } else if (!journal.journal().hasMovesToUndo()) {
        printError("the run of " + journalPath + " is undone: nothing is left to undo");
        return EXIT_SUCCESS;
    }
    UndoFiles files(dryRun);
    const Journal& records = journal.journal();
    // The records left, last to first: never made or given back by an
    // earlier undo, they are passed over.
    std::vector<const JournalRecord*> order;
    for (std::size_t i = records.records.size(); i > records.undone; --i) {
        if (records.records[i - 1].isLeft()) order.push_back(&records.records[i - 1]);
    }
    // A real undo on a network share reads ahead, where the waits for the
    // network overlap; on a local disk the threads would only cost. What it
    // changed itself it asks again.
    std::optional<IdentityReadAhead> readAhead;
    if (!files.dryRun() && !order.empty() && onNetworkShare(brindlemark::platform::folderOf(order.front()->newPath))) {
        readAhead.emplace(order);
    }
    std::unordered_set<std::string> changed;  // names this undo gave or took away
    std::vector<const JournalRecord*> givenBack;
    std::size_t count[4] = {};  // of each Undone
    for (std::size_t k = 0; k < order.size(); ++k) {
        const JournalRecord& record = *order[k];
        IdentityReadAhead::Found found = readAhead ? readAhead->take(k) : files.find(record);
        if (readAhead && (changed.count(record.newPath) != 0 || changed.count(record.oldPath) != 0)) {
            found = files.find(record);
        }
        bool written = true;
        const Undone undone = undoRecord(files, record, found, written);
        if (undone == Undone::MovedBack) changed.insert({record.newPath, record.oldPath});
        ++count[static_cast<int>(undone)];
        if (undone == Undone::MovedBack || undone == Undone::AlreadyOld) givenBack.push_back(&record);
        // Stopped by a signal or failed output: the journal stays as it
        // was, and the next undo finds what is done already.
        if (!written || stopSignalled()) return EXIT_FAILURE;
    }
    const std::size_t left = count[static_cast<int>(Undone::Refused)] + count[static_cast<int>(Undone::Gone)];
    printSummary(givenBack.size() + left,
                 {{count[static_cast<int>(Undone::MovedBack)], dryRun ? "would be moved back" : "moved back"},
                  {count[static_cast<int>(Undone::AlreadyOld)], "already bore their old names"},
                  {left, dryRun ? (left == 1 ? "would keep its new name" : "would keep their new names")
                                : (left == 1 ? "kept its new name" : "kept their new names")}},
                 {{count[static_cast<int>(Undone::Refused)], "refused"},
                  {count[static_cast<int>(Undone::Gone)], "no longer the renamed file"}});
    if (dryRun || !records.hasMovesToUndo()) return left == 0 ? EXIT_SUCCESS : EXIT_FAILURE;
    if (left == 0) {
        if (journal.markUndone(error)) return EXIT_SUCCESS;
        printError(error);
        return EXIT_FAILURE;
    }
    // The journal is marked gone through, so that the next plain --undo
    // takes the run before it; the moves left stay to be tried again.
    if (!journal.markGoneThrough(givenBack, error)) printError(error);
    printError(std::to_string(left) + (left == 1 ? " file keeps its" : " files keep their") +
               " new name; to try again: brindlemark --undo " + journal.path());
    return EXIT_FAILURE;
}

}  // namespace brindlemark::console
