#ifndef BRINDLEMARK_PLATFORM_REAL_FILE_SYSTEM_H
#define BRINDLEMARK_PLATFORM_REAL_FILE_SYSTEM_H

#include "platform/file_system.h"
#ifndef _WIN32
#include "platform/move_no_replace.h"
#endif

namespace brindlemark::platform {

// The file system as it is: files opened for reading as they are named,
// moves made. On POSIX a move is moveNoReplace (move_no_replace.h); on
// Windows it is MoveFileA, which fails rather than replace a file. Each
// object remembers the devices that refused RENAME_NOREPLACE.
class RealFileSystem final : public FileSystem {
public:
    ReadOnlyFile openForReading(const char* path) override;

protected:
    SystemError entryAt(const char* path) override;
    SystemError moveEntry(const char* source, const char* target) override;

#ifndef _WIN32
private:
    // File systems that refused RENAME_NOREPLACE, not asked again.
    RenameFlagRefusals refusals_;
#endif
};

}  // namespace brindlemark::platform

#endif
