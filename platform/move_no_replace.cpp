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

const MoveCalls SYSTEM_CALLS = {
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
using FolderSteps = int (*)(const MoveCalls& calls, int folder, const std::string& folderPath, const char* from,
                            const char* to, RenameFlagRefusals* refusals);

// True when source and target name entries of one folder.
bool inOneFolder(const char* source, const char* target) {
    const char* from = nameOf(source);
    const char* to = nameOf(target);
    const std::size_t folderLength = static_cast<std::size_t>(from - source);
    return folderLength == static_cast<std::size_t>(to - target) && std::strncmp(source, target, folderLength) == 0 &&
           !isFolderName(from) && !isFolderName(to);
}

// Opens the one folder source and target lie in, hands it and the two names
// within it to steps, and closes it. EINVAL when the paths do not lie in one
// folder or either names no entry of it.
int inCommonFolder(const char* source, const char* target, const MoveCalls& calls, FolderSteps steps,
                   RenameFlagRefusals* refusals) {
    if (!inOneFolder(source, target)) return EINVAL;
    const std::string folderPath = folderOf(source);
    const FileDescriptor folder(calls.openFolder(folderPath.c_str()));
    if (!folder.valid()) return errno;
    return steps(calls, folder.get(), folderPath, nameOf(source), nameOf(target), refusals);
}

// Removes the name from once the name to links the same entry; if that
// fails, takes to back, so that the entry keeps one name.
int unlinkOrTakeBack(const MoveCalls& calls, int folder, const char* from, const char* to) {
    if (calls.unlinkat(folder, from, 0) == 0) return 0;
    const int cause = errno;
    calls.unlinkat(folder, to, 0);
    return cause;
}

int linkThenUnlinkAt(const MoveCalls& calls, int folder, const std::string&, const char* from, const char* to,
                     RenameFlagRefusals*) {
    if (calls.linkat(folder, from, folder, to, 0) != 0) return errno;
    return unlinkOrTakeBack(calls, folder, from, to);
}

// Learns the device of the open folder and tells refusals which device
// folderPath lies on; false when there are no refusals to keep or the folder
// cannot be looked at.
bool lookAtFolder(const MoveCalls& calls, int folder, const std::string& folderPath, RenameFlagRefusals* refusals,
                  dev_t& device) {
    struct stat facts;
    if (refusals == nullptr || calls.fstatat(folder, "", &facts, AT_EMPTY_PATH) != 0) return false;
    device = facts.st_dev;
    refusals->noteFolder(folderPath, device);
    return true;
}

bool flagRefused(int error) { return error == EINVAL || error == ENOSYS; }

// The move with RENAME_NOREPLACE relative to the folder: 0 or the errno; a
// refusal of the flag is remembered for the device when it is known.
int renameWithFlag(const MoveCalls& calls, int folder, const char* from, const char* to, RenameFlagRefusals* refusals,
                   const dev_t* device) {
    if (calls.renameat2(folder, from, folder, to, RENAME_NOREPLACE) == 0) return 0;
    const int error = errno;
    if (flagRefused(error) && device != nullptr) refusals->remember(*device, error);
    return error;
}

// The fallbacks once the folder is open. A device known to refuse the flag
// (the folder's path last seen on it) is not asked it; before the plain
// rename of step 4 the folder's device is looked at again, as the path may
// lie on another device by now.
int moveWithinFolder(const MoveCalls& calls, int folder, const std::string& folderPath, const char* from,
                     const char* to, RenameFlagRefusals* refusals) {
    dev_t device = 0;
    const bool remembered = refusals != nullptr && refusals->deviceOfFolder(folderPath, device);
    const bool known = remembered || lookAtFolder(calls, folder, folderPath, refusals, device);
    int refusal = known ? refusals->refusalOn(device) : 0;
    if (refusal == 0) {
        refusal = renameWithFlag(calls, folder, from, to, refusals, known ? &device : nullptr);
        if (!flagRefused(refusal)) return refusal;
    }
    if (calls.linkat(folder, from, folder, to, 0) == 0) return unlinkOrTakeBack(calls, folder, from, to);
    const int linkRefusal = errno;
    if (refusal != EINVAL || (linkRefusal != EPERM && linkRefusal != EOPNOTSUPP)) return linkRefusal;
    if (remembered && lookAtFolder(calls, folder, folderPath, refusals, device) && refusals->refusalOn(device) == 0) {
        refusal = renameWithFlag(calls, folder, from, to, refusals, &device);
        if (!flagRefused(refusal)) return refusal;
        if (refusal != EINVAL) return linkRefusal;
    }
    // Neither a rename that refuses to replace nor a link: look, then rename.
    struct stat info;
    if (calls.fstatat(folder, to, &info, AT_SYMLINK_NOFOLLOW) == 0) return EEXIST;
    if (errno != ENOENT) return errno;
    return calls.renameat(folder, from, folder, to) == 0 ? 0 : errno;
}

}  // namespace

const MoveCalls& systemMoveCalls() { return SYSTEM_CALLS; }

int RenameFlagRefusals::refusalOn(dev_t device) const {
    const std::lock_guard<std::mutex> held(lock_);
    for (const auto& refused : refused_) {
        if (refused.first == device) return refused.second;
    }
    return 0;
}

void RenameFlagRefusals::remember(dev_t device, int refusal) {
    const std::lock_guard<std::mutex> held(lock_);
    for (const auto& refused : refused_) {
        if (refused.first == device) return;
    }
    refused_.emplace_back(device, refusal);
}

void RenameFlagRefusals::noteFolder(const std::string& folderPath, dev_t device) {
    const std::lock_guard<std::mutex> held(lock_);
    lastFolder_ = folderPath;
    lastFolderDevice_ = device;
}

bool RenameFlagRefusals::deviceOfFolder(const std::string& folderPath, dev_t& device) const {
    const std::lock_guard<std::mutex> held(lock_);
    if (lastFolder_.empty() || lastFolder_ != folderPath) return false;
    device = lastFolderDevice_;
    return true;
}

bool RenameFlagRefusals::any() const {
    const std::lock_guard<std::mutex> held(lock_);
    return !refused_.empty();
}

int moveNoReplace(const char* source, const char* target, const MoveCalls& calls, RenameFlagRefusals* refusals) {
    // Once a device refused, a move within one folder first learns which
    // device it is on, rather than ask the flag of a file system that
    // refuses it.
    const bool askByPath = refusals == nullptr || !refusals->any() || !inOneFolder(source, target);
    if (askByPath) {
        if (calls.renameat2(AT_FDCWD, source, AT_FDCWD, target, RENAME_NOREPLACE) == 0) return 0;
        if (errno != EINVAL && errno != ENOSYS) return errno;
    }
    return inCommonFolder(source, target, calls, moveWithinFolder, refusals);
}

int linkThenUnlink(const char* source, const char* target, const MoveCalls& calls) {
    return inCommonFolder(source, target, calls, linkThenUnlinkAt, nullptr);
}

}  // namespace brindlemark::platform
