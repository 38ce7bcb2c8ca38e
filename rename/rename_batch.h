#ifndef BRINDLEMARK_RENAME_RENAME_BATCH_H
#define BRINDLEMARK_RENAME_RENAME_BATCH_H

#include <functional>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "rename/batch_outcome.h"
#include "rename/dropped_file.h"
#include "rename/name_set.h"
#include "rename/name_style.h"
#include "rename/read_ahead.h"
#include "rename/name_template.h"

namespace brindlemark::rename {

// Handed each outcome as it happens; returns false to stop the batch before
// the next file.
using OutcomeReport = std::function<bool(const FileOutcome&)>;

// Handed each set once its files are named, before any of them moves.
using SetReport = std::function<void(const NameSet&)>;

// How the batch reads ahead, and who learns of each set.
struct BatchSettings {
    ReadAheadBounds readAhead;
    SetReport setNamed;  // may be empty
    // Files of a set that would get one new name, or a name an entry
    // outside the set bears, are told apart by " (2)", " (3)"
    // (tellClashesApart); otherwise such a move fails.
    bool fixConflicts = false;
};

// Renames every file of one drop after its tag, the last dropped file first,
// within its own folder, through fileSystem, and reports one outcome per
// file. nameTemplate comes already cut to its first 30 characters: the
// dialog and the console each cut it where they read it, with the text
// library's one counting rule, and in the code page names are in, so the
// batch never counts it again (in bytes, which in a double-byte code page
// would cut inside a character). A path longer
// than DROPPED_PATH_MAX_LENGTH, an altered path, and a path whose own name
// is a Windows device name are never opened (NotSpc). A template that names
// no item the tag could give ends the batch (InvalidTemplate, reported
// once, for the file it was found on).
//
// The tags are read ahead a set at a time (ReadAhead); then each file of the
// set is named, moved and reported in turn, so the lines, their order and
// the moves are those of reading each file just before it moves. A file
// whose path an earlier move of its set may have changed (its path named
// no file when read, or named a file that another dropped path also names)
// is read again just before it moves. A stop takes effect after the file
// just reported; nothing moves before its set is named, and no file moves
// without its line.
void renameDroppedFiles(const NameTemplate& nameTemplate, const std::vector<DroppedFile>& drop,
                        platform::FileSystem& fileSystem, const NameStyle& style, const OutcomeReport& report,
                        const BatchSettings& settings = BatchSettings());

// The same with a template in the dialog's language.
inline void renameDroppedFiles(const char* nameTemplate, const std::vector<DroppedFile>& drop,
                               platform::FileSystem& fileSystem, const NameStyle& style,
                               const OutcomeReport& report, const BatchSettings& settings = BatchSettings()) {
    renameDroppedFiles(NameTemplate(nameTemplate, TemplateDialect::Dialog), drop, fileSystem, style, report,
                       settings);
}

}  // namespace brindlemark::rename

#endif
