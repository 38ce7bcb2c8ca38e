#ifndef BRINDLEMARK_UI_CONSOLE_JOURNALED_FILE_SYSTEM_H
#define BRINDLEMARK_UI_CONSOLE_JOURNALED_FILE_SYSTEM_H

#include "platform/file_system.h"

namespace brindlemark::console {

class JournalWriter;

// A file system that records each move in the run's journal before it
// passes the move on, and marks a move the file system then refused, so
// that the journal names every move the run may have made and only those.
// A move whose record cannot be written is not made.
class JournaledFileSystem final : public brindlemark::platform::FileSystem {
public:
    JournaledFileSystem(brindlemark::platform::FileSystem& inner, JournalWriter& journal)
        : inner_(inner), journal_(journal) {}

    brindlemark::platform::ReadOnlyFile openForReading(const char* path) override {
        return inner_.openForReading(path);
    }

protected:
    brindlemark::platform::SystemError entryAt(const char* path) override { return inner_.moveNoReplace(path, path); }
    brindlemark::platform::SystemError moveEntry(const char* source, const char* target) override;

private:
    brindlemark::platform::FileSystem& inner_;
    JournalWriter& journal_;
};

}  // namespace brindlemark::console

#endif
