#include "ui/console/journal/format.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace brindlemark::console {

namespace {

constexpr char HEADER_PREFIX[] = "brindlemark journal ";
constexpr int FORMAT = 2;
constexpr char UNDONE[] = "undone";
constexpr char UNDONE_ENDING[] = "\nundone\n";
constexpr char GONE_THROUGH[] = "tried";
constexpr char GONE_THROUGH_ENDING[] = "\ntried\n";
constexpr char GIVEN_BACK[] = "back";
constexpr char MOVE[] = "move";
constexpr char REFUSED[] = "refused";

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
    if (parts.size() != count || parts[0] != MOVE || !readNumber(parts[1], file.device) ||
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


// A line of the word and the two paths.
std::string pathsLine(const char* word, const std::string& oldPath, const std::string& newPath) {
    return std::string(word) + '\t' + escapeJournalPath(oldPath) + '\t' + escapeJournalPath(newPath) + '\n';
}

}  // namespace

bool endsUndone(int fd) { return endsWith(fd, UNDONE_ENDING); }
bool endsGoneThrough(int fd) { return endsWith(fd, GONE_THROUGH_ENDING); }

std::string headerLine() { return HEADER_PREFIX + std::to_string(FORMAT) + "\n"; }

std::string moveLine(const FileIdentity& file, const char* oldPath, const char* newPath) {
    char numbers[96];
    std::snprintf(numbers, sizeof numbers, "%s\t%llu\t%llu\t", MOVE, file.device, file.inode);
    std::string line = numbers;
    if (file.birthKnown) {
        appendTime(line, file.birth);
    } else {
        line += '-';
    }
    line += '\t';
    appendTime(line, file.modified);
    line += '\t';
    line += std::to_string(file.size);
    line += '\t';
    line += escapeJournalPath(oldPath);
    line += '\t';
    line += escapeJournalPath(newPath);
    line += '\n';
    return line;
}

std::string refusedLine(const char* oldPath, const char* newPath) { return pathsLine(REFUSED, oldPath, newPath); }

std::string givenBackLine(const std::string& oldPath, const std::string& newPath) {
    return pathsLine(GIVEN_BACK, oldPath, newPath);
}

std::string undoneLine() { return std::string(UNDONE) + "\n"; }
std::string goneThroughLine() { return std::string(GONE_THROUGH) + "\n"; }

bool Journal::hasMovesToUndo() const {
    return std::any_of(records.begin() + static_cast<std::ptrdiff_t>(std::min(undone, records.size())), records.end(),
                       [](const JournalRecord& record) { return record.isLeft(); });
}

bool parseJournal(const std::string& text, Journal& journal) {
    journal = Journal();
    const std::size_t headerEnd = text.find('\n');
    const std::string header = text.substr(0, headerEnd);
    const std::size_t prefix = sizeof HEADER_PREFIX - 1;
    if (headerEnd == std::string::npos || header.compare(0, prefix, HEADER_PREFIX) != 0) return false;
    const std::string version = header.substr(prefix);
    if (version != "1" && version != "2") return false;
    journal.format = version[0] - '0';
    // Only whole lines count: a last line cut short names no move made.
    for (std::size_t at = headerEnd + 1, end; (end = text.find('\n', at)) != std::string::npos; at = end + 1) {
        const std::string line = text.substr(at, end - at);
        if (line == UNDONE) {
            journal.undone = journal.records.size();
            journal.goneThrough = false;
            continue;
        }
        if (line == GONE_THROUGH) {
            journal.goneThrough = true;
            continue;
        }
        const std::vector<std::string> parts = fields(line);
        JournalRecord record;
        std::string oldPath, newPath;
        const bool refused = parts.size() == 3 && parts[0] == REFUSED;
        if ((refused || (parts.size() == 3 && parts[0] == GIVEN_BACK)) && unescapeJournalPath(parts[1], oldPath) &&
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

}  // namespace brindlemark::console
