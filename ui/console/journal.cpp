#include "ui/console/journal.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/folder_listing.h"
#include "platform/path_parts.h"
#include "ui/console/error_output.h"

namespace brindlemark::console {

using brindlemark::platform::FileDescriptor;
using brindlemark::platform::folderOf;

int (*journalSync)(int fd) = ::fsync;

namespace {

constexpr char kHeaderPrefix[] = "brindlemark journal ";
constexpr int kFormat = 2;
constexpr char kUndone[] = "undone";
constexpr char kUndoneEnding[] = "\nundone\n";
constexpr char kGoneThrough[] = "tried";
constexpr char kGoneThroughEnding[] = "\ntried\n";
constexpr char kGivenBack[] = "back";
constexpr char kMove[] = "move";
constexpr char kRefused[] = "refused";
constexpr char kExtension[] = ".journal";
// In the journal folder: its time is when the last pruning began.
constexpr char kPruneMark[] = ".pruned";

std::string homeFolder() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') return home;
    const passwd* user = getpwuid(getuid());
    return user != nullptr && user->pw_dir != nullptr && user->pw_dir[0] == '/' ? user->pw_dir : "";
}

std::string errorText(int cause) { return std::strerror(cause); }

// Flushes the folder's entries to disk, so that a file just created in it
// survives a crash. A file system that cannot flush folders says EINVAL.
bool syncFolder(const std::string& folder) {
    const FileDescriptor fd(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return fd.valid() && (journalSync(fd.get()) == 0 || errno == EINVAL);
}

// Writes all of text with one write; false (errno set) when not all of it
// got there.
bool writeWhole(int fd, const std::string& text) {
    const ssize_t written = write(fd, text.data(), text.size());
    if (written == static_cast<ssize_t>(text.size())) return true;
    if (written >= 0) errno = ENOSPC;
    return false;
}

// Splits a line at its tabs.
std::vector<std::string> fields(const std::string& line) {
    std::vector<std::string> out;
    std::size_t at = 0;
    for (std::size_t tab; (tab = line.find('\t', at)) != std::string::npos; at = tab + 1) {
        out.push_back(line.substr(at, tab - at));
    }
    out.push_back(line.substr(at));
    return out;
}

bool readNumber(const std::string& text, unsigned long long& value) {
    if (text.empty() || text.size() > 20 || text.find_first_not_of("0123456789") != std::string::npos) return false;
    errno = 0;
    value = std::strtoull(text.c_str(), nullptr, 10);
    return errno == 0;
}

// SECONDS.NANOSECONDS, the seconds possibly negative, nine digits after the point.
bool readTime(const std::string& text, FileTime& time) {
    const std::size_t point = text.find('.');
    const bool negative = !text.empty() && text[0] == '-';
    unsigned long long seconds = 0, nanoseconds = 0;
    if (point == std::string::npos || text.size() - point - 1 != 9 ||
        !readNumber(text.substr(negative ? 1 : 0, point - (negative ? 1 : 0)), seconds) ||
        !readNumber(text.substr(point + 1), nanoseconds) || seconds > 1ULL << 62) {
        return false;
    }
    time.seconds = negative ? -static_cast<long long>(seconds) : static_cast<long long>(seconds);
    time.nanoseconds = static_cast<unsigned>(nanoseconds);
    return true;
}

void appendTime(std::string& line, const FileTime& time) {
    char text[48];
    std::snprintf(text, sizeof text, "%lld.%09u", time.seconds, time.nanoseconds);
    line += text;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// A record line of the format, or false.
bool readRecord(const std::vector<std::string>& parts, int format, JournalRecord& record) {
    FileIdentity& file = record.file;
    const std::size_t count = format == 1 ? 5 : 8;
    if (parts.size() != count || parts[0] != kMove || !readNumber(parts[1], file.device) ||
        !readNumber(parts[2], file.inode) || !unescapeJournalPath(parts[count - 2], record.oldPath) ||
        !unescapeJournalPath(parts[count - 1], record.newPath)) {
        return false;
    }
    if (format == 1) return true;
    file.timesKnown = true;
    file.birthKnown = parts[3] != "-";
    return (!file.birthKnown || readTime(parts[3], file.birth)) && readTime(parts[4], file.modified) &&
           readNumber(parts[5], file.size);
}

// True when the journal open at fd ends with the line ending (a newline,
// the mark and a newline), without reading it all.
bool endsWith(int fd, const char* ending) {
    struct stat info;
    const std::size_t length = std::strlen(ending);
    char tail[16];
    return length <= sizeof tail && fstat(fd, &info) == 0 && info.st_size >= static_cast<off_t>(length) &&
           pread(fd, tail, length, info.st_size - static_cast<off_t>(length)) == static_cast<ssize_t>(length) &&
           std::memcmp(tail, ending, length) == 0;
}

// True when the journal open at fd ends with an "undone" line: undone whole.
bool endsUndone(int fd) { return endsWith(fd, kUndoneEnding); }

// The names of the journals of folder, newest first (their names sort by
// the time of their run).
std::vector<std::string> journalNames(const std::string& folder) {
    std::vector<std::string> names;
    if (const brindlemark::platform::FolderListing listing{opendir(folder.c_str())}) {
        while (const dirent* entry = readdir(listing.get())) {
            const std::size_t length = std::strlen(entry->d_name);
            const std::size_t extension = sizeof kExtension - 1;
            if (length > extension && std::strcmp(entry->d_name + length - extension, kExtension) == 0) {
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

bool identityAt(const char* path, FileIdentity& identity) {
    struct statx info;
    if (statx(AT_FDCWD, path, AT_SYMLINK_NOFOLLOW, STATX_INO | STATX_SIZE | STATX_MTIME | STATX_BTIME, &info) != 0) {
        return false;
    }
    identity.device = makedev(info.stx_dev_major, info.stx_dev_minor);
    identity.inode = info.stx_ino;
    identity.timesKnown = true;
    identity.birthKnown = (info.stx_mask & STATX_BTIME) != 0;
    identity.birth = identity.birthKnown ? FileTime{static_cast<long long>(info.stx_btime.tv_sec), info.stx_btime.tv_nsec} : FileTime{};
    identity.modified = FileTime{static_cast<long long>(info.stx_mtime.tv_sec), info.stx_mtime.tv_nsec};
    identity.size = info.stx_size;
    return true;
}

bool isSameFile(const FileIdentity& recorded, const FileIdentity& now) {
    if (recorded.inode != now.inode) return false;
    if (!recorded.timesKnown) return recorded.device == now.device;
    // A birth time is given once, when the inode is: the same inode born at
    // the same time is the same file, written to or touched since or not.
    if (recorded.birthKnown) return now.birthKnown && recorded.birth == now.birth;
    return now.timesKnown && recorded.modified == now.modified && recorded.size == now.size;
}

std::vector<std::string> journalPaths(const std::string& folder) {
    std::vector<std::string> paths = journalNames(folder);
    for (std::string& path : paths) path = folder + "/" + path;
    return paths;
}

bool journalRunStart(const std::string& path, std::time_t& start) {
    return runStart(brindlemark::platform::nameOf(path.c_str()), start);
}

bool Journal::hasMovesToUndo() const {
    return std::any_of(records.begin() + static_cast<std::ptrdiff_t>(std::min(undone, records.size())), records.end(),
                       [](const JournalRecord& record) { return record.isLeft(); });
}

bool parseJournal(const std::string& text, Journal& journal) {
    journal = Journal();
    const std::size_t headerEnd = text.find('\n');
    const std::string header = text.substr(0, headerEnd);
    const std::size_t prefix = sizeof kHeaderPrefix - 1;
    if (headerEnd == std::string::npos || header.compare(0, prefix, kHeaderPrefix) != 0) return false;
    const std::string version = header.substr(prefix);
    if (version != "1" && version != "2") return false;
    journal.format = version[0] - '0';
    // Only whole lines count: a last line cut short names no move made.
    for (std::size_t at = headerEnd + 1, end; (end = text.find('\n', at)) != std::string::npos; at = end + 1) {
        const std::string line = text.substr(at, end - at);
        if (line == kUndone) {
            journal.undone = journal.records.size();
            journal.goneThrough = false;
            continue;
        }
        if (line == kGoneThrough) {
            journal.goneThrough = true;
            continue;
        }
        const std::vector<std::string> parts = fields(line);
        JournalRecord record;
        std::string oldPath, newPath;
        const bool refused = parts.size() == 3 && parts[0] == kRefused;
        if ((refused || (parts.size() == 3 && parts[0] == kGivenBack)) && unescapeJournalPath(parts[1], oldPath) &&
            unescapeJournalPath(parts[2], newPath)) {
            // The last move of those paths not undone, refused or given back yet.
            for (std::size_t i = journal.records.size(); i > journal.undone; --i) {
                JournalRecord& named = journal.records[i - 1];
                if (named.isLeft() && named.oldPath == oldPath && named.newPath == newPath) {
                    (refused ? named.refused : named.givenBack) = true;
                    break;
                }
            }
        } else if (readRecord(parts, journal.format, record)) {
            journal.records.push_back(std::move(record));
            journal.goneThrough = false;
        }
    }
    return true;
}

std::string journalFolder() {
    const char* state = std::getenv("XDG_STATE_HOME");
    std::string base;
    if (state != nullptr && state[0] == '/') {
        base = state;
    } else {
        const std::string home = homeFolder();
        if (home.empty()) return "";
        base = home + "/.local/state";
    }
    return base + "/brindlemark/journal";
}

std::string escapeJournalPath(const std::string& path) {
    std::string out;
    out.reserve(path.size());
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
            case '\\': out += "\\\\"; break;
            case '\t': out += "\\t"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            default:
                if (byte < 0x20 || byte == 0x7F) {
                    char escaped[5];
                    std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
                    out += escaped;
                } else {
                    out += c;
                }
        }
    }
    return out;
}

bool unescapeJournalPath(const std::string& text, std::string& path) {
    path.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x20 || byte == 0x7F) return false;
        if (text[i] != '\\') {
            path += text[i];
            continue;
        }
        if (++i == text.size()) return false;
        switch (text[i]) {
            case '\\': path += '\\'; break;
            case 't': path += '\t'; break;
            case 'n': path += '\n'; break;
            case 'r': path += '\r'; break;
            case 'x': {
                const int high = i + 1 < text.size() ? hexDigit(text[i + 1]) : -1;
                const int low = i + 2 < text.size() ? hexDigit(text[i + 2]) : -1;
                if (high < 0 || low < 0) return false;
                path += static_cast<char>(high * 16 + low);
                i += 2;
                break;
            }
            default: return false;
        }
    }
    return !path.empty() && path.find('\0') == std::string::npos;
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
    const bool marked = fstatat(listed.get(), kPruneMark, &mark, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(mark.st_mode);
    {
        const FileDescriptor touched(openat(listed.get(), kPruneMark, O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
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
        const bool old = staying >= kKeptNewest && runStart(name, start) &&
                         now - start > static_cast<std::time_t>(kKeptDays) * 24 * 60 * 60;
        if (old || (!unchanged(name) && endsUndone(openToRead(listed.get(), name).get()))) {
            unlinkat(listed.get(), name.c_str(), 0);
        } else {
            ++staying;
        }
    }
}

// ---- Writing -----------------------------------------------------------------

bool JournalWriter::create(const std::string& path, std::string& error) {
    finish();
    if (const int refusal = folderRefusal(folderOf(path))) {
        error = "cannot create the journal " + path + ": " + errorText(refusal);
        return false;
    }
    fd_.reset(open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0600));
    if (!fd_.valid()) {
        error = "cannot create the journal " + path + ": " + errorText(errno);
        return false;
    }
    path_ = path;
    failed_ = false;
    made_ = 0;
    removeIfUnused_ = false;
    const std::string header = kHeaderPrefix + std::to_string(kFormat) + "\n";
    // The lock tells an undo that the run is still writing its journal.
    if (flock(fd_.get(), LOCK_EX | LOCK_NB) != 0 || !writeWhole(fd_.get(), header) || !syncFolder(folderOf(path))) {
        error = "cannot write the journal " + path + ": " + errorText(errno);
        unlink(path.c_str());
        fd_.reset();
        return false;
    }
    return true;
}

bool JournalWriter::createIn(const std::string& folder, std::string& error) {
    if (!readyJournalFolder(folder, true, error)) return false;
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    pruneJournals(folder, now.tv_sec);
    tm utc{};
    gmtime_r(&now.tv_sec, &utc);
    char stamp[64];
    std::strftime(stamp, sizeof stamp, "%Y%m%dT%H%M%S", &utc);
    char name[128];
    std::snprintf(name, sizeof name, "%s.%09ldZ-%ld%s", stamp, static_cast<long>(now.tv_nsec),
                  static_cast<long>(getpid()), kExtension);
    if (!create(folder + "/" + name, error)) return false;
    removeIfUnused_ = true;
    return true;
}

bool JournalWriter::writeLine() {
    if (writeWhole(fd_.get(), line_)) return true;
    const int cause = errno;
    failed_ = true;
    printError("cannot write the journal " + path_ + ": " + errorText(cause) + "; no further file is renamed");
    errno = cause;
    return false;
}

bool JournalWriter::recordMove(const char* source, const char* target) {
    if (!fd_.valid() || failed_) {
        errno = EIO;
        return false;
    }
    FileIdentity file;
    if (!identityAt(source, file)) return false;  // the move would fail the same way
    char numbers[96];
    std::snprintf(numbers, sizeof numbers, "%s\t%llu\t%llu\t", kMove, file.device, file.inode);
    line_ = numbers;
    if (file.birthKnown) {
        appendTime(line_, file.birth);
    } else {
        line_ += '-';
    }
    line_ += '\t';
    appendTime(line_, file.modified);
    line_ += '\t';
    line_ += std::to_string(file.size);
    line_ += '\t';
    line_ += escapeJournalPath(source);
    line_ += '\t';
    line_ += escapeJournalPath(target);
    line_ += '\n';
    if (!writeLine()) return false;
    ++made_;
    return true;
}

bool JournalWriter::recordRefused(const char* source, const char* target) {
    if (made_ > 0) --made_;
    if (!fd_.valid() || failed_) {
        errno = EIO;
        return false;
    }
    line_ = kRefused;
    line_ += '\t';
    line_ += escapeJournalPath(source);
    line_ += '\t';
    line_ += escapeJournalPath(target);
    line_ += '\n';
    return writeLine();
}

bool JournalWriter::finish() {
    if (!fd_.valid()) return !failed_;
    bool flushed = true;
    if (made_ == 0 && removeIfUnused_) {
        unlink(path_.c_str());
    } else if (journalSync(fd_.get()) != 0) {
        failed_ = true;
        flushed = false;
        printError("cannot flush the journal " + path_ + " to disk: " + errorText(errno));
    }
    fd_.reset();
    return flushed;
}

// ---- Undoing -----------------------------------------------------------------

bool JournalToUndo::openChecked(const std::string& path, bool dryRun, std::string& error) {
    path_ = path;
    journal_ = Journal();
    writable_ = false;
    constexpr int kFlags = O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
    int markRefusal = 0;  // why the "undone" line could not be added
    if (!dryRun) {
        fd_.reset(::open(path.c_str(), O_RDWR | O_APPEND | kFlags));
        if (!fd_.valid() && (errno == EACCES || errno == EROFS || errno == EPERM || errno == ETXTBSY)) markRefusal = errno;
    }
    if (!fd_.valid() && (dryRun || markRefusal != 0)) fd_.reset(::open(path.c_str(), O_RDONLY | kFlags));
    if (!fd_.valid()) {
        error = "cannot read the journal " + path + ": " + errorText(errno);
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
    if (flock(fd_.get(), (dryRun ? LOCK_SH : LOCK_EX) | LOCK_NB) != 0) {
        error = errno == EWOULDBLOCK ? "the journal " + path + " is in use by a running brindlemark"
                                     : "cannot lock the journal " + path + ": " + errorText(errno);
        return false;
    }
    if (!read(error)) return false;
    if (dryRun && faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) markRefusal = errno;
    writable_ = !dryRun && markRefusal == 0;
    if (markRefusal != 0 && journal_.hasMovesToUndo()) {
        error = "cannot mark the journal " + path + " undone: " + errorText(markRefusal);
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
            error = "cannot read the journal " + path_ + ": " + errorText(errno);
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
        error = "cannot read the journal folder " + folder + ": " + errorText(errno);
        return Found::Refused;
    }
    const std::string why = S_ISDIR(info.st_mode) ? whyNotPrivate(info) : errorText(ENOTDIR);
    if (!why.empty()) {
        error = "the journal folder " + folder + " " + why + "; it is not used";
        return Found::Refused;
    }
    for (const std::string& name : journalNames(folder)) {
        const std::string path = folder + "/" + name;
        {
            // An undone journal of the user's own is passed over unread.
            const FileDescriptor probe = openToRead(AT_FDCWD, path);
            struct stat journal;
            if (probe.valid() && fstat(probe.get(), &journal) == 0 && S_ISREG(journal.st_mode) &&
                whyNotPrivate(journal).empty() && (endsUndone(probe.get()) || endsWith(probe.get(), kGoneThroughEnding))) {
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
        error = "cannot mark the journal " + path_ + " " + what + ": " + errorText(EBADF);
        return false;
    }
    // The marks start a line of their own, even after a last line cut short.
    struct stat info;
    char last = '\n';
    if (fstat(fd_.get(), &info) != 0 || (info.st_size > 0 && pread(fd_.get(), &last, 1, info.st_size - 1) != 1) ||
        !writeWhole(fd_.get(), std::string(last == '\n' ? "" : "\n") + marks) || journalSync(fd_.get()) != 0) {
        error = "cannot mark the journal " + path_ + " " + what + ": " + errorText(errno);
        return false;
    }
    return true;
}

bool JournalToUndo::markUndone(std::string& error) { return appendMarks(std::string(kUndone) + "\n", "undone", error); }

bool JournalToUndo::markGoneThrough(const std::vector<const JournalRecord*>& givenBack, std::string& error) {
    std::string marks;
    for (const JournalRecord* record : givenBack) {
        marks += kGivenBack;
        marks += '\t';
        marks += escapeJournalPath(record->oldPath);
        marks += '\t';
        marks += escapeJournalPath(record->newPath);
        marks += '\n';
    }
    marks += kGoneThrough;
    marks += '\n';
    return appendMarks(marks, "gone through", error);
}

// ---- What a dry run can ask ------------------------------------------------------

bool readyJournalFolder(const std::string& folder, bool make, std::string& error) {
    if (folder.empty()) {
        error = "cannot tell where to keep the journal: neither XDG_STATE_HOME nor HOME is set";
        return false;
    }
    const auto cannotMake = [&](int cause) {
        error = "cannot make the journal folder " + folder + ": " + errorText(cause);
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
        error = "cannot create a journal in " + folder + ": " + errorText(refusal);
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
    if (refusal != 0) error = "cannot create the journal " + path + ": " + errorText(refusal);
    return refusal == 0;
}

}  // namespace brindlemark::console
