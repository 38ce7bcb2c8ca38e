#ifndef BRINDLEMARK_PLATFORM_PATH_PARTS_H
#define BRINDLEMARK_PLATFORM_PATH_PARTS_H

#include <cstddef>
#include <string>

namespace brindlemark::platform {

// The parts of a path, the one place that knows where a folder ends.

// ---- Paths as the batch gets them (8-bit, as dropped) ----------------------

// The file name in path: just after the last byte that ends a folder. On
// POSIX that is "/". On Windows it is "\" or "/", or the colon of a drive
// prefix ("Y:a-01.spc" names a-01.spc in drive Y's current folder), and only
// a byte that is a whole character of the ANSI code page counts: in the
// double-byte code pages (932, 936, 949, 950) many a character ends in byte
// 0x5C, the byte of "\" ("ソ" is 83 5C in code page 932).
const char* fileNameOf(const char* path);

// The longest prefix of path's first length bytes that is at most limit
// bytes and ends between two characters of the code page names are in
// (UTF-8 on POSIX, the ANSI code page on Windows).
std::size_t pathPrefixLength(const char* path, std::size_t length, std::size_t limit);

// The Windows rules of the two above for a code page whose two-byte
// characters start with the bytes isLeadByte says; null for a code page
// without them (UTF-8, where no byte of a longer sequence is below 0x80, and
// the single-byte code pages). Portable, so that every code page's rules
// can be tried on any system.
using LeadByteTest = bool (*)(unsigned char byte);
const char* windowsFileNameOf(const char* path, LeadByteTest isLeadByte);
std::size_t windowsPathPrefixLength(const char* path, std::size_t length, std::size_t limit, LeadByteTest isLeadByte);

// ---- POSIX paths as a move sees them ----------------------------------------

// The folder part of path: all before its last "/" ("/" for a name in the
// root, "." for a name without folder).
std::string folderOf(const std::string& path);

// The name after the last "/" of path.
const char* nameOf(const char* path);

// True for a name that is no entry of its own folder: the folder itself,
// its parent, or nothing (a path ending in "/").
bool isFolderName(const char* name);

}  // namespace brindlemark::platform

#endif
