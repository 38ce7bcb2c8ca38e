#ifndef BRINDLEMARK_PLATFORM_FILE_SYSTEM_H
#define BRINDLEMARK_PLATFORM_FILE_SYSTEM_H

#include <cstring>

#include "platform/read_only_file.h"
#include "platform/system_error.h"

namespace brindlemark::platform {

// What the rename batch and the undo ask of the file system: open a file to
// read its tag, and move an entry to a new name without ever replacing one.
// The real file system, the dry run and the journal each answer it.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    // The regular file at path, open for reading (see ReadOnlyFile::open);
    // not open when there is none.
    virtual ReadOnlyFile openForReading(const char* path) = 0;

    // Gives the entry at source the name target. Never replaces an existing
    // entry. When target is source itself (a file that already bears its new
    // name), succeeds without touching anything as long as the entry exists.
    // On failure the system's code (errno, or GetLastError on Windows), and
    // nothing was moved.
    SystemError moveNoReplace(const char* source, const char* target) {
        return std::strcmp(source, target) == 0 ? entryAt(source) : moveEntry(source, target);
    }

protected:
    FileSystem() = default;
    FileSystem(const FileSystem&) = default;
    FileSystem& operator=(const FileSystem&) = default;

    // Success when there is an entry at path (a symbolic link not followed).
    virtual SystemError entryAt(const char* path) = 0;
    // Moves the entry at source to target, another path, never replacing.
    virtual SystemError moveEntry(const char* source, const char* target) = 0;
};

}  // namespace brindlemark::platform

#endif
