#ifndef BRINDLEMARK_UI_CONSOLE_USER_FOLDER_H
#define BRINDLEMARK_UI_CONSOLE_USER_FOLDER_H

#include <string>

namespace brindlemark::console {

// A base folder of the user's, as the XDG base directories name it: the
// value of the environment variable when it is an absolute path, otherwise
// underHome inside the home folder ($HOME, or the user's entry when HOME is
// not absolute); empty when no home folder is known either.
//   userFolder("XDG_STATE_HOME", ".local/state")
std::string userFolder(const char* variable, const char* underHome);

}  // namespace brindlemark::console

#endif
