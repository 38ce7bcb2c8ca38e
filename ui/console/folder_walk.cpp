#include "ui/console/folder_walk.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/file_descriptor.h"
#include "platform/folder_listing.h"

namespace brindlemark::console {

namespace {

using brindlemark::platform::FileDescriptor;

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

// Opens the folder to walk: the top by its path (the user named it, so a
// symbolic link there is followed), every folder below it by its name
// within its parent's open descriptor, never following a symbolic link. A
// folder higher up swapped for a link during the walk is thus not followed:
// the walk goes on in the folder it opened.
FileDescriptor openFolder(int parent, const std::string& nameOrPath) {
    if (parent < 0) return FileDescriptor(open(nameOrPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return FileDescriptor(openat(parent, nameOrPath.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
}

// The SPC files and sub-folders of the open folder in byte order of their
// names; false with errno set when the folder cannot be read.
bool listFolder(const FileDescriptor& fd, std::vector<Entry>& entries, std::size_t* archives) {
    // The listing gets a descriptor of its own: fd stays open for the
    // sub-folders.
    const int listed = fcntl(fd.get(), F_DUPFD_CLOEXEC, 0);
    if (listed < 0) return false;
    const brindlemark::platform::FolderListing folder(fdopendir(listed));
    if (folder == nullptr) {
        FileDescriptor owned(listed);
        return false;
    }
    errno = 0;
    while (const dirent* entry = readdir(folder.get())) {
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
        const EntryType type = typeOf(fd.get(), *entry);
        if (type == EntryType::Folder || (type == EntryType::File && hasSpcExtension(entry->d_name))) {
            entries.push_back({entry->d_name, type});
        } else if (archives != nullptr && type == EntryType::File && isArchiveName(entry->d_name)) {
            ++*archives;
        }
        errno = 0;
    }
    const int cause = errno;
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

bool isArchiveName(const char* name) {
    const std::size_t length = std::strlen(name);
    for (const char* extension : {".rsn", ".rar", ".7z", ".zip"}) {
        const std::size_t size = std::strlen(extension);
        if (length > size && strcasecmp(name + length - size, extension) == 0) return true;
    }
    return false;
}

namespace {

// Walks the folder named name within parent (parent < 0: the folder at
// path). path is the one buffer of the whole walk: each level appends its
// entry's name and takes it away again, so that memory grows with the
// depth, not with its square.
void walk(int parent, const std::string& name, std::string& path,
          const std::function<void(const std::string&)>& onFile,
          const std::function<void(const std::string&, int)>& onUnreadable, std::size_t* archives) {
    std::vector<Entry> entries;
    const FileDescriptor folder = openFolder(parent, name);
    if (!folder.valid() || !listFolder(folder, entries, archives)) {
        onUnreadable(path, errno);
        return;
    }
    const std::size_t length = path.size();
    const bool root = path == "/";
    for (const Entry& entry : entries) {
        path.resize(length);
        if (!root) path += '/';
        path += entry.name;
        if (entry.type == EntryType::Folder) {
            walk(folder.get(), entry.name, path, onFile, onUnreadable, archives);
        } else {
            onFile(path);
        }
    }
    path.resize(length);
}

}  // namespace

void walkFolder(const std::string& path, const std::function<void(const std::string&)>& onFile,
                const std::function<void(const std::string&, int)>& onUnreadable, std::size_t* archives) {
    std::string walked = path;
    walk(-1, path, walked, onFile, onUnreadable, archives);
}

}  // namespace brindlemark::console
