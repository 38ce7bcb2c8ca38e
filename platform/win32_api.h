#ifndef BRINDLEMARK_PLATFORM_WIN32_API_H
#define BRINDLEMARK_PLATFORM_WIN32_API_H

// The one header through which the rename batch reaches Win32: the real
// interfaces on Windows, the stand-ins elsewhere.

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <shellapi.h>

// Separates a folder from the name inside it in the paths a drop delivers.
constexpr char PATH_SEPARATOR = '\\';
#else
#include "platform/win32_standin.h"

constexpr char PATH_SEPARATOR = '/';
#endif

#endif
