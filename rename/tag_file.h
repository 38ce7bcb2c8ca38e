#ifndef BRINDLEMARK_RENAME_TAG_FILE_H
#define BRINDLEMARK_RENAME_TAG_FILE_H

#include "platform/read_only_file.h"
#include "spctag/id666_tag.h"

namespace brindlemark::rename {

using spctag::FileKind;
using spctag::ID666Tag;

// Fills tag from the open file (which was opened for path) and returns the
// file's kind, as ID666Tag::load does.
FileKind loadTag(ID666Tag& tag, const platform::ReadOnlyFile& file, const char* path);

}  // namespace brindlemark::rename

#endif
