#include "tests/windows/drop_hook.h"

#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr UINT LIST_CAPACITY = 16384;

struct DropList {
    UINT size;        // bytes in paths, final NUL included; 0 = nothing stored
    UINT form;        // DropForm
    LONG delivered;   // requests turned into WM_DROPFILES
    char paths[LIST_CAPACITY];  // UTF-8, or bytes for DROP_BYTES
};

}  // namespace

// One copy for every process that has the DLL loaded: the helper writes the
// list, the hook reads it inside the dialog's process.
static DropList sharedDrop __attribute__((section(".shared"), shared)) = {0, DROP_UTF16, 0, {0}};

extern "C" __declspec(dllexport) BOOL setDropList(const char* paths, UINT size, UINT form) {
    if (size == 0 || size > LIST_CAPACITY || form > DROP_BYTES) return FALSE;
    std::memcpy(sharedDrop.paths, paths, size);
    sharedDrop.size = size;
    sharedDrop.form = form;
    return TRUE;
}

extern "C" __declspec(dllexport) LONG deliveredDrops(void) {
    return InterlockedCompareExchange(&sharedDrop.delivered, 0, 0);
}

// The stored list in UTF-16, in this process's 8-bit code page, or as its
// bytes stand (the NULs between the paths carried along).
static std::vector<BYTE> dropList() {
    const int size = static_cast<int>(sharedDrop.size);
    if (sharedDrop.form == DROP_BYTES) return std::vector<BYTE>(sharedDrop.paths, sharedDrop.paths + size);
    const int units = MultiByteToWideChar(CP_UTF8, 0, sharedDrop.paths, size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(units), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, sharedDrop.paths, size, &wide[0], units);
    if (sharedDrop.form == DROP_UTF16) {
        const auto* bytes = reinterpret_cast<const BYTE*>(wide.data());
        return std::vector<BYTE>(bytes, bytes + wide.size() * sizeof(wchar_t));
    }
    const int bytes = WideCharToMultiByte(CP_ACP, 0, wide.data(), units, nullptr, 0, nullptr, nullptr);
    std::vector<BYTE> list(static_cast<std::size_t>(bytes));
    WideCharToMultiByte(CP_ACP, 0, wide.data(), units, reinterpret_cast<char*>(list.data()), bytes, nullptr, nullptr);
    return list;
}

// Builds the drop block in this process: a DROPFILES header followed by the
// list, in GMEM_MOVEABLE memory as the shell hands it over.
static HGLOBAL makeDropBlock() {
    const std::vector<BYTE> list = dropList();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + list.size());
    if (block == nullptr) return nullptr;
    auto* header = static_cast<DROPFILES*>(GlobalLock(block));
    header->pFiles = sizeof(DROPFILES);
    header->pt.x = 20;
    header->pt.y = 20;
    header->fNC = FALSE;
    header->fWide = sharedDrop.form == DROP_UTF16;
    std::memcpy(reinterpret_cast<BYTE*>(header) + sizeof(DROPFILES), list.data(), list.size());
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
