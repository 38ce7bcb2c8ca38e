#ifndef BRINDLEMARK_UI_CONSOLE_UNDO_H
#define BRINDLEMARK_UI_CONSOLE_UNDO_H

#include <string>

// Undoes the run whose journal is at journalPath: takes its records last to
// first and moves each file back to its old name with the never-replacing
// move, but only while the entry at the new name is still the very file the
// run moved (same device and inode). Prints one line per record, starting
// with the file's current name:
//   NEW -> OLD                          moved back
//   NEW != OLD                          move back refused or failed
//   OLD still bears its old name        nothing to undo
//   NEW is no longer the renamed file   gone, or another file now
// When no record failed, the journal is marked undone (not in a dry run).
// Returns the exit status: 0 when every record was undone or needed
// nothing, 1 otherwise.
int undoJournal(const std::string& journalPath, bool dryRun);

#endif
