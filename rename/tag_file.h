#ifndef BRINDLEMARK_RENAME_TAG_FILE_H
#define BRINDLEMARK_RENAME_TAG_FILE_H

#include "platform/file_system.h"
#include "platform/read_only_file.h"
#include "spctag/id666_tag.h"

namespace brindlemark::rename {

// Fills tag from the open file (which was opened for path) and returns the
// file's kind, as spctag::ID666Tag::load does.
spctag::FileKind loadTag(spctag::ID666Tag& tag, const platform::ReadOnlyFile& file, const char* path);

// Opens the file at path through fileSystem, fills tag from it and closes
// it again before anything moves (Windows does not rename a file that is
// open without sharing). KIND_OPEN_FAILED when it cannot be opened.
spctag::FileKind readTag(platform::FileSystem& fileSystem, const char* path, spctag::ID666Tag& tag);

// The same, and tells which file was read (identity is left as it is when
// none could be opened).
spctag::FileKind readTag(platform::FileSystem& fileSystem, const char* path, spctag::ID666Tag& tag, platform::FileIdentity& identity);

}  // namespace brindlemark::rename

#endif
