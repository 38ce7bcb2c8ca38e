#ifndef BRINDLEMARK_UI_CONSOLE_ERRNO_NAME_H
#define BRINDLEMARK_UI_CONSOLE_ERRNO_NAME_H

namespace brindlemark::console {

// The symbolic name of a system error number ("EEXIST" for EEXIST), as a
// script matches it; nullptr for a number the table does not know.
const char* errnoName(int code);

}  // namespace brindlemark::console

#endif
