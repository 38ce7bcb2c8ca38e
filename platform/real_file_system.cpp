#include "platform/real_file_system.h"

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <sys/stat.h>

#include <cerrno>

#include "platform/move_no_replace.h"
#endif

namespace brindlemark::platform {

ReadOnlyFile RealFileSystem::openForReading(const char* path) { return ReadOnlyFile::open(path); }

SystemError RealFileSystem::entryAt(const char* path) {
#ifdef _WIN32
    if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES) return {};
    const DWORD cause = GetLastError();
    return {"stat", cause != 0 ? static_cast<int>(cause) : ERROR_GEN_FAILURE};
#else
    struct stat info;
    if (lstat(path, &info) == 0) return {};
    return {"stat", errno};
#endif
}

SystemError RealFileSystem::moveEntry(const char* source, const char* target) {
#ifdef _WIN32
    if (MoveFileA(source, target)) return {};
    const DWORD cause = GetLastError();
    return {"rename", cause != 0 ? static_cast<int>(cause) : ERROR_GEN_FAILURE};
#else
    return {"rename", platform::moveNoReplace(source, target, systemMoveCalls(), &refusals_)};
#endif
}

}  // namespace brindlemark::platform
