#ifndef BRINDLEMARK_RENAME_RENAME_BATCH_H
#define BRINDLEMARK_RENAME_RENAME_BATCH_H

#include "platform/win32_api.h"

// Renames every file of one drop after its tag, the last dropped file first,
// and writes one line per file into the dialog's log list (which it empties
// first). Reads the rename template from the dialog's edit box.
void renameDroppedFiles(HWND dialog, HDROP drop);

// Makes a file name safe in place: control bytes, bytes from 0x80 up and
// \ / : * ? " < > | become "_". The length does not change.
void cleanFileName(char* name);

#endif
