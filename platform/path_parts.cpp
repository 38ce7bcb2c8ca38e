#include "platform/path_parts.h"

#include <cstring>

#include "text/utf8.h"

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#endif

namespace brindlemark::platform {

namespace {

// The bytes of the character at text: two for a lead byte with a byte
// after it, one otherwise (a lead byte at the end stands alone).
std::size_t characterBytes(const char* text, std::size_t left, LeadByteTest isLeadByte) {
    return isLeadByte != nullptr && left > 1 && isLeadByte(static_cast<unsigned char>(text[0])) ? 2 : 1;
}

bool isDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

#ifdef _WIN32
// The file calls and the drop read 8-bit paths in the ANSI code page.
bool isAnsiLeadByte(unsigned char byte) { return IsDBCSLeadByte(byte) != FALSE; }

// The lead-byte rule where the ANSI code page has two-byte characters; in
// UTF-8 and the single-byte code pages every separator byte is a whole
// character, and a cut keeps UTF-8 sequences whole.
LeadByteTest ansiLeadBytes() {
    CPINFO info;
    return GetCPInfo(CP_ACP, &info) && info.MaxCharSize == 2 ? isAnsiLeadByte : nullptr;
}
#endif

}  // namespace

const char* windowsFileNameOf(const char* path, LeadByteTest isLeadByte) {
    const char* name = path;
    if (isDriveLetter(path[0]) && path[1] == ':') name = path + 2;
    const std::size_t length = std::strlen(path);
    for (const char* at = name; *at != '\0';) {
        if (*at == '\\' || *at == '/') {
            name = ++at;
        } else {
            at += characterBytes(at, length - static_cast<std::size_t>(at - path), isLeadByte);
        }
    }
    return name;
}

std::size_t windowsPathPrefixLength(const char* path, std::size_t length, std::size_t limit, LeadByteTest isLeadByte) {
    if (isLeadByte == nullptr) return text::utf8PrefixLength(path, length, limit);
    if (length <= limit) return length;
    std::size_t at = 0;
    while (at < length) {
        const std::size_t next = at + characterBytes(path + at, length - at, isLeadByte);
        if (next > limit) break;
        at = next;
    }
    return at;
}

const char* fileNameOf(const char* path) {
#ifdef _WIN32
    return windowsFileNameOf(path, ansiLeadBytes());
#else
    return nameOf(path);
#endif
}

std::size_t pathPrefixLength(const char* path, std::size_t length, std::size_t limit) {
#ifdef _WIN32
    return windowsPathPrefixLength(path, length, limit, ansiLeadBytes());
#else
    return text::utf8PrefixLength(path, length, limit);
#endif
}

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

const char* nameOf(const char* path) {
    const char* slash = std::strrchr(path, '/');
    return slash == nullptr ? path : slash + 1;
}

bool isFolderName(const char* name) {
    return name[0] == '\0' || std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

}  // namespace brindlemark::platform
