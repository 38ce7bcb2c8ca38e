#include "platform/real_file_system.h"

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "platform/move_no_replace.h"
#endif

namespace brindlemark::platform {

ReadOnlyFile RealFileSystem::openForReading(const char* path) { return ReadOnlyFile::open(path); }

int RealFileSystem::moveNoReplace(const char* source, const char* target) {
#ifdef _WIN32
    if (MoveFileA(source, target)) return 0;
    const DWORD cause = GetLastError();
    return cause != 0 ? static_cast<int>(cause) : ERROR_GEN_FAILURE;
#else
    // A file that already bears its new name is left as it is; the kernel
    // would take a rename onto the same name for a success all the same.
    if (std::strcmp(source, target) == 0) {
        struct stat info;
        return lstat(source, &info) == 0 ? 0 : errno;
    }
    return platform::moveNoReplace(source, target, systemMoveCalls(), &refusals_);
#endif
}

}  // namespace brindlemark::platform
