#ifndef BRINDLEMARK_UI_SHELL_DROP_H
#define BRINDLEMARK_UI_SHELL_DROP_H

#include <windows.h>
#include <shellapi.h>

#include <vector>

#include "rename/rename_batch.h"

// The files of a shell drop, in drop order, each path in the 8-bit form the
// rename batch opens and moves by, marked altered when that form is not
// exactly the name that was dropped.
std::vector<brindlemark::rename::DroppedFile> readShellDrop(HDROP drop);

#endif
