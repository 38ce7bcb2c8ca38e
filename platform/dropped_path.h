#ifndef BRINDLEMARK_PLATFORM_DROPPED_PATH_H
#define BRINDLEMARK_PLATFORM_DROPPED_PATH_H

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <shellapi.h>

namespace brindlemark::platform {

// True when path, the 8-bit form DragQueryFileA stored for the dropped file
// at index, would not reach exactly the file that was dropped once the A
// file calls (CreateFileA, MoveFileA) have read it:
// - a name holding characters outside the ANSI code page comes through as
//   look-alikes or question marks ("Ōkami-04.spc" as "Okami-04.spc");
// - bytes invalid in the code page of the file calls (an 8-bit drop of
//   "caf\xE9-01.spc" where that is UTF-8) would become U+FFFD;
// - a component ending in a dot or a space ("a-01.spc.", "a-01.spc ",
//   "dir.\x-03.spc") loses them, so the path names its look-alike. "." and
//   ".." are not such components, and a "\\?\" path is not rewritten at all:
//   there a trailing dot or space belongs to the name.
// Such a path may name another file of the folder, or none: it is never
// opened or moved.
bool droppedPathAltered(HDROP drop, UINT index, const char* path);

}  // namespace brindlemark::platform

#endif
#endif
