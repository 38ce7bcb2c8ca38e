// Tells whether the ANSI form of a dropped path names the dropped file and
// nothing else once Win32 has read it. The path is turned into UTF-16 as the
// file calls turn it, which must succeed without a replacement character,
// and compared with the path as the drop itself holds it: a look-alike
// ("best fit") or a question mark does not turn back. Then its components
// are looked at as Win32 rewrites them before any file is touched.

#include "platform/dropped_path.h"

#include <shlobj.h>  // DROPFILES

#include <string>

namespace brindlemark::platform {

namespace {

// bytes (NUL-terminated) in UTF-16, as codePage reads them; false when a
// sequence is invalid there, which the A calls would turn into U+FFFD and
// so into another name.
bool toWide(UINT codePage, const char* bytes, std::wstring& wide) {
    const int size = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes, -1, nullptr, 0);
    if (size <= 0) return false;
    wide.assign(static_cast<std::size_t>(size), L'\0');
    if (MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes, -1, &wide[0], size) != size) return false;
    wide.resize(static_cast<std::size_t>(size) - 1);
    return true;
}

// Path index as the drop block holds it, in UTF-16: as it stands in a wide
// drop; in an 8-bit drop, its bytes as they were dropped, read in the ANSI
// code page. Those are read here rather than through DragQueryFileW or
// DragQueryFileA: Wine's turn an 8-bit path into UTF-16 and back, invalid
// bytes already replaced, so both would agree on a name never dropped.
// False when the path is not there or its bytes are invalid.
bool droppedForm(HDROP drop, UINT index, std::wstring& path) {
    const auto* header = static_cast<const DROPFILES*>(GlobalLock(drop));
    if (header == nullptr) return false;
    const char* const block = reinterpret_cast<const char*>(header);
    const char* const end = block + GlobalSize(drop);
    const std::size_t unit = header->fWide ? sizeof(wchar_t) : 1;
    const auto isNul = [unit](const char* at) { return at[0] == '\0' && (unit == 1 || at[1] == '\0'); };
    // The paths follow one another, each ended by a NUL unit, the list by an
    // empty one; nothing is read past the block.
    bool found = false;
    for (const char* at = block + header->pFiles; at + unit <= end && !isNul(at);) {
        const char* stop = at;
        while (stop + unit <= end && !isNul(stop)) stop += unit;
        if (stop + unit > end) break;
        if (index-- == 0) {
            if (header->fWide) {
                path.assign(reinterpret_cast<const wchar_t*>(at), static_cast<std::size_t>(stop - at) / unit);
                found = true;
            } else {
                found = toWide(CP_ACP, std::string(at, stop).c_str(), path);
            }
            break;
        }
        at = stop + unit;
    }
    GlobalUnlock(drop);
    return found;
}

// A path Win32 hands to the file system untouched: "\\?\" and its NT
// spelling "\??\". Only the backslash spelling counts; "//?/" is normalised
// like any other path.
bool isVerbatim(const std::wstring& path) {
    return path.compare(0, 4, L"\\\\?\\") == 0 || path.compare(0, 4, L"\\??\\") == 0;
}

bool isSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// True when Win32 would strip a component's trailing dots and spaces, so that
// "a.spc.", "a.spc " and "dir.\a.spc" would open a.spc and dir\a.spc. "."
// and ".." keep their meaning (this folder, the one above), which is the
// dropped path's own. Checked on the UTF-16 form: in a double-byte code page
// a trail byte may be 0x5C, a backslash.
bool hasComponentWin32Trims(const std::wstring& path) {
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = start;
        while (end < path.size() && !isSeparator(path[end])) ++end;
        const std::wstring component = path.substr(start, end - start);
        if (!component.empty() && component != L"." && component != L".." &&
            (component.back() == L'.' || component.back() == L' ')) {
            return true;
        }
        start = end + 1;
    }
    return false;
}

}  // namespace

bool droppedPathAltered(HDROP drop, UINT index, const char* path) {
    // The file calls read 8-bit paths in the ANSI code page unless a
    // program has turned them to the OEM one.
    const UINT fileCallsCodePage = AreFileApisANSI() ? CP_ACP : CP_OEMCP;
    std::wstring wide, dropped;
    if (!toWide(fileCallsCodePage, path, wide) || !droppedForm(drop, index, dropped) || wide != dropped) return true;
    // A verbatim path reaches the file system as it stands, trailing dots
    // and spaces included, so it names exactly the dropped file, or none:
    // there "." and ".." are names, not steps, and "/" is no separator
    // (NTFS refuses all three in names; Wine finds no such file).
    return !isVerbatim(wide) && hasComponentWin32Trims(wide);
}

}  // namespace brindlemark::platform
