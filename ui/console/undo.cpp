#include "ui/console/undo.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>

#include "platform/win32_standin.h"
#include "rename/name_template.h"
#include "ui/console/journal.h"
#include "ui/console/run_ending.h"

namespace {

std::string nameOf(const std::string& path) { return afterLast(path.c_str(), '/'); }

// True when the entry at path (as a dry run's pretended moves leave it) is
// the file the record moved.
bool isTheMovedFile(const std::string& path, const JournalRecord& record) {
    std::string onDisk;
    struct stat info;
    return standin::pretendedEntry(path.c_str(), onDisk) && lstat(onDisk.c_str(), &info) == 0 &&
           static_cast<unsigned long long>(info.st_dev) == record.device &&
           static_cast<unsigned long long>(info.st_ino) == record.inode;
}

void printLine(const std::string& line) {
    if (std::fwrite(line.data(), 1, line.size(), stdout) != line.size() || std::fputc('\n', stdout) == EOF) {
        endRunOnOutputFailure();
    }
}

// Undoes one record; true when it is undone or needed nothing.
bool undoRecord(const JournalRecord& record) {
    if (isTheMovedFile(record.newPath, record)) {
        const bool moved = MoveFileA(record.newPath.c_str(), record.oldPath.c_str()) != FALSE;
        printLine(nameOf(record.newPath) + (moved ? " -> " : " != ") + nameOf(record.oldPath));
        return moved;
    }
    if (isTheMovedFile(record.oldPath, record)) {
        printLine(nameOf(record.oldPath) + " still bears its old name");
        return true;
    }
    printLine(nameOf(record.newPath) + " is no longer the renamed file");
    return false;
}

}  // namespace

int undoJournal(const std::string& journalPath, bool dryRun) {
    Journal journal;
    std::string error;
    if (!readJournal(journalPath, journal, error)) {
        std::fprintf(stderr, "brindlemark: %s\n", error.c_str());
        return EXIT_FAILURE;
    }
    if (dryRun) standin::beginDryRun();
    bool allUndone = true;
    for (auto record = journal.records.rbegin(); record != journal.records.rend(); ++record) {
        if (!undoRecord(*record)) allUndone = false;
        endRunIfSignalled();
    }
    if (dryRun) standin::endDryRun();
    if (allUndone && !dryRun && !journal.undone && !markJournalUndone(journalPath, error)) {
        std::fprintf(stderr, "brindlemark: %s\n", error.c_str());
        return EXIT_FAILURE;
    }
    return allUndone ? EXIT_SUCCESS : EXIT_FAILURE;
}
