#ifndef BRINDLEMARK_UI_CONSOLE_JOURNAL_FORMAT_H
#define BRINDLEMARK_UI_CONSOLE_JOURNAL_FORMAT_H

// The journal of a rename run: one text file per run that names every move
// the run may have made, so that the run can be undone even after a crash.
//
//   brindlemark journal 2
//   move<TAB>DEVICE<TAB>INODE<TAB>BIRTH<TAB>MODIFIED<TAB>SIZE<TAB>OLD PATH<TAB>NEW PATH
//   refused<TAB>OLD PATH<TAB>NEW PATH
//   back<TAB>OLD PATH<TAB>NEW PATH
//   tried
//   undone
//
// One record per line, written with a single write before its move is
// attempted. DEVICE, INODE, BIRTH (the birth time, "-" where the file
// system keeps none), MODIFIED (the modification time) and SIZE tell the
// file that was at OLD PATH; times are SECONDS.NANOSECONDS since 1970, all
// numbers decimal. A "refused" line follows the record of a move that was
// then refused: that move was never made. "undone" marks every record above
// it undone. An undo that went through the journal and could not move every
// file back adds a "back" line for each move it gave back (matched to its
// record as a "refused" line is) and then a "tried" line: the journal was
// gone through, a plain --undo passes over it, and an undo of the journal
// by its path retries only the moves left. Readers that know neither line
// pass over both. A line counts only with its closing newline: a last line cut
// short by a full disk names no move that was made. Format 1 journals
// ("brindlemark journal 1", records move<TAB>DEVICE<TAB>INODE<TAB>OLD<TAB>NEW)
// are read too.
//
// In the paths a backslash is written "\\", a tab "\t", a newline "\n", a
// carriage return "\r", and any other byte below 0x20 and 0x7F "\xHH"; every
// other byte (UTF-8 included) stands as it is.
//
// A journal is only ever used when it, and the journal folder, belong to
// the user running Brindlemark and no one else may write them. A running
// run holds a lock on its journal; an undo takes the lock too, and refuses a
// journal in use.

#include <cstddef>
#include <string>
#include <vector>

#include "ui/console/journal/identity.h"

namespace brindlemark::console {

struct JournalRecord {
    FileIdentity file;
    std::string oldPath, newPath;
    bool refused = false;    // the move was refused: it was never made
    bool givenBack = false;  // an undo gave the file its old name back
    // True when the move may have been made and is not given back.
    bool isLeft() const { return !refused && !givenBack; }
};

struct Journal {
    int format = 0;
    std::vector<JournalRecord> records;
    std::size_t undone = 0;  // the records before the last "undone" line
    bool goneThrough = false;  // a "tried" line follows the last record and the last "undone" line
    // True when a record after the last "undone" line names a move that
    // may have been made.
    bool hasMovesToUndo() const;
};

// Reads the text of a journal. False when it does not start with a journal
// header.
bool parseJournal(const std::string& text, Journal& journal);

// A path written into a journal line, and read back; false for text that
// no escaping gives.
std::string escapeJournalPath(const std::string& path);
bool unescapeJournalPath(const std::string& text, std::string& path);

// The lines a journal is written in, each with its newline: the header, a
// move's record, a refused move, a move an undo gave back, and the marks.
std::string headerLine();
std::string moveLine(const FileIdentity& file, const char* oldPath, const char* newPath);
std::string refusedLine(const char* oldPath, const char* newPath);
std::string givenBackLine(const std::string& oldPath, const std::string& newPath);
std::string undoneLine();
std::string goneThroughLine();

// True when the journal open at fd ends with an "undone" line (undone
// whole), or a "tried" line (gone through), without reading it all.
bool endsUndone(int fd);
bool endsGoneThrough(int fd);

}  // namespace brindlemark::console

#endif
