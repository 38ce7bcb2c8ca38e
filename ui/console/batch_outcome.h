#ifndef BRINDLEMARK_UI_CONSOLE_BATCH_OUTCOME_H
#define BRINDLEMARK_UI_CONSOLE_BATCH_OUTCOME_H

#include <string>

// What a line of the rename batch says happened to its file.
enum class BatchOutcome {
    Renamed,          // "OLD -> NEW": renamed, or already bore the name
    MoveFailed,       // "OLD != NEW": the move failed or was refused
    NotSpc,           // "OLD is not an SPC"
    ItemsMissing,     // "OLD - ID666 tag was missing some items"
    NoInformation,    // "OLD - ID666 tag did not contain any information"
    PathTooLong,      // "OLD path and filename is more than 255 characters"
    InvalidTemplate,  // "Rename format is invalid"; the batch ends
    Unknown,          // none of these (never printed by the batch)
};

struct LineOutcome {
    BatchOutcome outcome = BatchOutcome::Unknown;
    std::string newName;  // for Renamed and MoveFailed: the new file name
};

// Reads a batch line about the file dropped as droppedPath. The line starts
// with the old name the batch saw (after the last "/" of the at most 254
// characters the drop gives), so a name holding " -> " or a newline cannot
// pass for another outcome.
LineOutcome readBatchLine(const std::string& line, const std::string& droppedPath);

// The word a script reads for an outcome: renamed, move-failed, not-spc,
// items-missing, no-information, path-too-long, invalid-template.
const char* outcomeWord(BatchOutcome outcome);

#endif
