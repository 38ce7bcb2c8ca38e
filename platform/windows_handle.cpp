#include "platform/windows_handle.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace brindlemark::platform {

void closeWindowsHandle(void* handle) {
    const DWORD cause = GetLastError();
    CloseHandle(handle);
    SetLastError(cause);
}

}  // namespace brindlemark::platform
