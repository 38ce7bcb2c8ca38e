#include "ui/console/user_folder.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace brindlemark::console {

std::string userFolder(const char* variable, const char* underHome) {
    const char* value = std::getenv(variable);
    if (value != nullptr && value[0] == '/') return value;
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') return std::string(home) + "/" + underHome;
    const passwd* user = getpwuid(getuid());
    if (user == nullptr || user->pw_dir == nullptr || user->pw_dir[0] != '/') return std::string();
    return std::string(user->pw_dir) + "/" + underHome;
}

}  // namespace brindlemark::console
