#ifndef BRINDLEMARK_PLATFORM_FILE_SYSTEM_H
#define BRINDLEMARK_PLATFORM_FILE_SYSTEM_H

#include <string>

#include "platform/read_only_file.h"

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
    // entry. When target is source itself, succeeds without touching
    // anything as long as the entry exists. 0 on success; otherwise the
    // system's error number (errno, or GetLastError on Windows), and nothing
    // was moved.
    virtual int moveNoReplace(const char* source, const char* target) = 0;

    // Where the entry that path names lies on disk now: path itself, or, in
    // a dry run, the path a pretended move took it from. False when a
    // pretended move took it away.
    virtual bool entryOnDisk(const std::string& path, std::string& onDisk) {
        onDisk = path;
        return true;
    }

protected:
    FileSystem() = default;
    FileSystem(const FileSystem&) = default;
    FileSystem& operator=(const FileSystem&) = default;
};

}  // namespace brindlemark::platform

#endif
