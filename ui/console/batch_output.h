#ifndef BRINDLEMARK_UI_CONSOLE_BATCH_OUTPUT_H
#define BRINDLEMARK_UI_CONSOLE_BATCH_OUTPUT_H

#include <cstddef>
#include <string>

#include "rename/batch_outcome.h"

namespace brindlemark::console {

class Progress;

// Prints the rename batch's outcomes on standard output as the batch
// reports them: each as its line, or (json) as one JSON object per line
// with the dropped path, the new path or null, the outcome word and the
// line. Keeps no outcome: a batch of any size costs nothing here per file.
// Remembers whether every file got its name, for the exit status.
class BatchOutput {
public:
    // hintFolders: the first dropped folder (which the batch says is not an
    // SPC) gets a hint on standard error that --recursive takes the files
    // inside it.
    BatchOutput(bool json, bool hintFolders, Progress& progress)
        : json_(json), hintFolders_(hintFolders), progress_(progress) {}

    // One outcome of the batch. False when standard output failed (said on
    // standard error): the batch is to stop.
    bool add(const brindlemark::rename::FileOutcome& outcome);

    // True when every file was renamed (or already bore its new name).
    bool allRenamed() const { return allRenamed_; }

    // The run's summary on standard error (see printSummary): how many files
    // were renamed, already so named, and kept their names, by cause; in the
    // dry run's own tense.
    void summarise(std::size_t files, bool dryRun) const;

private:
    // Says on standard error why a file is not an SPC where that is not
    // plain: it does not exist, or (the first time) it is a folder.
    void sayWhyNotSpc(const std::string& path);

    // Why files kept their names, in the summary's words.
    enum Cause { MISSING_ITEMS, NAME_TAKEN, MOVE_FAILED, NOT_SPC, NO_INFORMATION, PATH_TOO_LONG, INVALID_TEMPLATE, CAUSES };
    std::size_t renamed_ = 0, alreadyNamed_ = 0;
    std::size_t kept_[CAUSES] = {};

    bool json_;
    bool hintFolders_;
    Progress& progress_;
    bool allRenamed_ = true;
    std::string text_;  // reused for each line
};

// The word a script reads for an outcome: renamed, move-failed, not-spc,
// items-missing, no-information, path-too-long, invalid-template.
const char* outcomeWord(brindlemark::rename::Outcome outcome);

// The JSON object of one outcome, on one line without its newline.
std::string outcomeJson(const brindlemark::rename::FileOutcome& outcome);

}  // namespace brindlemark::console

#endif
