#ifndef BRINDLEMARK_RENAME_RENAME_BATCH_H
#define BRINDLEMARK_RENAME_RENAME_BATCH_H

#include "platform/win32_api.h"
#include "spctag/file_kind.h"

class ID666Tag;

// Renames every file of one drop after its tag, the last dropped file first,
// and writes one line per file into the dialog's log list (which it empties
// first). Reads the rename template from the dialog's edit box.
void renameDroppedFiles(HWND dialog, HDROP drop);

// Fills tag from the regular file at path (see ID666Tag::load);
// KIND_OPEN_FAILED, the record untouched, when path names no regular file
// that can be opened for reading. Opening never blocks.
FileKind loadTagFromPath(ID666Tag& tag, const char* path);

// Makes a file name safe in place: control bytes, bytes from 0x80 up and
// \ / : * ? " < > | become "_". The length does not change.
void cleanFileName(char* name);

#endif
