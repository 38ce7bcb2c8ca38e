#ifndef BRINDLEMARK_PLATFORM_MOVE_NO_REPLACE_H
#define BRINDLEMARK_PLATFORM_MOVE_NO_REPLACE_H

#ifndef _WIN32
#include <sys/stat.h>

namespace brindlemark::platform {

// The system calls of a move, so that tests can make any of them fail or
// act otherwise. openFolder opens a folder as O_PATH | O_DIRECTORY |
// O_CLOEXEC; the move closes it with close().
struct MoveCalls {
    int (*renameat2)(int fromFolder, const char* from, int toFolder, const char* to, unsigned int flags);
    int (*openFolder)(const char* path);
    int (*linkat)(int fromFolder, const char* from, int toFolder, const char* to, int flags);
    int (*unlinkat)(int folder, const char* name, int flags);
    int (*fstatat)(int folder, const char* name, struct stat* info, int flags);
    int (*renameat)(int fromFolder, const char* from, int toFolder, const char* to);
};

// The real system calls.
const MoveCalls& systemMoveCalls();

// Gives the entry at source the name target and never replaces an existing
// entry. Returns 0 on success, otherwise the errno of the step that failed.
//  1. renameat2 with RENAME_NOREPLACE by full paths: one atomic system
//     call, the way nearly every move goes.
//  Where the file system refuses the flag (EINVAL or ENOSYS: FUSE file
//  systems, NFS, 9p), the folder source and target both lie in is opened
//  once and every later step is relative to it, so that all of them act on
//  the same folder even if a symlink in its path is re-pointed meanwhile
//  (paths in different folders get the first attempt only):
//  2. renameat2 with RENAME_NOREPLACE relative to the folder;
//  3. a new link of the target name, then the source name removed; if the
//     source name cannot be removed, the new link is taken back, so the file
//     keeps one name;
//  4. only where the flag was refused with EINVAL and links with EPERM or
//     EOPNOTSUPP (exFAT through FUSE): if no entry of the target name
//     exists, a plain rename. A file created under that name by another
//     program in that instant could be replaced, as with `mv -n`.
int moveNoReplace(const char* source, const char* target, const MoveCalls& calls = systemMoveCalls());

// Step 3 alone, on the folder of source opened once.
int linkThenUnlink(const char* source, const char* target, const MoveCalls& calls = systemMoveCalls());

}  // namespace brindlemark::platform

#endif
#endif
