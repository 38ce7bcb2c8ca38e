#include "platform/win32_standin.h"

#include <fcntl.h>
#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <unordered_map>
#include <utility>

#include "platform/dropped_path.h"

namespace {

constexpr UINT kDragQueryCount = 0xFFFFFFFFu;

// Copies at most size - 1 characters of text and a NUL; returns the count.
UINT storeBounded(const std::string& text, char* out, std::size_t size) {
    if (out == nullptr || size == 0) return 0;
    const std::size_t n = text.size() < size - 1 ? text.size() : size - 1;
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
    return static_cast<UINT>(n);
}

bool entryExists(const char* path) {
    struct stat st;
    return lstat(path, &st) == 0;
}

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

const char* nameOf(const char* path) {
    const char* slash = std::strrchr(path, '/');
    return slash == nullptr ? path : slash + 1;
}

// A name that is no entry of its own folder: the folder itself, its
// parent, or nothing (a path ending in '/').
bool isFolderName(const char* name) {
    return name[0] == '\0' || std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

// ---- Dry run -------------------------------------------------------------

bool hasEffectiveCapability(unsigned capability) {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3] = {};
    if (syscall(SYS_capget, &header, data) != 0) return false;
    return ((data[capability / 32].effective >> (capability % 32)) & 1u) != 0;
}

// An entry's name within a folder known by device and inode.
struct NameKey {
    std::uint64_t device = 0, inode = 0;
    std::string name;
    bool operator<(const NameKey& other) const {
        if (device != other.device) return device < other.device;
        if (inode != other.inode) return inode < other.inode;
        return name < other.name;
    }
};

// A folder as the kernel knows it, read once per path that names it.
struct FolderFacts {
    bool known = false;  // false: the path names no folder that can be looked at
    std::uint64_t device = 0, inode = 0;
    std::uint32_t owner = 0;
    bool sticky = false;
    bool locked = false;    // append-only or immutable: no entry can leave it
    int writeError = -1;    // what faccessat said about writing into it; -1 not asked yet
};

constexpr std::uint64_t kLockedAttributes = STATX_ATTR_IMMUTABLE | STATX_ATTR_APPEND;
// Symlinks followed in a row before a path reads as naming no file, as
// the kernel gives up (ELOOP).
constexpr int kMaxLinksFollowed = 40;

// What a dry run has pretended: the names it gave (each with the path the
// entry still has on disk) and the names it took away.
struct DryRun {
    bool active = false;
    std::map<NameKey, std::string> taken;
    std::set<NameKey> freed;
    // Folders already looked at in this drop: a drop's files mostly share one.
    std::unordered_map<std::string, FolderFacts> folders;
    std::uint32_t effectiveUser = 0;
    bool ownsEverything = false;  // CAP_FOWNER: the sticky bit does not apply
    std::string opened;           // the last path handed to the tag reader

    void reset(bool on) {
        taken.clear();
        freed.clear();
        folders.clear();
        active = on;
        if (!on) return;
        effectiveUser = geteuid();
        ownsEverything = hasEffectiveCapability(CAP_FOWNER);
    }

    FolderFacts& folder(const std::string& path) {
        auto found = folders.find(path);
        if (found != folders.end()) return found->second;
        FolderFacts& facts = folders[path];
        struct statx info;
        if (statx(AT_FDCWD, path.c_str(), 0, STATX_TYPE | STATX_MODE | STATX_UID | STATX_INO, &info) == 0 &&
            S_ISDIR(info.stx_mode)) {
            facts.known = true;
            facts.device = makedev(info.stx_dev_major, info.stx_dev_minor);
            facts.inode = info.stx_ino;
            facts.owner = info.stx_uid;
            facts.sticky = (info.stx_mode & S_ISVTX) != 0;
            facts.locked = (info.stx_attributes & info.stx_attributes_mask & kLockedAttributes) != 0;
        }
        return facts;
    }

    // The key of the entry named path; false when its folder cannot be
    // looked at (the kernel would fail on such a path as well).
    bool keyOf(const std::string& path, NameKey& key) {
        const FolderFacts& facts = folder(folderOf(path));
        if (!facts.known) return false;
        key.device = facts.device;
        key.inode = facts.inode;
        key.name = nameOf(path.c_str());
        return true;
    }

    // Where the entry that path names lies on disk once the pretended moves
    // are made: path itself, or the path a pretended move took it from.
    // False when a pretended move took it away.
    bool onDisk(const std::string& path, std::string& real) {
        real = path;
        NameKey key;
        if (taken.empty() && freed.empty()) return true;
        if (isFolderName(nameOf(path.c_str())) || !keyOf(path, key)) return true;
        const auto moved = taken.find(key);
        if (moved != taken.end()) {
            real = moved->second;
            return true;
        }
        return freed.count(key) == 0;
    }

    // The path the tag reader opens for path: the file it would open after
    // the pretended moves, symlinks followed through the pretended names;
    // null when that file is gone.
    const char* openPath(const char* path) {
        if (taken.empty() && freed.empty()) return path;
        std::string current = path;
        std::string real;
        for (int followed = 0; followed <= kMaxLinksFollowed; ++followed) {
            if (!onDisk(current, real)) return nullptr;
            char link[PATH_MAX];
            const ssize_t length = readlink(real.c_str(), link, sizeof link);
            if (length <= 0 || static_cast<std::size_t>(length) >= sizeof link) {
                opened = real;  // no symlink: the reader opens it as it is
                return opened.c_str();
            }
            const std::string target(link, static_cast<std::size_t>(length));
            current = target[0] == '/' ? target : folderOf(real) + "/" + target;
        }
        return nullptr;
    }

    // 0 when the kernel would let the entry (described by info) leave the
    // folder at from and enter the folder at to; else the errno it would give.
    int refusal(const std::string& from, const std::string& to, const struct statx& info) {
        for (const std::string* path : {&from, &to}) {
            FolderFacts& facts = folder(*path);
            if (facts.writeError < 0) {
                facts.writeError = faccessat(AT_FDCWD, path->c_str(), W_OK | X_OK, AT_EACCESS) == 0 ? 0 : errno;
            }
            if (facts.writeError != 0) return facts.writeError;
        }
        const FolderFacts& source = folder(from);
        if (source.locked) return EPERM;
        if (source.sticky && !ownsEverything && info.stx_uid != effectiveUser && source.owner != effectiveUser) {
            return EPERM;
        }
        if ((info.stx_attributes & info.stx_attributes_mask & kLockedAttributes) != 0) return EPERM;
        return 0;
    }

    BOOL move(const char* source, const char* target) {
        std::string realSource, realTarget;
        struct statx info;
        if (!onDisk(source, realSource)) {
            errno = ENOENT;
            return FALSE;
        }
        if (statx(AT_FDCWD, realSource.c_str(), AT_SYMLINK_NOFOLLOW, STATX_TYPE | STATX_UID, &info) != 0) {
            return FALSE;
        }
        if (std::strcmp(source, target) == 0) return TRUE;
        if (onDisk(target, realTarget)) {
            if (entryExists(realTarget.c_str())) {
                errno = EEXIST;
                return FALSE;
            }
            if (errno != ENOENT) return FALSE;
        }
        const int refused = refusal(folderOf(source), folderOf(target), info);
        NameKey from, to;
        if (refused != 0 || !keyOf(source, from) || !keyOf(target, to)) {
            errno = refused != 0 ? refused : ENOENT;
            return FALSE;
        }
        taken.erase(from);
        freed.insert(from);
        freed.erase(to);
        taken[to] = realSource;
        return TRUE;
    }
};

DryRun dryRun;

// ---- Real moves ------------------------------------------------------------

int openFolderPath(const char* path) { return ::open(path, O_PATH | O_DIRECTORY | O_CLOEXEC); }

// Opens the folder source and target both lie in once, hands it and the
// two names within it to steps, and closes it. -1 with errno set when the
// paths do not lie in one folder or it cannot be opened.
int inCommonFolder(const char* source, const char* target, int (*steps)(int, const char*, const char*)) {
    const char* from = nameOf(source);
    const char* to = nameOf(target);
    const std::size_t folderLength = static_cast<std::size_t>(from - source);
    if (folderLength != static_cast<std::size_t>(to - target) || std::strncmp(source, target, folderLength) != 0 ||
        isFolderName(from) || isFolderName(to)) {
        errno = EINVAL;
        return -1;
    }
    const std::string path = folderLength == 0 ? std::string(".") : folderOf(source);
    const int folder = standin::moveCalls.openFolder(path.c_str());
    if (folder < 0) return -1;
    const int result = steps(folder, from, to);
    const int cause = errno;
    close(folder);
    errno = cause;
    return result;
}

// Removes the name from once the name to links the same entry; if that
// fails, takes to back, so that the entry keeps one name.
int unlinkOrTakeBack(int folder, const char* from, const char* to) {
    if (standin::moveCalls.unlinkat(folder, from, 0) == 0) return 0;
    const int cause = errno;
    standin::moveCalls.unlinkat(folder, to, 0);
    errno = cause;
    return -1;
}

int linkThenUnlinkAt(int folder, const char* from, const char* to) {
    if (standin::moveCalls.linkat(folder, from, folder, to, 0) != 0) return -1;
    return unlinkOrTakeBack(folder, from, to);
}

// The fallbacks of moveNoReplace once the folder is open.
int moveWithinFolder(int folder, const char* from, const char* to) {
    if (standin::moveCalls.renameat2(folder, from, folder, to, RENAME_NOREPLACE) == 0) return 0;
    const int refusal = errno;
    if (refusal != EINVAL && refusal != ENOSYS) return -1;
    if (standin::moveCalls.linkat(folder, from, folder, to, 0) == 0) return unlinkOrTakeBack(folder, from, to);
    if (refusal != EINVAL || (errno != EPERM && errno != EOPNOTSUPP)) return -1;
    // Neither a rename that refuses to replace nor a link: look, then rename.
    struct stat info;
    if (standin::moveCalls.fstatat(folder, to, &info, AT_SYMLINK_NOFOLLOW) == 0) {
        errno = EEXIST;
        return -1;
    }
    if (errno != ENOENT) return -1;
    return standin::moveCalls.renameat(folder, from, folder, to);
}

std::function<bool(const char*, const char*)> moveObserver;

}  // namespace

LRESULT SendDlgItemMessageA(HWND dialog, int item, UINT message, WPARAM, LPARAM lParam) {
    if (dialog == nullptr) return LB_ERR;
    std::vector<std::string>& lines = dialog->listLines[item];
    switch (message) {
        case LB_RESETCONTENT:
            lines.clear();
            return 0;
        case LB_ADDSTRING:
            if (lParam == 0) return LB_ERR;
            if (dialog->onLineAdded) {
                dialog->onLineAdded(item, reinterpret_cast<const char*>(lParam));
                return 0;
            }
            lines.emplace_back(reinterpret_cast<const char*>(lParam));
            return static_cast<LRESULT>(lines.size() - 1);
        default:
            return LB_ERR;
    }
}

UINT GetDlgItemTextA(HWND dialog, int item, LPSTR text, int size) {
    if (text == nullptr || size <= 0) return 0;
    text[0] = '\0';
    if (dialog == nullptr) return 0;
    const auto found = dialog->itemText.find(item);
    if (found == dialog->itemText.end()) return 0;
    return storeBounded(found->second, text, static_cast<std::size_t>(size));
}

BOOL SetDlgItemTextA(HWND dialog, int item, LPCSTR text) {
    if (dialog == nullptr) return FALSE;
    dialog->itemText[item] = text == nullptr ? "" : text;
    return TRUE;
}

UINT DragQueryFileA(HDROP drop, UINT index, LPSTR path, UINT size) {
    if (drop == nullptr) return 0;
    if (index == kDragQueryCount) return static_cast<UINT>(drop->paths.size());
    if (index >= drop->paths.size()) return 0;
    drop->current = index;
    const std::string& dropped = drop->paths[index];
    if (path == nullptr) return static_cast<UINT>(dropped.size());
    return storeBounded(dropped, path, size);
}

BOOL MoveFileA(LPCSTR source, LPCSTR target) {
    if (source == nullptr || target == nullptr) {
        errno = EINVAL;
        return FALSE;
    }
    if (dryRun.active) return dryRun.move(source, target);
    if (std::strcmp(source, target) == 0) {
        if (entryExists(source)) return TRUE;
        errno = ENOENT;
        return FALSE;
    }
    if (moveObserver && !moveObserver(source, target)) return FALSE;
    return standin::moveNoReplace(source, target) == 0 ? TRUE : FALSE;
}

bool droppedPathAltered(HDROP drop, UINT index, const char*) {
    if (drop == nullptr) return false;
    for (const std::size_t altered : drop->altered) {
        if (altered == index) return true;
    }
    return false;
}

namespace standin {

void setMoveObserver(std::function<bool(const char*, const char*)> observer) {
    moveObserver = std::move(observer);
}

MoveCalls moveCalls = {
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

int renameNoReplace(const char* source, const char* target) {
    return moveCalls.renameat2(AT_FDCWD, source, AT_FDCWD, target, RENAME_NOREPLACE);
}

int moveNoReplace(const char* source, const char* target) {
    if (renameNoReplace(source, target) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return -1;
    return inCommonFolder(source, target, moveWithinFolder);
}

int linkThenUnlink(const char* source, const char* target) {
    return inCommonFolder(source, target, linkThenUnlinkAt);
}

void beginDryRun() {
    dryRun.reset(true);
}

void endDryRun() {
    dryRun.reset(false);
}

bool inDryRun() { return dryRun.active; }

bool pretendedEntry(const char* path, std::string& onDisk) {
    if (!dryRun.active) {
        onDisk = path;
        return true;
    }
    return dryRun.onDisk(path, onDisk);
}

}  // namespace standin
