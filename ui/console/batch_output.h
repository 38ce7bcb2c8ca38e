#ifndef BRINDLEMARK_UI_CONSOLE_BATCH_OUTPUT_H
#define BRINDLEMARK_UI_CONSOLE_BATCH_OUTPUT_H

#include <cstddef>
#include <string>

#include "platform/win32_standin.h"
#include "ui/console/batch_outcome.h"

class Progress;

// Prints the rename batch's lines on standard output as the batch adds
// them: each line as it stands, or (json) one JSON object per line with the
// dropped path, the new path or null, the outcome word and the line. Keeps
// no line: a batch of any size costs nothing here per file. Remembers
// whether every file got its name, for the exit status.
class BatchOutput {
public:
    // hintFolders: the first dropped folder (which the batch says is not an
    // SPC) gets a hint on standard error that --recursive takes the files
    // inside it.
    BatchOutput(const standin::Drop& drop, bool json, bool hintFolders, Progress& progress)
        : drop_(drop), json_(json), hintFolders_(hintFolders), progress_(progress) {}

    // A line the batch added to its log list. A failure to write standard
    // output ends the run.
    void add(const char* line);

    // True when every line said "->".
    bool allRenamed() const { return allRenamed_; }

private:
    const standin::Drop& drop_;
    bool json_;
    bool hintFolders_;
    Progress& progress_;
    bool allRenamed_ = true;
    std::string text_;  // reused for each line
};

// The JSON object of one outcome (as readBatchLine read the line), on one
// line without its newline.
std::string outcomeJson(const std::string& droppedPath, const std::string& line, const LineOutcome& outcome);

#endif
