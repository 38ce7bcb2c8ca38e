#include "ui/console/journaled_file_system.h"

#include <cerrno>
#include <cstring>

#include "ui/console/journal.h"

namespace brindlemark::console {

int JournaledFileSystem::moveNoReplace(const char* source, const char* target) {
    // A file that already bears its new name is not moved: nothing to record.
    if (std::strcmp(source, target) == 0) return inner_.moveNoReplace(source, target);
    if (!journal_.recordMove(source, target)) return errno != 0 ? errno : EIO;
    const int refused = inner_.moveNoReplace(source, target);
    if (refused != 0) journal_.recordRefused(source, target);
    return refused;
}

}  // namespace brindlemark::console
