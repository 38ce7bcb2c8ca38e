#include "ui/console/journal/system.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>

#include "platform/file_descriptor.h"

namespace brindlemark::console {

using brindlemark::platform::SystemError;

int (*journalSync)(int fd) = ::fsync;

SystemError identityAt(const char* path, FileIdentity& identity) {
    struct statx info;
    if (statx(AT_FDCWD, path, AT_SYMLINK_NOFOLLOW, STATX_INO | STATX_SIZE | STATX_MTIME | STATX_BTIME, &info) != 0) {
        return {"statx", errno};
    }
    identity.device = makedev(info.stx_dev_major, info.stx_dev_minor);
    identity.inode = info.stx_ino;
    identity.timesKnown = true;
    identity.birthKnown = (info.stx_mask & STATX_BTIME) != 0;
    identity.birth = identity.birthKnown ? FileTime{static_cast<long long>(info.stx_btime.tv_sec), info.stx_btime.tv_nsec} : FileTime{};
    identity.modified = FileTime{static_cast<long long>(info.stx_mtime.tv_sec), info.stx_mtime.tv_nsec};
    identity.size = info.stx_size;
    return {};
}

SystemError lockJournal(int fd, bool exclusive) {
    if (flock(fd, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) == 0) return {};
    return {"lock", errno};
}

SystemError writeWhole(int fd, const std::string& text) {
    const ssize_t written = write(fd, text.data(), text.size());
    if (written == static_cast<ssize_t>(text.size())) return {};
    return {"write", written >= 0 ? ENOSPC : errno};
}

SystemError flushToDisk(int fd) {
    if (journalSync(fd) == 0) return {};
    return {"fsync", errno != 0 ? errno : EIO};
}

bool onNetworkShare(const std::string& path) {
    struct statfs info;
    if (statfs(path.c_str(), &info) != 0) return false;
    switch (static_cast<unsigned long>(info.f_type)) {
        case 0x6969:      // NFS
        case 0x517B:      // SMB
        case 0xFF534D42:  // CIFS
        case 0xFE534D42:  // SMB2
        case 0x01021997:  // 9P
        case 0x00C36400:  // Ceph
        case 0x5346414F:  // AFS
        case 0x65735546:  // FUSE
            return true;
        default: return false;
    }
}

SystemError flushFolder(const std::string& folder) {
    const brindlemark::platform::FileDescriptor fd(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.valid()) return {"open", errno};
    const SystemError flushed = flushToDisk(fd.get());
    return flushed.code == EINVAL ? SystemError() : flushed;
}

}  // namespace brindlemark::console
