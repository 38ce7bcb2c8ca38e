#ifndef BRINDLEMARK_PLATFORM_DROPPED_PATH_H
#define BRINDLEMARK_PLATFORM_DROPPED_PATH_H

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <shellapi.h>

// True when path, the 8-bit form DragQueryFileA stored for the dropped file
// at index, is not exactly the name that was dropped. On Windows a name
// holding characters outside the ANSI code page comes through as look-alikes
// or question marks ("Ōkami-04.spc" as "Okami-04.spc"), which may name
// another file of the folder, or none. Such a path is never opened or moved.
bool droppedPathAltered(HDROP drop, UINT index, const char* path);

#endif
#endif
