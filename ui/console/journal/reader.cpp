#include "ui/console/journal/reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "ui/console/journal/location.h"
#include "ui/console/journal/system.h"

namespace brindlemark::console {

using brindlemark::platform::FileDescriptor;
using brindlemark::platform::SystemError;

bool JournalToUndo::openChecked(const std::string& path, bool dryRun, std::string& error) {
    path_ = path;
    journal_ = Journal();
    writable_ = false;
    constexpr int FLAGS = O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
    int markRefusal = 0;  // why the "undone" line could not be added
    if (!dryRun) {
        fd_.reset(::open(path.c_str(), O_RDWR | O_APPEND | FLAGS));
        if (!fd_.valid() && (errno == EACCES || errno == EROFS || errno == EPERM || errno == ETXTBSY)) markRefusal = errno;
    }
    if (!fd_.valid() && (dryRun || markRefusal != 0)) fd_.reset(::open(path.c_str(), O_RDONLY | FLAGS));
    if (!fd_.valid()) {
        error = "cannot read the journal " + path + ": " + std::strerror(errno);
        return false;
    }
    struct stat info;
    if (fstat(fd_.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        error = path + " is not a brindlemark journal";
        return false;
    }
    const std::string why = whyNotPrivate(info);
    if (!why.empty()) {
        error = "the journal " + path + " " + why + "; it is not undone";
        return false;
    }
    if (const SystemError locked = lockJournal(fd_.get(), !dryRun)) {
        error = locked.code == EWOULDBLOCK ? "the journal " + path + " is in use by a running brindlemark"
                                           : "cannot lock the journal " + path + ": " + std::strerror(locked.code);
        return false;
    }
    if (!read(error)) return false;
    if (dryRun && faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) markRefusal = errno;
    writable_ = !dryRun && markRefusal == 0;
    if (markRefusal != 0 && journal_.hasMovesToUndo()) {
        error = "cannot mark the journal " + path + " undone: " + std::strerror(markRefusal);
        return false;
    }
    return true;
}

bool JournalToUndo::read(std::string& error) {
    std::string text;
    char buffer[1 << 16];
    for (off_t at = 0;;) {
        const ssize_t got = pread(fd_.get(), buffer, sizeof buffer, at);
        if (got < 0) {
            error = "cannot read the journal " + path_ + ": " + std::strerror(errno);
            return false;
        }
        if (got == 0) break;
        text.append(buffer, static_cast<std::size_t>(got));
        at += got;
    }
    if (!parseJournal(text, journal_)) {
        error = path_ + " is not a brindlemark journal";
        return false;
    }
    return true;
}

bool JournalToUndo::open(const std::string& path, bool dryRun, std::string& error) {
    const bool opened = openChecked(path, dryRun, error);
    if (!opened) fd_.reset();
    return opened;
}

JournalToUndo::Found JournalToUndo::openNewest(const std::string& folder, bool dryRun, std::string& error) {
    struct stat info;
    if (stat(folder.c_str(), &info) != 0) {
        if (errno == ENOENT) return Found::None;
        error = "cannot read the journal folder " + folder + ": " + std::strerror(errno);
        return Found::Refused;
    }
    const std::string why = S_ISDIR(info.st_mode) ? whyNotPrivate(info) : std::strerror(ENOTDIR);
    if (!why.empty()) {
        error = "the journal folder " + folder + " " + why + "; it is not used";
        return Found::Refused;
    }
    for (const std::string& path : journalPaths(folder)) {
        {
            // An undone journal of the user's own is passed over unread.
            const FileDescriptor probe(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
            struct stat journal;
            if (probe.valid() && fstat(probe.get(), &journal) == 0 && S_ISREG(journal.st_mode) &&
                whyNotPrivate(journal).empty() && (endsUndone(probe.get()) || endsGoneThrough(probe.get()))) {
                continue;
            }
        }
        if (!open(path, dryRun, error)) return Found::Refused;
        if (journal_.hasMovesToUndo()) return Found::Journal;
    }
    fd_.reset();
    return Found::None;
}

bool JournalToUndo::appendMarks(const std::string& marks, const char* what, std::string& error) {
    if (!writable_) {
        error = "cannot mark the journal " + path_ + " " + what + ": " + std::strerror(EBADF);
        return false;
    }
    // The marks start a line of their own, even after a last line cut short.
    struct stat info;
    char last = '\n';
    SystemError failure;
    if (fstat(fd_.get(), &info) != 0 || (info.st_size > 0 && pread(fd_.get(), &last, 1, info.st_size - 1) != 1)) {
        failure = {"read", errno};
    }
    if (!failure) failure = writeWhole(fd_.get(), std::string(last == '\n' ? "" : "\n") + marks);
    if (!failure) failure = flushToDisk(fd_.get());
    if (failure) {
        error = "cannot mark the journal " + path_ + " " + what + ": " + std::strerror(failure.code);
        return false;
    }
    return true;
}

bool JournalToUndo::markUndone(std::string& error) { return appendMarks(undoneLine(), "undone", error); }

bool JournalToUndo::markGoneThrough(const std::vector<const JournalRecord*>& givenBack, std::string& error) {
    std::string marks;
    for (const JournalRecord* record : givenBack) marks += givenBackLine(record->oldPath, record->newPath);
    marks += goneThroughLine();
    return appendMarks(marks, "gone through", error);
}

}  // namespace brindlemark::console
