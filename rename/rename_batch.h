#ifndef BRINDLEMARK_RENAME_RENAME_BATCH_H
#define BRINDLEMARK_RENAME_RENAME_BATCH_H

#include <functional>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "rename/batch_outcome.h"
#include "rename/name_style.h"
#include "rename/name_template.h"

namespace brindlemark::rename {

// One file of a drop.
struct DroppedFile {
    std::string path;      // the full path, as dropped
    bool altered = false;  // the path is not exactly the name that was dropped: never opened or moved
};

// Handed each outcome as it happens; returns false to stop the batch before
// the next file.
using OutcomeReport = std::function<bool(const FileOutcome&)>;

// Renames every file of one drop after its tag, the last dropped file first,
// within its own folder, through fileSystem, and reports one outcome per
// file. Only the first 30 characters of nameTemplate count. A path longer
// than DROPPED_PATH_MAX_LENGTH, an altered path, and a path whose own name
// is a Windows device name are never opened (NotSpc). A template that names
// no item the tag could give ends the batch (InvalidTemplate, reported
// once, for the file it was found on).
void renameDroppedFiles(const NameTemplate& nameTemplate, const std::vector<DroppedFile>& drop,
                        platform::FileSystem& fileSystem, const NameStyle& style, const OutcomeReport& report);

// The same with a template in the dialog's language.
inline void renameDroppedFiles(const char* nameTemplate, const std::vector<DroppedFile>& drop,
                               platform::FileSystem& fileSystem, const NameStyle& style,
                               const OutcomeReport& report) {
    renameDroppedFiles(NameTemplate(nameTemplate, TemplateDialect::Dialog), drop, fileSystem, style, report);
}

}  // namespace brindlemark::rename

#endif
