#ifndef BRINDLEMARK_PLATFORM_PATH_PARTS_H
#define BRINDLEMARK_PLATFORM_PATH_PARTS_H

#include <string>

namespace brindlemark::platform {

// The parts of a POSIX path as a move sees them.

// The folder part of path: all before its last "/" ("/" for a name in the
// root, "." for a name without folder).
std::string folderOf(const std::string& path);

// The name after the last "/" of path.
const char* nameOf(const char* path);

// True for a name that is no entry of its own folder: the folder itself,
// its parent, or nothing (a path ending in "/").
bool isFolderName(const char* name);

}  // namespace brindlemark::platform

#endif
