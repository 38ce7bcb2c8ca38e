#include "platform/win32_standin.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
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

// The names a dry run has pretended to give and to take away, keyed by
// the resolved folder and the entry's name, so that two spellings of one
// folder meet.
struct DryRun {
    bool active = false;
    std::set<std::string> taken;
    std::set<std::string> freed;

    // Folders already resolved in this drop: a drop's files mostly share one.
    std::map<std::string, std::string> resolvedFolders;

    std::string key(const std::string& path) {
        const std::size_t slash = path.rfind('/');
        const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
        const std::string folder = folderOf(path);
        auto found = resolvedFolders.find(folder);
        if (found == resolvedFolders.end()) {
            char resolved[PATH_MAX];
            if (realpath(folder.c_str(), resolved) == nullptr) return path;
            found = resolvedFolders.emplace(folder, resolved).first;
        }
        return found->second + "/" + name;
    }

    bool exists(const char* path) {
        const std::string k = key(path);
        if (taken.count(k) != 0) return true;
        if (freed.count(k) != 0) return false;
        return entryExists(path);
    }

    BOOL move(const char* source, const char* target) {
        if (!exists(source)) {
            errno = ENOENT;
            return FALSE;
        }
        if (std::strcmp(source, target) == 0) return TRUE;
        if (exists(target)) {
            errno = EEXIST;
            return FALSE;
        }
        if (access(folderOf(source).c_str(), W_OK | X_OK) != 0 ||
            access(folderOf(target).c_str(), W_OK | X_OK) != 0) {
            return FALSE;
        }
        const std::string from = key(source);
        const std::string to = key(target);
        taken.erase(from);
        freed.insert(from);
        freed.erase(to);
        taken.insert(to);
        return TRUE;
    }
};

DryRun dryRun;

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
    if (standin::renameNoReplace(source, target) == 0) return TRUE;
    if (errno != EINVAL && errno != ENOSYS) return FALSE;
    return standin::linkThenUnlink(source, target) == 0 ? TRUE : FALSE;
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

int renameNoReplace(const char* source, const char* target) {
    return renameat2(AT_FDCWD, source, AT_FDCWD, target, RENAME_NOREPLACE);
}

int linkThenUnlink(const char* source, const char* target) {
    if (link(source, target) != 0) return -1;
    if (unlink(source) != 0) {
        const int cause = errno;
        unlink(target);
        errno = cause;
        return -1;
    }
    return 0;
}

void beginDryRun() {
    dryRun.taken.clear();
    dryRun.freed.clear();
    dryRun.resolvedFolders.clear();
    dryRun.active = true;
}

void endDryRun() {
    dryRun.taken.clear();
    dryRun.freed.clear();
    dryRun.resolvedFolders.clear();
    dryRun.active = false;
}

bool inDryRun() { return dryRun.active; }

}  // namespace standin
