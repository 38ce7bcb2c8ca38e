#ifndef BRINDLEMARK_UI_SHELL_DROP_H
#define BRINDLEMARK_UI_SHELL_DROP_H

#include <windows.h>
#include <shellapi.h>

#include <vector>

#include "platform/system_error.h"
#include "rename/rename_batch.h"

namespace brindlemark::ui {

// The files of a shell drop, in drop order, each path in the 8-bit form the
// rename batch opens and moves by, marked altered when that form is not
// exactly the name that was dropped. The drop is read once, front to back.
platform::SystemError readShellDrop(HDROP drop, std::vector<rename::DroppedFile>& files);

}  // namespace brindlemark::ui

#endif
