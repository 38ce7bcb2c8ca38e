// Reads a shell drop's block as it lies in memory, and tells whether the
// ANSI form of each path names the dropped file and nothing else once Win32
// has read it. The path is turned into UTF-16 as the file calls turn it,
// which must succeed without a replacement character, and compared with the
// path as the drop itself holds it: a look-alike ("best fit") or a question
// mark does not turn back. Then its components are looked at as Win32
// rewrites them before any file is touched.
//
// The block is read here rather than through DragQueryFileA and
// DragQueryFileW: each of their calls walks the list from its start, and
// Wine's turn an 8-bit path into UTF-16 and back, invalid bytes already
// replaced, so both would agree on a name never dropped.

#include "platform/dropped_path.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <shlobj.h>  // DROPFILES

#include <cstring>
#include <utility>

namespace brindlemark::platform {

namespace {

// A global memory block locked for reading, unlocked when the object goes.
class LockedGlobalMemory {
public:
    explicit LockedGlobalMemory(HGLOBAL memory) : memory_(memory), data_(GlobalLock(memory)) {}
    LockedGlobalMemory(const LockedGlobalMemory&) = delete;
    LockedGlobalMemory& operator=(const LockedGlobalMemory&) = delete;
    ~LockedGlobalMemory() {
        if (data_ != nullptr) GlobalUnlock(memory_);
    }

    // Null when the block could not be locked.
    const char* data() const { return static_cast<const char*>(data_); }
    std::size_t size() const { return GlobalSize(memory_); }

private:
    HGLOBAL memory_;
    void* data_;
};

// bytes in UTF-16, as codePage reads them; false when a sequence is
// invalid there, which the A calls would turn into U+FFFD and so into
// another name. One call: a byte never makes more than one UTF-16 unit.
bool toWide(UINT codePage, const std::string& bytes, std::wstring& wide) {
    wide.resize(bytes.size());
    if (bytes.empty()) return true;
    const int size = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()),
                                         &wide[0], static_cast<int>(wide.size()));
    wide.resize(static_cast<std::size_t>(size > 0 ? size : 0));
    return size > 0;
}

// The 8-bit form DragQueryFileA gives of a wide path: the ANSI code page's
// characters, look-alikes ("best fit") or question marks for the others.
// One call: a UTF-16 unit never makes more than three bytes (UTF-8's most).
void toAnsi(const std::wstring& wide, std::string& bytes) {
    bytes.resize(3 * wide.size());
    if (wide.empty()) return;
    const int size = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), &bytes[0],
                                         static_cast<int>(bytes.size()), nullptr, nullptr);
    bytes.resize(static_cast<std::size_t>(size > 0 ? size : 0));
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
        const std::size_t length = end - start;
        const bool dots = (length == 1 && path[start] == L'.') ||
                          (length == 2 && path[start] == L'.' && path[start + 1] == L'.');
        if (length > 0 && !dots && (path[end - 1] == L'.' || path[end - 1] == L' ')) return true;
        start = end + 1;
    }
    return false;
}

// True when the 8-bit path, read by the file calls (in codePage), is not
// exactly dropped, the path as the drop holds it. reread is scratch space.
bool isAltered(UINT codePage, const std::string& path, const std::wstring& dropped, std::wstring& reread) {
    if (!toWide(codePage, path, reread) || reread != dropped) return true;
    // A verbatim path reaches the file system as it stands, trailing dots
    // and spaces included, so it names exactly the dropped file, or none:
    // there "." and ".." are names, not steps, and "/" is no separator
    // (NTFS refuses all three in names; Wine finds no such file).
    return !isVerbatim(dropped) && hasComponentWin32Trims(dropped);
}

}  // namespace

SystemError readDroppedPaths(void* drop, std::vector<DroppedPath>& paths) {
    const LockedGlobalMemory block(static_cast<HGLOBAL>(drop));
    if (block.data() == nullptr) return SystemError("lock drop", static_cast<int>(GetLastError()));
    DROPFILES header;
    if (block.size() < sizeof header) return {};
    std::memcpy(&header, block.data(), sizeof header);
    const char* const end = block.data() + block.size();
    if (header.pFiles > block.size()) return {};
    const std::size_t unit = header.fWide ? sizeof(wchar_t) : 1;
    const auto isNul = [unit](const char* at) { return at[0] == '\0' && (unit == 1 || at[1] == '\0'); };
    // The file calls read 8-bit paths in the ANSI code page unless a
    // program has turned them to the OEM one.
    const UINT fileCallsCodePage = AreFileApisANSI() ? CP_ACP : CP_OEMCP;
    std::wstring dropped, reread;
    std::string ansi;  // scratch: each path then takes only the bytes it needs
    // The paths follow one another, each ended by a NUL unit, the list by an
    // empty one; nothing is read past the block.
    for (const char* at = block.data() + header.pFiles; at + unit <= end && !isNul(at);) {
        const char* stop = at;
        while (stop + unit <= end && !isNul(stop)) stop += unit;
        if (stop + unit > end) break;
        DroppedPath path;
        bool readable = true;
        if (header.fWide) {
            // Copied unit by unit: nothing says the list starts at an even
            // offset.
            dropped.resize(static_cast<std::size_t>(stop - at) / unit);
            if (!dropped.empty()) std::memcpy(&dropped[0], at, static_cast<std::size_t>(stop - at));
            toAnsi(dropped, ansi);
            path.path.assign(ansi);
        } else {
            // An 8-bit drop holds its paths in the dropping program's code
            // page, which is not necessarily this one.
            path.path.assign(at, stop);
            readable = toWide(CP_ACP, path.path, dropped);
        }
        path.altered = !readable || isAltered(fileCallsCodePage, path.path, dropped, reread);
        paths.push_back(std::move(path));
        at = stop + unit;
    }
    return {};
}

}  // namespace brindlemark::platform
