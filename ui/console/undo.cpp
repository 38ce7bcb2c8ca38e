#include "ui/console/undo.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>

#include "platform/dry_run_file_system.h"
#include "platform/real_file_system.h"
#include "rename/name_template.h"
#include "ui/console/journal.h"
#include "ui/console/run_ending.h"

namespace {

using brindlemark::platform::FileSystem;

std::string nameOf(const std::string& path) { return brindlemark::rename::afterLast(path.c_str(), '/'); }

// True when the entry at path (as a dry run's pretended moves leave it) is
// the file the record moved.
bool isTheMovedFile(FileSystem& fileSystem, const std::string& path, const JournalRecord& record) {
    std::string onDisk;
    struct stat info;
    return fileSystem.entryOnDisk(path, onDisk) && lstat(onDisk.c_str(), &info) == 0 &&
           static_cast<unsigned long long>(info.st_dev) == record.device &&
           static_cast<unsigned long long>(info.st_ino) == record.inode;
}

void printLine(const std::string& line) {
    if (std::fwrite(line.data(), 1, line.size(), stdout) != line.size() || std::fputc('\n', stdout) == EOF) {
        endRunOnOutputFailure();
    }
}

// Undoes one record; true when it is undone or needed nothing.
bool undoRecord(FileSystem& fileSystem, const JournalRecord& record) {
    if (isTheMovedFile(fileSystem, record.newPath, record)) {
        const bool moved = fileSystem.moveNoReplace(record.newPath.c_str(), record.oldPath.c_str()) == 0;
        printLine(nameOf(record.newPath) + (moved ? " -> " : " != ") + nameOf(record.oldPath));
        return moved;
    }
    if (isTheMovedFile(fileSystem, record.oldPath, record)) {
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
    brindlemark::platform::RealFileSystem realFileSystem;
    brindlemark::platform::DryRunFileSystem dryRunFileSystem;
    FileSystem& fileSystem = dryRun ? static_cast<FileSystem&>(dryRunFileSystem) : realFileSystem;
    bool allUndone = true;
    for (auto record = journal.records.rbegin(); record != journal.records.rend(); ++record) {
        if (!undoRecord(fileSystem, *record)) allUndone = false;
        endRunIfSignalled();
    }
    if (allUndone && !dryRun && !journal.undone && !markJournalUndone(journalPath, error)) {
        std::fprintf(stderr, "brindlemark: %s\n", error.c_str());
        return EXIT_FAILURE;
    }
    return allUndone ? EXIT_SUCCESS : EXIT_FAILURE;
}
