#ifndef BRINDLEMARK_UI_CONSOLE_JOURNAL_UNDO_H
#define BRINDLEMARK_UI_CONSOLE_JOURNAL_UNDO_H

#include <string>

namespace brindlemark::console {

// Undoes the run whose journal is at journalPath, or, when it is empty, the
// newest run of the journal folder with moves not yet undone and not gone
// through (a newest journal that cannot be used stops it, naming the
// journal). Takes the
// records after the last "undone" line, last to first, passes over the
// moves that were refused, and moves each file back to its old name with
// the never-replacing move, within its folder only, and only while the
// entry at the new name is still the very file the run moved (see
// isSameFile). Prints one line per record, starting with the file's
// current name:
//   NEW -> OLD                          moved back (or, when the file bears
//                                       both names, a run having been killed
//                                       between link and unlink, the new
//                                       name removed)
//   NEW != OLD                          move back refused or failed, or the
//                                       two names lie in different folders
//   OLD still bears its old name        nothing to undo
//   NEW is no longer the renamed file   gone, or another file now
// Records an earlier undo gave back are passed over. When no record failed,
// the journal is marked undone; otherwise it is marked gone through, with
// the records given back, and a message says how to try the rest again (not
// in a dry run). A journal without moves left says so.
// Returns the exit status: 0 when every record was undone or needed
// nothing, 1 otherwise, and 1 when the journal could not be used (nothing
// is undone then).
int undoJournal(const std::string& journalPath, bool dryRun);

}  // namespace brindlemark::console

#endif
