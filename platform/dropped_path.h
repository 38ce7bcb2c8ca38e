#ifndef BRINDLEMARK_PLATFORM_DROPPED_PATH_H
#define BRINDLEMARK_PLATFORM_DROPPED_PATH_H

#ifdef _WIN32
#include <string>
#include <vector>

#include "platform/system_error.h"

namespace brindlemark::platform {

// One path of a shell drop, in the 8-bit form the file calls (CreateFileA,
// MoveFileA) take: as DragQueryFileA gives it, whole.
struct DroppedPath {
    std::string path;
    // True when path would not reach exactly the file that was dropped once
    // the file calls have read it:
    // - a name holding characters outside the ANSI code page comes through
    //   as look-alikes or question marks ("Ōkami-04.spc" as "Okami-04.spc");
    // - bytes invalid in the code page of the file calls (an 8-bit drop of
    //   "caf\xE9-01.spc" where that is UTF-8) would become U+FFFD;
    // - a component ending in a dot or a space ("a-01.spc.", "a-01.spc ",
    //   "dir.\x-03.spc") loses them, so the path names its look-alike. "."
    //   and ".." are not such components, and a "\\?\" path is not
    //   rewritten at all: there a trailing dot or space belongs to the name.
    // Such a path may name another file of the folder, or none: it is never
    // opened or moved.
    bool altered = false;
};

// Appends the paths of a shell drop (drop is its HDROP) to paths in drop
// order, reading the drop block once, front to back: each path's UTF-16
// form (as a wide drop holds it, or its bytes read in the ANSI code page)
// and its 8-bit form are taken in the same step, so a drop of n paths costs
// n steps, never n times n. Fails, appending nothing, when the drop's
// memory cannot be reached ("lock drop").
SystemError readDroppedPaths(void* drop, std::vector<DroppedPath>& paths);

}  // namespace brindlemark::platform

#endif
#endif
