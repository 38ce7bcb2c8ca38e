#ifndef BRINDLEMARK_PLATFORM_MOVE_NO_REPLACE_H
#define BRINDLEMARK_PLATFORM_MOVE_NO_REPLACE_H

#ifndef _WIN32
#include <sys/stat.h>

#include <mutex>
#include <string>
#include <utility>
#include <vector>

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

// The devices whose file system refused RENAME_NOREPLACE during a run,
// each with how it refused (EINVAL or ENOSYS), so that a move there is not
// asked of it again: on a network share every refused call is a round trip.
// Safe to use from several threads.
class RenameFlagRefusals {
public:
    // How the file system of device refused the flag; 0 when it did not.
    int refusalOn(dev_t device) const;
    void remember(dev_t device, int refusal);
    // True once any device refused.
    bool any() const;
    // The folder last looked at and its device, so that the moves of one
    // folder look at it once: false when folderPath is not that folder.
    void noteFolder(const std::string& folderPath, dev_t device);
    bool deviceOfFolder(const std::string& folderPath, dev_t& device) const;

private:
    mutable std::mutex lock_;
    std::vector<std::pair<dev_t, int>> refused_;
    std::string lastFolder_;
    dev_t lastFolderDevice_ = 0;
};

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
// With refusals, a device whose file system refused the flag once is
// remembered there (the opened folder looked at with fstatat and
// AT_EMPTY_PATH, once for each folder in a row), and a later move within a
// folder of the same device goes from opening the folder straight to step
// 3; before a step 4 the folder is looked at again. Until any device
// refused, a move is step 1 alone as without refusals; after, a move within
// one folder starts by opening the folder.
int moveNoReplace(const char* source, const char* target, const MoveCalls& calls = systemMoveCalls(),
                  RenameFlagRefusals* refusals = nullptr);

// Step 3 alone, on the folder of source opened once.
int linkThenUnlink(const char* source, const char* target, const MoveCalls& calls = systemMoveCalls());

}  // namespace brindlemark::platform

#endif
#endif
