#ifndef BRINDLEMARK_UI_CONSOLE_JOURNAL_LOCATION_H
#define BRINDLEMARK_UI_CONSOLE_JOURNAL_LOCATION_H

// Where journals are kept, who may use them, and how long they stay.

#include <sys/stat.h>

#include <cstddef>
#include <ctime>
#include <string>
#include <vector>

namespace brindlemark::console {

// The folder that holds the journals: $XDG_STATE_HOME/brindlemark/journal,
// or ~/.local/state/brindlemark/journal when XDG_STATE_HOME is unset, empty
// or not an absolute path. Empty when no home folder can be told.
std::string journalFolder();

// The paths of the journals of folder, newest first: the runs as --runs
// numbers them from 1.
std::vector<std::string> journalPaths(const std::string& folder);

// The start of the run that a journal's name gives (UTC); false when the
// name gives none.
bool journalRunStart(const std::string& path, std::time_t& start);

// Why a journal folder or journal file, as fstat or stat describes it, is
// not to be used: it belongs to another user than the effective one, or
// others may write it. Empty when it may be used.
std::string whyNotPrivate(const struct stat& info);

// How long journals are kept: at the start of a real run, the journals of
// the journal folder that are undone, and those older than KEPT_DAYS beyond
// the KEPT_NEWEST newest that stay, are removed. The file ".pruned" there
// keeps the time the last pruning began: a journal not changed since then is
// not opened again, so that a folder of many journals costs a run little.
constexpr std::size_t KEPT_NEWEST = 100;
constexpr int KEPT_DAYS = 90;
void pruneJournals(const std::string& folder, std::time_t now);

// Whether journals can be kept in folder: it belongs to the user, no one
// else may write it, and the user may list, write and search it (a journal
// is created there and the folder flushed). make: missing folders are made,
// private to the user; without it (a dry run) a missing folder passes when
// the folder above it could hold it. False with the message in error. The
// real run and the dry run both ask this.
bool readyJournalFolder(const std::string& folder, bool make, std::string& error);

// Why a journal cannot be created and flushed in folder: the error number
// of the access the user lacks, 0 when it can.
int folderRefusal(const std::string& folder);

// What a dry run asks of the journal FILE a real run would create, without
// writing: false with the real run's message in error when it could not.
bool journalFileCreatable(const std::string& path, std::string& error);

// The paths of the journals of folder, newest first: the runs as --runs
// numbers them from 1.
std::vector<std::string> journalPaths(const std::string& folder);

// The start of the run that a journal's name gives (UTC); false when the
// name gives none.
bool journalRunStart(const std::string& path, std::time_t& start);

// The name of a new journal of a run started now: its start in UTC and
// the process number, so that names sort by time.
std::string newJournalName(const timespec& now);

}  // namespace brindlemark::console

#endif
