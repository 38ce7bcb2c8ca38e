#include "ui/console/folder_walk.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

namespace {

enum class EntryType { File, Folder, Other };

struct Entry {
    std::string name;
    EntryType type;
};

// The entry's type as the folder listing tells it, asking the file system
// only where the listing does not know. A symbolic link is Other.
EntryType typeOf(int folder, const dirent& entry) {
    switch (entry.d_type) {
        case DT_REG: return EntryType::File;
        case DT_DIR: return EntryType::Folder;
        case DT_UNKNOWN: break;
        default: return EntryType::Other;
    }
    struct stat info;
    if (fstatat(folder, entry.d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) return EntryType::Other;
    if (S_ISREG(info.st_mode)) return EntryType::File;
    if (S_ISDIR(info.st_mode)) return EntryType::Folder;
    return EntryType::Other;
}

// The folder's SPC files and sub-folders in byte order of their names;
// false with errno set when the folder cannot be read. Below the top, a
// folder swapped for a symbolic link since it was listed is not entered.
bool listFolder(const std::string& path, bool top, std::vector<Entry>& entries) {
    const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | (top ? 0 : O_NOFOLLOW));
    if (fd < 0) return false;
    DIR* folder = fdopendir(fd);
    if (folder == nullptr) {
        const int cause = errno;
        close(fd);
        errno = cause;
        return false;
    }
    errno = 0;
    while (const dirent* entry = readdir(folder)) {
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
        const EntryType type = typeOf(fd, *entry);
        if (type == EntryType::Folder || (type == EntryType::File && hasSpcExtension(entry->d_name))) {
            entries.push_back({entry->d_name, type});
        }
        errno = 0;
    }
    const int cause = errno;
    closedir(folder);
    if (cause != 0) {
        errno = cause;
        return false;
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.name < b.name; });
    return true;
}

}  // namespace

bool hasSpcExtension(const char* name) {
    const std::size_t length = std::strlen(name);
    return length >= 4 && strcasecmp(name + length - 4, ".spc") == 0;
}

namespace {

void walk(const std::string& path, bool top, const std::function<void(const std::string&)>& onFile,
          const std::function<void(const std::string&, int)>& onUnreadable) {
    std::vector<Entry> entries;
    if (!listFolder(path, top, entries)) {
        onUnreadable(path, errno);
        return;
    }
    const std::string prefix = path == "/" ? path : path + "/";
    for (const Entry& entry : entries) {
        if (entry.type == EntryType::Folder) {
            walk(prefix + entry.name, false, onFile, onUnreadable);
        } else {
            onFile(prefix + entry.name);
        }
    }
}

}  // namespace

void walkFolder(const std::string& path, const std::function<void(const std::string&)>& onFile,
                const std::function<void(const std::string&, int)>& onUnreadable) {
    walk(path, true, onFile, onUnreadable);
}
