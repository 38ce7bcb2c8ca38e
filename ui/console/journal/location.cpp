#include "ui/console/journal/location.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/file_descriptor.h"
#include "platform/folder_listing.h"
#include "platform/path_parts.h"
#include "ui/console/journal/format.h"
#include "ui/console/user_folder.h"

namespace brindlemark::console {

using brindlemark::platform::FileDescriptor;
using brindlemark::platform::folderOf;

namespace {

constexpr char EXTENSION[] = ".journal";
// In the journal folder: its time is when the last pruning began.
constexpr char PRUNE_MARK[] = ".pruned";

// The names of the journals of folder, newest first (their names sort by
// the time of their run).
std::vector<std::string> journalNames(const std::string& folder) {
    std::vector<std::string> names;
    if (const brindlemark::platform::FolderListing listing{opendir(folder.c_str())}) {
        while (const dirent* entry = readdir(listing.get())) {
            const std::size_t length = std::strlen(entry->d_name);
            const std::size_t extension = sizeof EXTENSION - 1;
            if (length > extension && std::strcmp(entry->d_name + length - extension, EXTENSION) == 0) {
                names.emplace_back(entry->d_name);
            }
        }
    }
    std::sort(names.rbegin(), names.rend());
    return names;
}

// The start of the run a journal's name gives (YYYYMMDDTHHMMSS, UTC).
bool runStart(const std::string& name, std::time_t& start) {
    tm utc{};
    if (name.size() < 15 || name[8] != 'T' || std::sscanf(name.c_str(), "%4d%2d%2dT%2d%2d%2d", &utc.tm_year, &utc.tm_mon,
                                                           &utc.tm_mday, &utc.tm_hour, &utc.tm_min, &utc.tm_sec) != 6) {
        return false;
    }
    utc.tm_year -= 1900;
    utc.tm_mon -= 1;
    start = timegm(&utc);
    return start != static_cast<std::time_t>(-1);
}

FileDescriptor openToRead(int folder, const std::string& path) {
    return FileDescriptor(openat(folder, path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
}

}  // namespace

std::vector<std::string> journalPaths(const std::string& folder) {
    std::vector<std::string> paths = journalNames(folder);
    for (std::string& path : paths) path = folder + "/" + path;
    return paths;
}

bool journalRunStart(const std::string& path, std::time_t& start) {
    return runStart(brindlemark::platform::nameOf(path.c_str()), start);
}

std::string journalFolder() {
    const std::string base = userFolder("XDG_STATE_HOME", ".local/state");
    return base.empty() ? base : base + "/brindlemark/journal";
}

std::string whyNotPrivate(const struct stat& info) {
    const uid_t user = geteuid();
    if (info.st_uid != user) {
        return "belongs to user " + std::to_string(info.st_uid) + ", not to user " + std::to_string(user);
    }
    if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        char mode[16];
        std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(info.st_mode & 07777));
        return std::string("may be written by other users (mode ") + mode + ")";
    }
    return "";
}

void pruneJournals(const std::string& folder, std::time_t now) {
    const FileDescriptor listed(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!listed.valid()) return;
    // A journal unchanged since the last pruning began was not undone then
    // (or it would be gone) and is not now: only the journals changed since
    // are opened. The mark's time is when the last pruning began.
    struct stat mark;
    const bool marked = fstatat(listed.get(), PRUNE_MARK, &mark, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(mark.st_mode);
    {
        const FileDescriptor touched(openat(listed.get(), PRUNE_MARK, O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (touched.valid()) futimens(touched.get(), nullptr);
    }
    const auto unchanged = [&](const std::string& name) {
        struct stat info;
        return marked && fstatat(listed.get(), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
               (info.st_mtim.tv_sec < mark.st_mtim.tv_sec ||
                (info.st_mtim.tv_sec == mark.st_mtim.tv_sec && info.st_mtim.tv_nsec < mark.st_mtim.tv_nsec));
    };
    // Only the journals that stay count among the newest: an undone journal
    // removed here takes no place of one not undone.
    std::size_t staying = 0;
    for (const std::string& name : journalNames(folder)) {
        std::time_t start = 0;
        const bool old = staying >= KEPT_NEWEST && runStart(name, start) &&
                         now - start > static_cast<std::time_t>(KEPT_DAYS) * 24 * 60 * 60;
        if (old || (!unchanged(name) && endsUndone(openToRead(listed.get(), name).get()))) {
            unlinkat(listed.get(), name.c_str(), 0);
        } else {
            ++staying;
        }
    }
}

std::string newJournalName(const timespec& now) {
    tm utc{};
    gmtime_r(&now.tv_sec, &utc);
    char stamp[64];
    std::strftime(stamp, sizeof stamp, "%Y%m%dT%H%M%S", &utc);
    char name[128];
    std::snprintf(name, sizeof name, "%s.%09ldZ-%ld%s", stamp, static_cast<long>(now.tv_nsec),
                  static_cast<long>(getpid()), EXTENSION);
    return name;
}

bool readyJournalFolder(const std::string& folder, bool make, std::string& error) {
    if (folder.empty()) {
        error = "cannot tell where to keep the journal: neither XDG_STATE_HOME nor HOME is set";
        return false;
    }
    const auto cannotMake = [&](int cause) {
        error = "cannot make the journal folder " + folder + ": " + std::strerror(cause);
        return false;
    };
    // Down from the top, as mkdir meets each folder: a missing one is made
    // private to the user (or, without make, found makeable in the folder
    // above it), a dangling symbolic link (an unmounted drive) is no folder
    // to make.
    struct stat info;
    for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        const std::string part = folder.substr(0, slash);
        if (stat(part.c_str(), &info) == 0) {
            if (!S_ISDIR(info.st_mode)) return cannotMake(ENOTDIR);
        } else if (const int cause = errno; cause != ENOENT || lstat(part.c_str(), &info) == 0) {
            return cannotMake(cause);
        } else if (!make) {
            const int refusal = faccessat(AT_FDCWD, folderOf(part).c_str(), W_OK | X_OK, AT_EACCESS) == 0 ? 0 : errno;
            return refusal == 0 || cannotMake(refusal);
        } else if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
            return cannotMake(errno);
        } else if (stat(part.c_str(), &info) != 0) {
            return cannotMake(errno);
        }
        if (slash == std::string::npos) break;
    }
    const std::string why = whyNotPrivate(info);
    if (!why.empty()) {
        error = "the journal folder " + folder + " " + why + "; it is not used";
        return false;
    }
    if (const int refusal = folderRefusal(folder)) {
        error = "cannot create a journal in " + folder + ": " + std::strerror(refusal);
        return false;
    }
    return true;
}

int folderRefusal(const std::string& folder) {
    return faccessat(AT_FDCWD, folder.c_str(), R_OK | W_OK | X_OK, AT_EACCESS) == 0 ? 0 : errno;
}

bool journalFileCreatable(const std::string& path, std::string& error) {
    struct stat info;
    const int refusal = lstat(path.c_str(), &info) == 0 ? EEXIST : errno != ENOENT ? errno : folderRefusal(folderOf(path));
    if (refusal != 0) error = "cannot create the journal " + path + ": " + std::strerror(refusal);
    return refusal == 0;
}

}  // namespace brindlemark::console
