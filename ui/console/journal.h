#ifndef BRINDLEMARK_UI_CONSOLE_JOURNAL_H
#define BRINDLEMARK_UI_CONSOLE_JOURNAL_H

// The journal of a rename run: one text file per run that names every move
// the run may have made, so that the run can be undone even after a crash.
//
//   brindlemark journal 2
//   move<TAB>DEVICE<TAB>INODE<TAB>BIRTH<TAB>MODIFIED<TAB>SIZE<TAB>OLD PATH<TAB>NEW PATH
//   refused<TAB>OLD PATH<TAB>NEW PATH
//   back<TAB>OLD PATH<TAB>NEW PATH
//   tried
//   undone
//
// One record per line, written with a single write before its move is
// attempted. DEVICE, INODE, BIRTH (the birth time, "-" where the file
// system keeps none), MODIFIED (the modification time) and SIZE tell the
// file that was at OLD PATH; times are SECONDS.NANOSECONDS since 1970, all
// numbers decimal. A "refused" line follows the record of a move that was
// then refused: that move was never made. "undone" marks every record above
// it undone. An undo that went through the journal and could not move every
// file back adds a "back" line for each move it gave back (matched to its
// record as a "refused" line is) and then a "tried" line: the journal was
// gone through, a plain --undo passes over it, and an undo of the journal
// by its path retries only the moves left. Readers that know neither line
// pass over both. A line counts only with its closing newline: a last line cut
// short by a full disk names no move that was made. Format 1 journals
// ("brindlemark journal 1", records move<TAB>DEVICE<TAB>INODE<TAB>OLD<TAB>NEW)
// are read too.
//
// In the paths a backslash is written "\\", a tab "\t", a newline "\n", a
// carriage return "\r", and any other byte below 0x20 and 0x7F "\xHH"; every
// other byte (UTF-8 included) stands as it is.
//
// A journal is only ever used when it, and the journal folder, belong to
// the user running Brindlemark and no one else may write them. A running
// run holds a lock on its journal; an undo takes the lock too, and refuses a
// journal in use.

#include <sys/stat.h>

#include <cstddef>
#include <ctime>
#include <string>
#include <vector>

#include "platform/file_descriptor.h"

namespace brindlemark::console {

struct FileTime {
    long long seconds = 0;
    unsigned nanoseconds = 0;
    bool operator==(const FileTime& other) const {
        return seconds == other.seconds && nanoseconds == other.nanoseconds;
    }
};

// What tells one file from another over time, as far as the file system
// keeps it. A rename changes none of it.
struct FileIdentity {
    unsigned long long device = 0, inode = 0;
    bool timesKnown = false;  // false in format 1 records: device and inode only
    bool birthKnown = false;  // the file system keeps birth times
    FileTime birth, modified;
    unsigned long long size = 0;
};

// The identity of the entry at path, not followed if it is a symbolic link:
// one statx. False with errno set when there is no such entry.
bool identityAt(const char* path, FileIdentity& identity);

// True when now is the file that recorded describes. Inode numbers are
// handed to new files once freed, and device numbers change from mount to
// mount (FUSE, USB sticks, loop devices): the device may differ, the inode
// must match. Where a birth time was recorded it must match too, and then
// the file may have been written to or touched since; where none was, the
// size and the modification time must match. A format 1 record knows only
// device and inode, and both must match.
bool isSameFile(const FileIdentity& recorded, const FileIdentity& now);

struct JournalRecord {
    FileIdentity file;
    std::string oldPath, newPath;
    bool refused = false;    // the move was refused: it was never made
    bool givenBack = false;  // an undo gave the file its old name back
    // True when the move may have been made and is not given back.
    bool isLeft() const { return !refused && !givenBack; }
};

struct Journal {
    int format = 0;
    std::vector<JournalRecord> records;
    std::size_t undone = 0;  // the records before the last "undone" line
    bool goneThrough = false;  // a "tried" line follows the last record and the last "undone" line
    // True when a record after the last "undone" line names a move that
    // may have been made.
    bool hasMovesToUndo() const;
};

// Reads the text of a journal. False when it does not start with a journal
// header.
bool parseJournal(const std::string& text, Journal& journal);

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

// A path written into a journal line, and read back; false for text that
// no escaping gives.
std::string escapeJournalPath(const std::string& path);
bool unescapeJournalPath(const std::string& text, std::string& path);

// Why a journal folder or journal file, as fstat or stat describes it, is
// not to be used: it belongs to another user than the effective one, or
// others may write it. Empty when it may be used.
std::string whyNotPrivate(const struct stat& info);

// How long journals are kept: at the start of a real run, the journals of
// the journal folder that are undone, and those older than kKeptDays beyond
// the kKeptNewest newest that stay, are removed. The file ".pruned" there
// keeps the time the last pruning began: a journal not changed since then is
// not opened again, so that a folder of many journals costs a run little.
constexpr std::size_t kKeptNewest = 100;
constexpr int kKeptDays = 90;
void pruneJournals(const std::string& folder, std::time_t now);

// Writes the journal of one run.
class JournalWriter {
public:
    JournalWriter() = default;
    ~JournalWriter() { finish(); }
    JournalWriter(const JournalWriter&) = delete;
    JournalWriter& operator=(const JournalWriter&) = delete;

    // Creates the journal file at path, which must not exist yet, locks it
    // for the run and flushes its folder to disk, so that a crash soon
    // after cannot lose the file. False with a message in error.
    bool create(const std::string& path, std::string& error);
    // Creates a journal of a new name, sorting by time, in folder: made
    // (private to the user) when missing, refused when another user owns it
    // or others may write it, pruned first.
    bool createIn(const std::string& folder, std::string& error);

    // Records the move of the entry at source to target before it is made,
    // with one statx and one write: false (errno set) when the record could
    // not be written whole, and from then on for every move.
    bool recordMove(const char* source, const char* target);
    // Records that the move just recorded was refused, with one write.
    bool recordRefused(const char* source, const char* target);

    // Flushes the journal to disk and closes it. A journal of the journal
    // folder whose every move was refused or never made is removed: there is
    // nothing to undo, and --undo is to take the run before it. A journal
    // named by the user stays. False (said on standard error, and failed()
    // from then on) when the journal could not be flushed.
    bool finish();

    const std::string& path() const { return path_; }
    bool failed() const { return failed_; }

private:
    // Writes line_ with one write; on failure says so and fails the journal.
    bool writeLine();

    brindlemark::platform::FileDescriptor fd_;
    std::string path_;
    std::string line_;  // reused for each record
    bool failed_ = false;
    std::size_t made_ = 0;  // moves recorded and not refused
    bool removeIfUnused_ = false;
};

// A journal opened to be undone: checked, locked and read.
class JournalToUndo {
public:
    enum class Found { Journal, None, Refused };

    // Opens the journal at path. dryRun: for reading only, and asking,
    // without writing, whether it could be marked undone. False with a
    // message in error when it cannot be read, is not a journal, is not
    // private to the user, is in use by a running run, or has moves to
    // undo but cannot be marked undone.
    bool open(const std::string& path, bool dryRun, std::string& error);
    // Opens the newest journal of folder with moves left to undo. Journals
    // without them, and those an undo went through ("tried"), are passed over; one that cannot be opened (see open)
    // stops the search: Refused, with a message naming it in error.
    Found openNewest(const std::string& folder, bool dryRun, std::string& error);

    const Journal& journal() const { return journal_; }
    const std::string& path() const { return path_; }

    // Adds the "undone" line, on a line of its own, and flushes it to disk.
    bool markUndone(std::string& error);
    // Adds a "back" line for each record given back and the "tried" line,
    // and flushes them to disk.
    bool markGoneThrough(const std::vector<const JournalRecord*>& givenBack, std::string& error);

private:
    bool appendMarks(const std::string& marks, const char* what, std::string& error);
    bool openChecked(const std::string& path, bool dryRun, std::string& error);
    bool read(std::string& error);

    brindlemark::platform::FileDescriptor fd_;
    std::string path_;
    Journal journal_;
    bool writable_ = false;
};

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

// How the journal is flushed to disk; tests make it fail.
extern int (*journalSync)(int fd);

}  // namespace brindlemark::console

#endif
