#include "platform/move_no_replace.h"

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/file_descriptor.h"
#include "platform/path_parts.h"

namespace brindlemark::platform {

namespace {

int openFolderPath(const char* path) { return ::open(path, O_PATH | O_DIRECTORY | O_CLOEXEC); }

const MoveCalls kSystemCalls = {
    [](int fromFolder, const char* from, int toFolder, const char* to, unsigned int flags) {
        return ::renameat2(fromFolder, from, toFolder, to, flags);
    },
    openFolderPath,
    [](int fromFolder, const char* from, int toFolder, const char* to, int flags) {
        return ::linkat(fromFolder, from, toFolder, to, flags);
    },
    [](int folder, const char* name, int flags) { return ::unlinkat(folder, name, flags); },
    [](int folder, const char* name, struct stat* info, int flags) { return ::fstatat(folder, name, info, flags); },
    [](int fromFolder, const char* from, int toFolder, const char* to) {
        return ::renameat(fromFolder, from, toFolder, to);
    },
};

// The steps of a move once the folder is open: 0 or an errno.
using FolderSteps = int (*)(const MoveCalls& calls, int folder, const char* from, const char* to);

// Opens the one folder source and target lie in, hands it and the two names
// within it to steps, and closes it. EINVAL when the paths do not lie in one
// folder or either names no entry of it.
int inCommonFolder(const char* source, const char* target, const MoveCalls& calls, FolderSteps steps) {
    const char* from = nameOf(source);
    const char* to = nameOf(target);
    const std::size_t folderLength = static_cast<std::size_t>(from - source);
    if (folderLength != static_cast<std::size_t>(to - target) || std::strncmp(source, target, folderLength) != 0 ||
        isFolderName(from) || isFolderName(to)) {
        return EINVAL;
    }
    const FileDescriptor folder(calls.openFolder(folderOf(source).c_str()));
    if (!folder.valid()) return errno;
    return steps(calls, folder.get(), from, to);
}

// Removes the name from once the name to links the same entry; if that
// fails, takes to back, so that the entry keeps one name.
int unlinkOrTakeBack(const MoveCalls& calls, int folder, const char* from, const char* to) {
    if (calls.unlinkat(folder, from, 0) == 0) return 0;
    const int cause = errno;
    calls.unlinkat(folder, to, 0);
    return cause;
}

int linkThenUnlinkAt(const MoveCalls& calls, int folder, const char* from, const char* to) {
    if (calls.linkat(folder, from, folder, to, 0) != 0) return errno;
    return unlinkOrTakeBack(calls, folder, from, to);
}

// The fallbacks once the folder is open.
int moveWithinFolder(const MoveCalls& calls, int folder, const char* from, const char* to) {
    if (calls.renameat2(folder, from, folder, to, RENAME_NOREPLACE) == 0) return 0;
    const int refusal = errno;
    if (refusal != EINVAL && refusal != ENOSYS) return refusal;
    if (calls.linkat(folder, from, folder, to, 0) == 0) return unlinkOrTakeBack(calls, folder, from, to);
    const int linkRefusal = errno;
    if (refusal != EINVAL || (linkRefusal != EPERM && linkRefusal != EOPNOTSUPP)) return linkRefusal;
    // Neither a rename that refuses to replace nor a link: look, then rename.
    struct stat info;
    if (calls.fstatat(folder, to, &info, AT_SYMLINK_NOFOLLOW) == 0) return EEXIST;
    if (errno != ENOENT) return errno;
    return calls.renameat(folder, from, folder, to) == 0 ? 0 : errno;
}

}  // namespace

const MoveCalls& systemMoveCalls() { return kSystemCalls; }

int moveNoReplace(const char* source, const char* target, const MoveCalls& calls) {
    if (calls.renameat2(AT_FDCWD, source, AT_FDCWD, target, RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return errno;
    return inCommonFolder(source, target, calls, moveWithinFolder);
}

int linkThenUnlink(const char* source, const char* target, const MoveCalls& calls) {
    return inCommonFolder(source, target, calls, linkThenUnlinkAt);
}

}  // namespace brindlemark::platform
