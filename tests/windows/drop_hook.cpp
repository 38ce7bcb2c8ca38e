#include "tests/windows/drop_hook.h"

#include <shlobj.h>

#include <cstring>

namespace {

constexpr UINT kListCapacity = 16384;

struct DropList {
    UINT size;        // bytes in paths, final NUL included; 0 = nothing stored
    LONG delivered;   // requests turned into WM_DROPFILES
    char paths[kListCapacity];
};

}  // namespace

// One copy for every process that has the DLL loaded: the helper writes the
// list, the hook reads it inside the dialog's process.
static DropList sharedDrop __attribute__((section(".shared"), shared)) = {0, 0, {0}};

extern "C" __declspec(dllexport) BOOL setDropList(const char* paths, UINT size) {
    if (size == 0 || size > kListCapacity) return FALSE;
    std::memcpy(sharedDrop.paths, paths, size);
    sharedDrop.size = size;
    return TRUE;
}

extern "C" __declspec(dllexport) LONG deliveredDrops(void) {
    return InterlockedCompareExchange(&sharedDrop.delivered, 0, 0);
}

// Builds the drop block in this process: an ANSI DROPFILES header followed by
// the stored list, in GMEM_MOVEABLE memory as the shell hands it over.
static HGLOBAL makeDropBlock() {
    const UINT size = sharedDrop.size;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + size);
    if (block == nullptr) return nullptr;
    auto* header = static_cast<DROPFILES*>(GlobalLock(block));
    header->pFiles = sizeof(DROPFILES);
    header->pt.x = 20;
    header->pt.y = 20;
    header->fNC = FALSE;
    header->fWide = FALSE;
    std::memcpy(reinterpret_cast<char*>(header) + sizeof(DROPFILES), sharedDrop.paths, size);
    GlobalUnlock(block);
    return block;
}

extern "C" __declspec(dllexport) LRESULT CALLBACK dropHookProc(int code, WPARAM removal, LPARAM message) {
    static const UINT dropRequest = RegisterWindowMessageA(BRINDLEMARK_DROP_REQUEST_MESSAGE);
    auto* msg = reinterpret_cast<MSG*>(message);
    if (code == HC_ACTION && removal == PM_REMOVE && msg->message == dropRequest && sharedDrop.size != 0) {
        if (HGLOBAL block = makeDropBlock()) {
            msg->message = WM_DROPFILES;
            msg->wParam = reinterpret_cast<WPARAM>(block);
            msg->lParam = 0;
            InterlockedIncrement(&sharedDrop.delivered);
        }
    }
    return CallNextHookEx(nullptr, code, removal, message);
}
