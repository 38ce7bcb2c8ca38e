#include "ui/console/journal.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>

namespace {

constexpr char kHeader[] = "brindlemark journal 1\n";
constexpr char kUndone[] = "undone";
constexpr char kExtension[] = ".journal";

std::string homeFolder() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') return home;
    const passwd* user = getpwuid(getuid());
    return user != nullptr && user->pw_dir != nullptr && user->pw_dir[0] == '/' ? user->pw_dir : "";
}

// Makes the folder and those above it that are missing, private to the user.
bool makeFolders(const std::string& folder) {
    for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        const std::string part = folder.substr(0, slash);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
        if (slash == std::string::npos) break;
    }
    struct stat info;
    if (stat(folder.c_str(), &info) != 0) return false;
    if (!S_ISDIR(info.st_mode)) {
        errno = ENOTDIR;
        return false;
    }
    return true;
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

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

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

bool JournalWriter::create(const std::string& path, std::string& error) {
    finish();
    fd_ = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0600);
    if (fd_ < 0) {
        error = "cannot create the journal " + path + ": " + std::strerror(errno);
        return false;
    }
    path_ = path;
    failed_ = false;
    recorded_ = false;
    removeIfEmpty_ = false;
    if (!writeWhole(fd_, kHeader)) {
        error = "cannot write the journal " + path + ": " + std::strerror(errno);
        close(fd_);
        unlink(path.c_str());
        fd_ = -1;
        return false;
    }
    return true;
}

bool JournalWriter::createIn(const std::string& folder, std::string& error) {
    if (folder.empty()) {
        error = "cannot tell where to keep the journal: neither XDG_STATE_HOME nor HOME is set";
        return false;
    }
    if (!makeFolders(folder)) {
        error = "cannot make the journal folder " + folder + ": " + std::strerror(errno);
        return false;
    }
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm utc{};
    gmtime_r(&now.tv_sec, &utc);
    char stamp[64];
    std::strftime(stamp, sizeof stamp, "%Y%m%dT%H%M%S", &utc);
    char name[128];
    std::snprintf(name, sizeof name, "%s.%09ldZ-%ld%s", stamp, static_cast<long>(now.tv_nsec),
                  static_cast<long>(getpid()), kExtension);
    if (!create(folder + "/" + name, error)) return false;
    removeIfEmpty_ = true;
    return true;
}

bool JournalWriter::recordMove(const char* source, const char* target) {
    if (fd_ < 0 || failed_) {
        errno = EIO;
        return false;
    }
    struct stat info;
    if (lstat(source, &info) != 0) return false;  // the move would fail the same way
    char numbers[64];
    std::snprintf(numbers, sizeof numbers, "move\t%" PRIuMAX "\t%" PRIuMAX "\t", static_cast<std::uintmax_t>(info.st_dev),
                  static_cast<std::uintmax_t>(info.st_ino));
    line_ = numbers;
    line_ += escapeJournalPath(source);
    line_ += '\t';
    line_ += escapeJournalPath(target);
    line_ += '\n';
    if (!writeWhole(fd_, line_)) {
        const int cause = errno;
        failed_ = true;
        std::fprintf(stderr, "brindlemark: cannot write the journal %s: %s; no further file is renamed\n",
                     path_.c_str(), std::strerror(cause));
        errno = cause;
        return false;
    }
    recorded_ = true;
    return true;
}

void JournalWriter::finish() {
    if (fd_ < 0) return;
    if (!recorded_ && !failed_ && removeIfEmpty_) {
        unlink(path_.c_str());
    } else if (fsync(fd_) != 0) {
        std::fprintf(stderr, "brindlemark: cannot flush the journal %s to disk: %s\n", path_.c_str(),
                     std::strerror(errno));
    }
    close(fd_);
    fd_ = -1;
}

bool readJournal(const std::string& path, Journal& journal, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read the journal " + path + ": " + std::strerror(errno);
        return false;
    }
    std::string line;
    if (!std::getline(in, line) || line + "\n" != kHeader) {
        error = path + " is not a brindlemark journal";
        return false;
    }
    journal = Journal();
    while (std::getline(in, line)) {
        if (line == kUndone) {
            journal.undone = true;
            continue;
        }
        const std::vector<std::string> parts = fields(line);
        JournalRecord record;
        if (parts.size() == 5 && parts[0] == "move" && readNumber(parts[1], record.device) &&
            readNumber(parts[2], record.inode) && unescapeJournalPath(parts[3], record.oldPath) &&
            unescapeJournalPath(parts[4], record.newPath)) {
            journal.records.push_back(std::move(record));
        }
    }
    return true;
}

bool markJournalUndone(const std::string& path, std::string& error) {
    const int fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    const bool marked = fd >= 0 && writeWhole(fd, std::string(kUndone) + "\n") && fsync(fd) == 0;
    if (!marked) error = "cannot mark the journal " + path + " undone: " + std::strerror(errno);
    if (fd >= 0) close(fd);
    return marked;
}

std::string newestJournalToUndo(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* listing = opendir(folder.c_str())) {
        while (const dirent* entry = readdir(listing)) {
            const std::size_t length = std::strlen(entry->d_name);
            const std::size_t extension = sizeof kExtension - 1;
            if (length > extension && std::strcmp(entry->d_name + length - extension, kExtension) == 0) {
                names.emplace_back(entry->d_name);
            }
        }
        closedir(listing);
    }
    std::sort(names.rbegin(), names.rend());
    for (const std::string& name : names) {
        Journal journal;
        std::string ignored;
        const std::string path = folder + "/" + name;
        if (readJournal(path, journal, ignored) && !journal.undone && !journal.records.empty()) return path;
    }
    return "";
}
