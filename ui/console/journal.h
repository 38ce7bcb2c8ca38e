#ifndef BRINDLEMARK_UI_CONSOLE_JOURNAL_H
#define BRINDLEMARK_UI_CONSOLE_JOURNAL_H

// The journal of a rename run: one text file per run that names every move
// the run may have made, so that the run can be undone even after a crash.
//
//   brindlemark journal 1
//   move<TAB>DEVICE<TAB>INODE<TAB>OLD PATH<TAB>NEW PATH
//   ...
//   undone
//
// One record per line, written with a single write before its move is
// attempted; DEVICE and INODE (decimal) name the file that was at OLD PATH.
// In the paths a backslash is written "\\", a tab "\t", a newline "\n", a
// carriage return "\r", and any other byte below 0x20 and 0x7F "\xHH"; every
// other byte (UTF-8 included) stands as it is. The line "undone" is added
// when an undo left nothing to do. A line that does not read as a record
// (one cut short by a full disk) names no move that was made.

#include <string>
#include <vector>

struct JournalRecord {
    unsigned long long device = 0;
    unsigned long long inode = 0;
    std::string oldPath, newPath;
};

// The folder that holds the journals: $XDG_STATE_HOME/brindlemark/journal,
// or ~/.local/state/brindlemark/journal when XDG_STATE_HOME is unset, empty
// or not an absolute path. Empty when no home folder can be told.
std::string journalFolder();

// A path written into a journal line, and read back; false for text that
// no escaping gives.
std::string escapeJournalPath(const std::string& path);
bool unescapeJournalPath(const std::string& text, std::string& path);

// Writes the journal of one run.
class JournalWriter {
public:
    JournalWriter() = default;
    ~JournalWriter() { finish(); }
    JournalWriter(const JournalWriter&) = delete;
    JournalWriter& operator=(const JournalWriter&) = delete;

    // Creates the journal file at path, which must not exist yet. False
    // with a message in error.
    bool create(const std::string& path, std::string& error);
    // Creates a journal of a new name, sorting by time, in folder (made
    // when missing).
    bool createIn(const std::string& folder, std::string& error);

    // Records the move of the entry at source to target before it is made:
    // false (errno set) when the record could not be written whole, and
    // from then on for every move.
    bool recordMove(const char* source, const char* target);

    // Flushes the journal to disk and closes it. A journal of the journal
    // folder that records no move is removed: there is nothing to undo, and
    // --undo is to take the run before it. A journal named by the user stays.
    void finish();

    const std::string& path() const { return path_; }
    bool failed() const { return failed_; }

private:
    int fd_ = -1;
    std::string path_;
    std::string line_;  // reused for each record
    bool failed_ = false;
    bool recorded_ = false;
    bool removeIfEmpty_ = false;
};

struct Journal {
    std::vector<JournalRecord> records;
    bool undone = false;
};

// Reads the journal at path. False with a message in error when it cannot
// be read or is not a journal.
bool readJournal(const std::string& path, Journal& journal, std::string& error);

// Adds the "undone" line and flushes it to disk.
bool markJournalUndone(const std::string& path, std::string& error);

// The newest journal of folder that is not undone, or empty.
std::string newestJournalToUndo(const std::string& folder);

#endif
