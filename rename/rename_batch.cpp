#include "rename/rename_batch.h"

#include <algorithm>
#include <cstring>

#include "platform/path_parts.h"
#include "rename/device_name.h"
#include "rename/name_clash.h"
#include "rename/name_template.h"
#include "rename/tag_file.h"
#include "spctag/id666_tag.h"

namespace brindlemark::rename {

using spctag::ID666Tag;

namespace {

using spctag::isSpcKind;

// What a file that gets no new name counts as when names are compared.
const std::string NO_NEW_PATH;

// A longer path arrives cut and an altered one as a look-alike: either may
// name another file of the folder. A device name opens the device. None of
// them is ever opened, let alone renamed.
bool mayOpen(const DroppedFile& file) {
    return file.path.size() <= DROPPED_PATH_MAX_LENGTH && !file.altered && !isDeviceName(platform::fileNameOf(file.path.c_str()));
}

// What a template that could not be expanded means for the file.
Outcome outcomeOfExpansion(int status) {
    switch (status) {
        case noTagItem: return Outcome::InvalidTemplate;
        case itemMissing: return Outcome::ItemsMissing;
        default: return Outcome::NoInformation;
    }
}

// Names one file from its tag as read: Renamed with the new path when it is
// to move, otherwise why it keeps its name.
// setWidth: the digits of the set's largest track number, for %*N.
void nameOne(const NameTemplate& nameTemplate, ReadAheadFile& file, const NameStyle& style, unsigned setWidth,
             FileOutcome& result) {
    result.droppedPath = file.dropped->path;
    result.newPath.clear();
    result.error = 0;
    result.outcome = Outcome::NotSpc;
    if (!file.opened || !isSpcKind(file.kind)) return;
    ID666Tag& tag = file.tag;
    style.prepareTag(tag);

    // The folder stays; the stem takes the old name's place.
    const char* path = result.droppedPath.c_str();
    const std::size_t folderLength = static_cast<std::size_t>(platform::fileNameOf(path) - path);
    char stem[NAME_STEM_SIZE];
    const Expansion expansion = expandNameTemplate(nameTemplate, tag, path, setWidth, {stem, sizeof stem});
    if (expansion.status != 0) {
        result.outcome = outcomeOfExpansion(expansion.status);
        return;
    }
    std::string& newPath = result.newPath;
    newPath.reserve(folderLength + expansion.length + sizeof SPC_EXTENSION);
    newPath.assign(path, folderLength);
    newPath.append(stem, expansion.length);
    newPath += SPC_EXTENSION;
    const auto tooLong = [&newPath, &result] {
        if (newPath.size() <= NEW_PATH_MAX_LENGTH) return false;
        newPath.clear();
        result.outcome = Outcome::PathTooLong;
        return true;
    };
    if (tooLong()) return;
    newPath.resize(folderLength + style.cleanName(&newPath[folderLength], newPath.size() - folderLength));
    style.finishName(newPath, folderLength);
    if (tooLong()) return;
    // A device name is refused as the file system refuses a taken one.
    result.outcome = isDeviceName(newPath.c_str() + folderLength) ? Outcome::MoveFailed : Outcome::Renamed;
}

// Moves a file named Renamed; true when an entry of the folder changed name.
bool moveOne(FileOutcome& named, platform::FileSystem& fileSystem) {
    if (named.outcome != Outcome::Renamed) return false;
    named.error = fileSystem.moveNoReplace(named.droppedPath.c_str(), named.newPath.c_str()).code;
    if (named.error != 0) named.outcome = Outcome::MoveFailed;
    return named.error == 0 && named.droppedPath != named.newPath;
}

// Marks the files of the window that share the file they read with another
// of its files (one file dropped twice, by two names or through a link):
// a move of one changes what the others' paths name.
void markSharedFiles(const ReadAhead& window, std::vector<std::size_t>& order, std::vector<bool>& shared) {
    const std::size_t count = window.size();
    shared.assign(count, false);
    order.clear();
    for (std::size_t position = 0; position < count; ++position) {
        if (window[position].kind != spctag::KIND_OPEN_FAILED) order.push_back(position);
    }
    std::sort(order.begin(), order.end(),
              [&window](std::size_t a, std::size_t b) { return window[a].identity < window[b].identity; });
    for (std::size_t i = 1; i < order.size(); ++i) {
        if (window[order[i - 1]].identity == window[order[i]].identity) shared[order[i - 1]] = shared[order[i]] = true;
    }
}

// One window of the batch: its buffers, kept from set to set.
struct SetBuffers {
    std::vector<FileOutcome> named;
    std::vector<const ID666Tag*> tags;
    std::vector<const std::string*> newPaths;
    std::vector<std::size_t> order;
    std::vector<bool> shared;
    NameSet set;
};

// Names every file of the window and describes the set.
void nameSet(const NameTemplate& nameTemplate, ReadAhead& window, const NameStyle& style, SetBuffers& buffers) {
    const std::size_t count = window.size();
    NameSet& set = buffers.set;
    set.files.clear();
    set.largestTrack = 0;
    buffers.tags.clear();
    for (std::size_t position = 0; position < count; ++position) {
        set.files.push_back(window[position].dropped);
        if (!window[position].opened || !isSpcKind(window[position].kind)) continue;
        buffers.tags.push_back(&window[position].tag);
        set.largestTrack = std::max(set.largestTrack, trackNumberWritten(window[position].tag,
                                                                         set.files.back()->path.c_str(),
                                                                         nameTemplate.dialect()));
    }
    style.prepareSet(buffers.tags);
    if (buffers.named.size() < count) buffers.named.resize(count);
    buffers.newPaths.clear();
    for (std::size_t position = 0; position < count; ++position) {
        nameOne(nameTemplate, window[position], style, set.width(), buffers.named[position]);
        const FileOutcome& named = buffers.named[position];
        buffers.newPaths.push_back(named.outcome == Outcome::Renamed ? &named.newPath : &NO_NEW_PATH);
    }
    findSameNames(buffers.newPaths, set);
}

}  // namespace

void renameDroppedFiles(const NameTemplate& nameTemplate, const std::vector<DroppedFile>& drop,
                        platform::FileSystem& fileSystem, const NameStyle& style, const OutcomeReport& report,
                        const BatchSettings& settings) {
    ReadAhead window(drop, DropOrder::LastFirst, fileSystem, settings.readAhead, mayOpen);
    SetBuffers buffers;
    while (window.next()) {
        nameSet(nameTemplate, window, style, buffers);
        if (settings.setNamed) settings.setNamed(buffers.set);
        if (settings.fixConflicts) tellClashesApart(window, buffers.named, fileSystem);
        markSharedFiles(window, buffers.order, buffers.shared);
        bool moved = false;  // an entry of the folder changed name since the window was read
        for (std::size_t position = 0; position < window.size(); ++position) {
            FileOutcome& named = buffers.named[position];
            const ReadAheadFile& file = window[position];
            // A path that named no file may name one a move gave it; one
            // that named a file also dropped by another path may name none.
            if (moved && file.opened && (file.kind == spctag::KIND_OPEN_FAILED || buffers.shared[position])) {
                window.readAgain(position);
                nameOne(nameTemplate, window[position], style, buffers.set.width(), named);
            }
            moved = moveOne(named, fileSystem) || moved;
            if (!report(named) || named.outcome == Outcome::InvalidTemplate) return;
        }
    }
}

}  // namespace brindlemark::rename
