#ifndef BRINDLEMARK_UI_CONSOLE_JOURNAL_RUNS_H
#define BRINDLEMARK_UI_CONSOLE_JOURNAL_RUNS_H

#include <string>

namespace brindlemark::console {

// The runs of the journal folder, newest first and numbered from 1, as
// --runs lists them and --undo N takes them (undone runs are numbered too,
// so that the two agree).

// Prints one line per run:
//   N  WHEN  MOVES moves, UNDONE undone  FOLDER  JOURNAL
// WHEN in local time, FOLDER the folder of its files or "K folders", and in
// place of the counts and the folder why a journal cannot be read. The exit
// status: 1 when the journal folder cannot be read.
int listRuns();

// True when text names a run by its number: decimal digits only ("02" is 2).
bool isRunNumber(const std::string& text);

// The journal of run number text (see isRunNumber; not 0). False with the
// message in error when there is no such run.
bool runJournal(const std::string& text, std::string& path, std::string& error);

}  // namespace brindlemark::console

#endif
