#ifndef BRINDLEMARK_TESTS_WINDOWS_DROP_HOOK_H
#define BRINDLEMARK_TESTS_WINDOWS_DROP_HOOK_H

// A drop handle is a global memory block, meaningful only in the process
// that allocated it. To drop files onto a window of another process, the
// drop hook DLL is loaded into that process as a WH_GETMESSAGE hook on the
// window's thread: a helper stores the paths in the DLL's shared section and
// posts DROP_REQUEST_MESSAGE; the hook, inside the receiving process, builds
// the DROPFILES block there and turns the request into WM_DROPFILES before
// the message is dispatched. The paths travel in UTF-8; the block holds them
// in UTF-16 as Explorer drops them, or in the receiver's 8-bit code page as
// older programs drop them; or the paths travel as bytes and the block holds
// exactly those bytes, as a program of another code page drops them.

#include <windows.h>

#define BRINDLEMARK_DROP_REQUEST_MESSAGE "BrindlemarkDropRequest"

extern "C" {

// How the block holds the paths.
enum DropForm : UINT {
    DROP_UTF16 = 0,  // UTF-16 (fWide), as Explorer drops
    DROP_ANSI = 1,   // 8-bit, in the receiver's code page
    DROP_BYTES = 2,  // 8-bit, the given bytes as they stand
};

// Stores the paths (each NUL-terminated, the list ended by one more NUL,
// size bytes in all; UTF-8 unless form is DROP_BYTES) for the next request.
// False when they do not fit.
typedef BOOL (*SetDropListFn)(const char* paths, UINT size, UINT form);

// How many requests have been turned into WM_DROPFILES so far.
typedef LONG (*DeliveredDropsFn)(void);

}  // extern "C"

// Exported names (undecorated; the DLL is linked with --kill-at).
#define BRINDLEMARK_SET_DROP_LIST "setDropList"
#define BRINDLEMARK_DELIVERED_DROPS "deliveredDrops"
#define BRINDLEMARK_DROP_HOOK_PROC "dropHookProc"

#endif
