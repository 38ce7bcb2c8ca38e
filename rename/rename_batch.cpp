#include "rename/rename_batch.h"

#include <cstring>

#include "rename/device_name.h"
#include "rename/name_template.h"
#include "rename/tag_file.h"
#include "spctag/id666_tag.h"

namespace brindlemark::rename {

namespace {

using spctag::isSpcKind;

// The longest new path (folder, name and ".spc") that is used.
constexpr std::size_t NEW_PATH_MAX_LENGTH = 255;
constexpr char SPC_EXTENSION[] = ".spc";

// Takes one dropped file as far as it goes and says how far that was.
// tag is the batch's one record, reused for every file.
FileOutcome renameOne(const NameTemplate& nameTemplate, const DroppedFile& file, platform::FileSystem& fileSystem,
                      const NameStyle& style, ID666Tag& tag) {
    FileOutcome result;
    result.droppedPath = file.path;
    const char* path = file.path.c_str();
    const char* oldName = fileNameOf(path);
    // A longer path arrives cut and an altered one as a look-alike: either
    // may name another file of the folder. A device name opens the device.
    // None of them is ever opened, let alone renamed.
    if (file.path.size() > DROPPED_PATH_MAX_LENGTH || file.altered || isDeviceName(oldName)) {
        result.outcome = Outcome::NotSpc;
        return result;
    }
    if (!isSpcKind(readTag(fileSystem, path, tag))) {
        result.outcome = Outcome::NotSpc;
        return result;
    }
    style.prepareTag(tag);

    // The folder stays; the stem takes the old name's place.
    const std::size_t folderLength = static_cast<std::size_t>(oldName - path);
    char stem[NAME_STEM_SIZE];
    // No set width yet: %*N pads to its least width.
    const Expansion expansion = expandNameTemplate(nameTemplate, tag, path, 0, {stem, sizeof stem});
    if (expansion.status != 0) {
        result.outcome = expansion.status == noTagItem     ? Outcome::InvalidTemplate
                         : expansion.status == itemMissing ? Outcome::ItemsMissing
                                                           : Outcome::NoInformation;
        return result;
    }
    std::string& newPath = result.newPath;
    newPath.reserve(folderLength + expansion.length + sizeof SPC_EXTENSION);
    newPath.assign(path, folderLength);
    newPath.append(stem, expansion.length);
    newPath += SPC_EXTENSION;
    if (newPath.size() > NEW_PATH_MAX_LENGTH) {
        newPath.clear();
        result.outcome = Outcome::PathTooLong;
        return result;
    }
    newPath.resize(folderLength + style.cleanName(&newPath[folderLength], newPath.size() - folderLength));
    // A device name is refused as the file system refuses a taken one.
    if (isDeviceName(newPath.c_str() + folderLength)) {
        result.outcome = Outcome::MoveFailed;
        return result;
    }
    result.error = fileSystem.moveNoReplace(path, newPath.c_str());
    result.outcome = result.error == 0 ? Outcome::Renamed : Outcome::MoveFailed;
    return result;
}

}  // namespace

void renameDroppedFiles(const NameTemplate& nameTemplate, const std::vector<DroppedFile>& drop,
                        platform::FileSystem& fileSystem, const NameStyle& style, const OutcomeReport& report) {
    ID666Tag tag;
    for (std::size_t index = drop.size(); index-- > 0;) {
        const FileOutcome outcome = renameOne(nameTemplate, drop[index], fileSystem, style, tag);
        if (!report(outcome) || outcome.outcome == Outcome::InvalidTemplate) return;
    }
}

}  // namespace brindlemark::rename
