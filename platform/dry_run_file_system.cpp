#include "platform/dry_run_file_system.h"

#include <fcntl.h>
#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

#include "platform/path_parts.h"

#ifndef STATX_ATTR_MOUNT_ROOT
#define STATX_ATTR_MOUNT_ROOT 0x00002000
#endif

namespace brindlemark::platform {

namespace {

constexpr std::uint64_t LOCKED_ATTRIBUTES = STATX_ATTR_IMMUTABLE | STATX_ATTR_APPEND;
// Symlinks followed in a row before a path reads as naming no file, as the
// kernel gives up (ELOOP).
constexpr int MAX_LINKS_FOLLOWED = 40;
// Entries looked at ahead of their moves that are kept at most; past that
// the rest are looked at when they move.
constexpr std::size_t MAX_ENTRIES_LOOKED_AT = 4096;

bool hasEffectiveCapability(unsigned capability) {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3] = {};
    if (syscall(SYS_capget, &header, data) != 0) return false;
    return ((data[capability / 32].effective >> (capability % 32)) & 1u) != 0;
}

std::uint64_t setAttributes(const struct statx& info) { return info.stx_attributes & info.stx_attributes_mask; }

}  // namespace

bool DryRunFileSystem::NameKey::operator<(const NameKey& other) const {
    if (device != other.device) return device < other.device;
    if (inode != other.inode) return inode < other.inode;
    return name < other.name;
}

DryRunFileSystem::Mover DryRunFileSystem::Mover::ofThisProcess() {
    return Mover{geteuid(), hasEffectiveCapability(CAP_FOWNER)};
}

DryRunFileSystem::DryRunFileSystem(const Mover& mover) : mover_(mover) {}

DryRunFileSystem::FolderFacts& DryRunFileSystem::folder(const std::string& path) {
    auto found = folders_.find(path);
    if (found != folders_.end()) return found->second;
    FolderFacts& facts = folders_[path];
    struct statx info;
    if (statx(AT_FDCWD, path.c_str(), 0, STATX_TYPE | STATX_MODE | STATX_UID | STATX_INO, &info) == 0 &&
        S_ISDIR(info.stx_mode)) {
        facts.known = true;
        facts.device = makedev(info.stx_dev_major, info.stx_dev_minor);
        facts.inode = info.stx_ino;
        facts.owner = info.stx_uid;
        facts.sticky = (info.stx_mode & S_ISVTX) != 0;
        facts.locked = (setAttributes(info) & LOCKED_ATTRIBUTES) != 0;
    }
    return facts;
}

bool DryRunFileSystem::keyOf(const std::string& path, NameKey& key) {
    const FolderFacts& facts = folder(folderOf(path));
    if (!facts.known) return false;
    key.device = facts.device;
    key.inode = facts.inode;
    key.name = nameOf(path.c_str());
    return true;
}

bool DryRunFileSystem::entryOnDisk(const std::string& path, std::string& real) {
    const std::lock_guard<std::mutex> lock(model_);
    return locate(path, real);
}

bool DryRunFileSystem::locate(const std::string& path, std::string& onDisk) {
    onDisk = path;
    NameKey key;
    if (taken_.empty() && freed_.empty()) return true;
    if (isFolderName(nameOf(path.c_str())) || !keyOf(path, key)) return true;
    const auto moved = taken_.find(key);
    if (moved != taken_.end()) {
        onDisk = moved->second;
        return true;
    }
    return freed_.count(key) == 0;
}

DryRunFileSystem::EntryFacts DryRunFileSystem::lookAt(const std::string& real) {
    EntryFacts facts;
    struct statx info;
    if (statx(AT_FDCWD, real.c_str(), AT_SYMLINK_NOFOLLOW, STATX_TYPE | STATX_UID, &info) != 0) {
        facts.error = errno;
    } else {
        facts.owner = info.stx_uid;
        facts.attributes = setAttributes(info);
    }
    return facts;
}

ReadOnlyFile DryRunFileSystem::openForReading(const char* path) {
    // The entry the batch may move next is looked at now, while the drop's
    // other files are read too.
    std::string real;
    if (entryOnDisk(path, real)) {
        const EntryFacts facts = lookAt(real);
        const std::lock_guard<std::mutex> lock(model_);
        if (looked_.size() < MAX_ENTRIES_LOOKED_AT) looked_[real] = facts;
    }
    bool pretended = false;
    {
        const std::lock_guard<std::mutex> lock(model_);
        pretended = !taken_.empty() || !freed_.empty();
    }
    if (!pretended) return ReadOnlyFile::open(path);
    // The file the real run would open once the pretended moves are made:
    // symlinks followed through the pretended names. The model is asked
    // under its lock; the links are read outside it.
    std::string current = path;
    for (int followed = 0; followed <= MAX_LINKS_FOLLOWED; ++followed) {
        if (!entryOnDisk(current, real)) break;
        char link[PATH_MAX];
        const ssize_t length = readlink(real.c_str(), link, sizeof link);
        if (length <= 0 || static_cast<std::size_t>(length) >= sizeof link) return ReadOnlyFile::open(real.c_str());
        const std::string target(link, static_cast<std::size_t>(length));
        current = target[0] == '/' ? target : folderOf(real) + "/" + target;
    }
    errno = ENOENT;
    return ReadOnlyFile();
}

int DryRunFileSystem::refusal(const std::string& from, const std::string& to, std::uint32_t entryOwner,
                              std::uint64_t entryAttributes) {
    for (const std::string* path : {&from, &to}) {
        FolderFacts& facts = folder(*path);
        if (facts.writeError < 0) {
            facts.writeError = faccessat(AT_FDCWD, path->c_str(), W_OK | X_OK, AT_EACCESS) == 0 ? 0 : errno;
        }
        if (facts.writeError != 0) return facts.writeError;
    }
    const FolderFacts& source = folder(from);
    if (source.locked) return EPERM;
    if (source.sticky && !mover_.ownsEverything && entryOwner != mover_.user && source.owner != mover_.user) {
        return EPERM;
    }
    if ((entryAttributes & LOCKED_ATTRIBUTES) != 0) return EPERM;
    // Something is mounted on the entry: the kernel refuses to move it.
    if ((entryAttributes & STATX_ATTR_MOUNT_ROOT) != 0) return EBUSY;
    return 0;
}

SystemError DryRunFileSystem::entryAt(const char* path) {
    const std::lock_guard<std::mutex> lock(model_);
    std::string real;
    if (!locate(path, real)) return {"stat", ENOENT};
    const EntryFacts entry = lookAt(real);
    return entry.error != 0 ? SystemError{"stat", entry.error} : SystemError{};
}

DryRunFileSystem::EntryFacts DryRunFileSystem::takeLook(const std::string& real) {
    // Nothing moves on disk in a dry run: what the entry was when it was
    // read ahead, it still is.
    const auto looked = looked_.find(real);
    if (looked == looked_.end()) return lookAt(real);
    const EntryFacts entry = looked->second;
    looked_.erase(looked);
    return entry;
}

SystemError DryRunFileSystem::moveEntry(const char* source, const char* target) {
    const std::lock_guard<std::mutex> lock(model_);
    std::string realSource, realTarget;
    if (!locate(source, realSource)) return {"stat", ENOENT};
    const EntryFacts entry = takeLook(realSource);
    if (entry.error != 0) return {"stat", entry.error};
    if (locate(target, realTarget)) {
        struct stat existing;
        if (lstat(realTarget.c_str(), &existing) == 0) return {"rename", EEXIST};
        if (errno != ENOENT) return {"rename", errno};
    }
    const int refused = refusal(folderOf(source), folderOf(target), entry.owner, entry.attributes);
    if (refused != 0) return {"rename", refused};
    NameKey from, to;
    if (!keyOf(source, from) || !keyOf(target, to)) return {"rename", ENOENT};
    taken_.erase(from);
    freed_.insert(from);
    freed_.erase(to);
    taken_[to] = realSource;
    return {};
}

SystemError DryRunFileSystem::removeName(const char* path) {
    const std::lock_guard<std::mutex> lock(model_);
    std::string real;
    if (!locate(path, real)) return {"stat", ENOENT};
    const EntryFacts entry = lookAt(real);
    if (entry.error != 0) return {"stat", entry.error};
    const std::string from = folderOf(path);
    const int refused = refusal(from, from, entry.owner, entry.attributes);
    if (refused != 0) return {"unlink", refused};
    NameKey key;
    if (!keyOf(path, key)) return {"unlink", ENOENT};
    taken_.erase(key);
    freed_.insert(key);
    return {};
}

}  // namespace brindlemark::platform
