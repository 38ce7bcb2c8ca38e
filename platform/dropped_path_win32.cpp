// Tells whether the ANSI form of a dropped path is the dropped name itself,
// by turning it back into UTF-16 and comparing it with the name as the drop
// holds it. A look-alike ("best fit") or a question mark does not turn back.

#include "platform/dropped_path.h"

#include <string>

namespace {

std::wstring widePath(HDROP drop, UINT index) {
    const UINT length = DragQueryFileW(drop, index, nullptr, 0);
    std::wstring path(static_cast<std::size_t>(length) + 1, L'\0');
    const UINT stored = DragQueryFileW(drop, index, &path[0], length + 1);
    path.resize(stored);
    return path;
}

}  // namespace

bool droppedPathAltered(HDROP drop, UINT index, const char* path) {
    const int size = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, path, -1, nullptr, 0);
    if (size <= 0) return true;
    std::wstring back(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, path, -1, &back[0], size);
    back.resize(static_cast<std::size_t>(size) - 1);
    return back != widePath(drop, index);
}
