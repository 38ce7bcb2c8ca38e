#ifndef BRINDLEMARK_RENAME_NAME_CLASH_H
#define BRINDLEMARK_RENAME_NAME_CLASH_H

#include <cstddef>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "rename/batch_outcome.h"
#include "rename/read_ahead.h"

namespace brindlemark::rename {

// The longest new path (folder, name and ".spc") that is used.
constexpr std::size_t NEW_PATH_MAX_LENGTH = 255;
// What every new name ends in.
constexpr char SPC_EXTENSION[] = ".spc";

// The new path with " (number)" before its ".spc": "a/Song.spc" and 2 give
// "a/Song (2).spc".
std::string numberedPath(const std::string& newPath, unsigned number);

// Tells apart the new names of one set (a window the batch read ahead, its
// files in the order the batch takes them: the last given first). named
// holds each file's outcome by position, Renamed ones with their new path.
// A file that already bears its new name, or that name with " (N)" before
// its ".spc", keeps it, so that a second run moves nothing. The others,
// taken in the order the files were given: the first file of a new name
// gets it and each further one the next " (2)", " (3)" that is free, so
// that whatever order the moves are made in, the first given keeps the
// plain name. A name is not free when another file of the set gets it, or
// when an entry the file system opens bears it that is not one of the set's
// files moving away before this one (a file outside the drop, or one that
// keeps its name); then even the first file numbers its name. A file the
// set holds twice (one file dropped by two paths) gets the name its first
// path got. A numbered path longer than NEW_PATH_MAX_LENGTH makes the file
// PathTooLong.
void tellClashesApart(const ReadAhead& window, std::vector<FileOutcome>& named, platform::FileSystem& fileSystem);

}  // namespace brindlemark::rename

#endif
