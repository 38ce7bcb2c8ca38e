#ifndef BRINDLEMARK_UI_CONSOLE_JOURNAL_READER_H
#define BRINDLEMARK_UI_CONSOLE_JOURNAL_READER_H

// A journal opened to be undone: checked, locked, read and marked.

#include <string>
#include <vector>

#include "platform/file_descriptor.h"
#include "ui/console/journal/format.h"

namespace brindlemark::console {

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

}  // namespace brindlemark::console

#endif
