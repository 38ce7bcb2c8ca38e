#ifndef BRINDLEMARK_UI_CONSOLE_JOURNAL_WRITER_H
#define BRINDLEMARK_UI_CONSOLE_JOURNAL_WRITER_H

// The writer of a run's journal: a record before each move.

#include <cstddef>
#include <string>

#include "platform/file_descriptor.h"
#include "platform/system_error.h"

namespace brindlemark::console {

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
    // named by the user stays. False (and failed() from then on) when the
    // journal could not be flushed.
    bool finish();

    const std::string& path() const { return path_; }
    bool failed() const { return failure_.failed(); }
    // Why the journal failed: a record not written whole (step "write"; no
    // move was made after it), or the flush at the end ("fsync"). Said by
    // the console, never here.
    brindlemark::platform::SystemError failure() const { return failure_; }

private:
    // Writes line_ with one write; on failure fails the journal.
    bool writeLine();

    brindlemark::platform::FileDescriptor fd_;
    std::string path_;
    std::string line_;  // reused for each record
    brindlemark::platform::SystemError failure_;
    std::size_t made_ = 0;  // moves recorded and not refused
    bool removeIfUnused_ = false;
};

}  // namespace brindlemark::console

#endif
