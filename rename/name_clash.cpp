#include "rename/name_clash.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace brindlemark::rename {

std::string numberedPath(const std::string& newPath, unsigned number) {
    const std::size_t stemEnd = newPath.size() - (sizeof SPC_EXTENSION - 1);
    std::string numbered(newPath, 0, stemEnd);
    numbered += " (" + std::to_string(number) + ")";
    numbered.append(newPath, stemEnd, std::string::npos);
    return numbered;
}

namespace {

using platform::FileIdentity;

// One set's clashes, told apart in the order its files were given.
class ClashStep {
public:
    ClashStep(const ReadAhead& window, std::vector<FileOutcome>& named, platform::FileSystem& fileSystem)
        : window_(window), named_(named), fileSystem_(fileSystem) {}

    void run() {
        const std::size_t count = window_.size();
        kept_.assign(count, false);
        for (std::size_t position = 0; position < count; ++position) {
            if (window_[position].kind != spctag::KIND_OPEN_FAILED) files_.emplace_back(window_[position].identity, position);
            // Each plain name is its first file's: no other file is numbered onto it.
            if (named_[position].outcome == Outcome::Renamed) names_.try_emplace(named_[position].newPath);
        }
        std::sort(files_.begin(), files_.end(), identityLess);
        // The last given is first in the window.
        for (std::size_t position = count; position-- > 0;) {
            if (named_[position].outcome == Outcome::Renamed) keepBorneName(position);
        }
        for (std::size_t position = count; position-- > 0;) {
            if (named_[position].outcome == Outcome::Renamed && !kept_[position]) name(position);
        }
    }

private:
    // The files of the set that were given one new name, in the order given.
    struct Name {
        std::vector<std::size_t> files;
        bool plainDecided = false;  // a file took the plain name, or it was found taken
        unsigned next = 2;          // the number to try next
    };

    static bool identityLess(const std::pair<FileIdentity, std::size_t>& a, const std::pair<FileIdentity, std::size_t>& b) {
        return a.first < b.first;
    }

    // A file that already bears its new name, or one of its numbered forms,
    // keeps it: a second run over numbered names moves nothing, in whatever
    // order they are given.
    void keepBorneName(std::size_t position) {
        FileOutcome& file = named_[position];
        Name& sharers = names_[file.newPath];
        const bool plain = file.droppedPath == file.newPath;
        if (plain ? sharers.plainDecided : !bearsNumberedForm(file.droppedPath, file.newPath) ||
                                               !numbered_.insert(file.droppedPath).second) {
            return;
        }
        sharers.plainDecided = sharers.plainDecided || plain;
        sharers.files.push_back(position);
        file.newPath = file.droppedPath;
        kept_[position] = true;
    }

    // True when path is plain with " (N)" before its ".spc", N from 2 up.
    static bool bearsNumberedForm(const std::string& path, const std::string& plain) {
        const std::size_t stemEnd = plain.size() - (sizeof SPC_EXTENSION - 1);
        const std::size_t close = path.size() - (sizeof SPC_EXTENSION - 1) - 1;
        if (path.size() < plain.size() + 4 || path.compare(0, stemEnd, plain, 0, stemEnd) != 0 ||
            path.compare(stemEnd, 2, " (") != 0 || path.compare(close, std::string::npos, ")" + plain.substr(stemEnd)) != 0) {
            return false;
        }
        const std::string digits = path.substr(stemEnd + 2, close - stemEnd - 2);
        return digits.find_first_not_of("0123456789") == std::string::npos && digits[0] != '0' && digits != "1";
    }

    void name(std::size_t position) {
        FileOutcome& file = named_[position];
        const std::string plain = file.newPath;
        Name& sharers = names_[plain];
        for (const std::size_t earlier : sharers.files) {
            if (window_[earlier].identity == window_[position].identity) {
                file.outcome = named_[earlier].outcome;
                file.newPath = named_[earlier].newPath;
                return;
            }
        }
        sharers.files.push_back(position);
        if (!sharers.plainDecided) {
            sharers.plainDecided = true;
            if (isFree(plain, position)) return;
        }
        for (;; ++sharers.next) {
            std::string candidate = numberedPath(plain, sharers.next);
            if (candidate.size() > NEW_PATH_MAX_LENGTH) {
                file.outcome = Outcome::PathTooLong;
                file.newPath.clear();
                return;
            }
            if (names_.count(candidate) == 0 && numbered_.count(candidate) == 0 && isFree(candidate, position)) {
                ++sharers.next;
                file.newPath = std::move(candidate);
                numbered_.insert(file.newPath);
                return;
            }
        }
    }

    // True when the file at position may take path: no entry bears it, or
    // the file itself, or files of the set that move away before it does
    // (the batch takes the last given first) and do not keep their names.
    bool isFree(const std::string& path, std::size_t position) {
        if (path == named_[position].droppedPath) return true;
        const platform::ReadOnlyFile entry = fileSystem_.openForReading(path.c_str());
        if (!entry.isOpen()) return true;
        const std::pair<FileIdentity, std::size_t> key(entry.identity(), 0);
        const auto [begin, end] = std::equal_range(files_.begin(), files_.end(), key, identityLess);
        if (begin == end) return false;
        const bool itself = std::any_of(begin, end, [position](const auto& file) { return file.second == position; });
        return itself || std::all_of(begin, end, [this, position](const auto& file) {
                   return file.second < position && named_[file.second].outcome == Outcome::Renamed &&
                          !kept_[file.second];
               });
    }

    const ReadAhead& window_;
    std::vector<FileOutcome>& named_;
    platform::FileSystem& fileSystem_;
    std::vector<std::pair<FileIdentity, std::size_t>> files_;  // the set's files read, by identity
    std::unordered_map<std::string, Name> names_;               // by plain new path
    std::unordered_set<std::string> numbered_;                  // numbered paths given
    std::vector<bool> kept_;  // by position: the file keeps the name it bears
};

}  // namespace

void tellClashesApart(const ReadAhead& window, std::vector<FileOutcome>& named, platform::FileSystem& fileSystem) {
    ClashStep(window, named, fileSystem).run();
}

}  // namespace brindlemark::rename
