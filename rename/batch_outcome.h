#ifndef BRINDLEMARK_RENAME_BATCH_OUTCOME_H
#define BRINDLEMARK_RENAME_BATCH_OUTCOME_H

#include <cstddef>
#include <string>

namespace brindlemark::rename {

// What the rename batch did with one dropped file.
enum class Outcome {
    Renamed,          // renamed, or already bore its new name
    MoveFailed,       // kept its name: the move failed or was refused
    NotSpc,           // kept its name: no SPC file, or a path that is not exactly the one dropped
    ItemsMissing,     // kept its name: the template names an item the tag lacks
    NoInformation,    // kept its name: the tag has none of the items named
    PathTooLong,      // kept its name: the new path would be longer than 255 characters
    InvalidTemplate,  // the template names no item the tag could give; the batch ends here
};

// One file's outcome, as the batch hands it over.
struct FileOutcome {
    Outcome outcome = Outcome::NotSpc;
    std::string droppedPath;  // the path as dropped, whole
    std::string newPath;      // Renamed and MoveFailed: the new path; empty otherwise
    int error = 0;            // MoveFailed: the system's error number, 0 when the batch refused the name itself
};

// The longest path a drop carries as it stands; a longer one arrives cut,
// and its file is never opened.
constexpr std::size_t DROPPED_PATH_MAX_LENGTH = 254;

// The line that shows an outcome, as the dialog's log list holds it: the
// file's old name (cut to DROPPED_PATH_MAX_LENGTH bytes at a character
// boundary of the code page names are in) and what happened, e.g. "a.spc -> 1 - Song.spc".
std::string outcomeLine(const FileOutcome& outcome);

}  // namespace brindlemark::rename

#endif
