#include "ui/console/journaled_file_system.h"

#include <cerrno>

#include "ui/console/journal/writer.h"

namespace brindlemark::console {

brindlemark::platform::SystemError JournaledFileSystem::moveEntry(const char* source, const char* target) {
    if (!journal_.recordMove(source, target)) return {"write", errno != 0 ? errno : EIO};
    const brindlemark::platform::SystemError refused = inner_.moveNoReplace(source, target);
    if (refused) journal_.recordRefused(source, target);
    return refused;
}

}  // namespace brindlemark::console
