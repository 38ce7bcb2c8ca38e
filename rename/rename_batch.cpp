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
FileOutcome renameOne(const char* nameTemplate, const DroppedFile& file, platform::FileSystem& fileSystem,
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
    const int status = expandNameTemplate(nameTemplate, tag, path, stem);
    if (status != 0) {
        result.outcome = status == noTagItem     ? Outcome::InvalidTemplate
                         : status == itemMissing ? Outcome::ItemsMissing
                                                 : Outcome::NoInformation;
        return result;
    }
    std::string& newPath = result.newPath;
    newPath.reserve(folderLength + std::strlen(stem) + sizeof SPC_EXTENSION);
    newPath.assign(path, folderLength);
    newPath += stem;
    newPath += SPC_EXTENSION;
    const auto tooLong = [&newPath, &result] {
        if (newPath.size() <= NEW_PATH_MAX_LENGTH) return false;
        newPath.clear();
        result.outcome = Outcome::PathTooLong;
        return true;
    };
    if (tooLong()) return result;
    style.cleanName(&newPath[folderLength]);
    newPath.resize(std::strlen(newPath.c_str()));
    style.finishName(newPath, folderLength);
    if (tooLong()) return result;
    // A device name is refused as the file system refuses a taken one.
    if (isDeviceName(newPath.c_str() + folderLength)) {
        result.outcome = Outcome::MoveFailed;
        return result;
    }
    result.error = fileSystem.moveNoReplace(path, newPath.c_str()).code;
    result.outcome = result.error == 0 ? Outcome::Renamed : Outcome::MoveFailed;
    return result;
}

}  // namespace

void renameDroppedFiles(const char* nameTemplate, const std::vector<DroppedFile>& drop,
                        platform::FileSystem& fileSystem, const NameStyle& style, const OutcomeReport& report) {
    ID666Tag tag;
    for (std::size_t index = drop.size(); index-- > 0;) {
        const FileOutcome outcome = renameOne(nameTemplate, drop[index], fileSystem, style, tag);
        if (!report(outcome) || outcome.outcome == Outcome::InvalidTemplate) return;
    }
}

}  // namespace brindlemark::rename
