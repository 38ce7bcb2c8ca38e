#ifndef BRINDLEMARK_SPCTAG_FILE_IDENTIFICATION_H
#define BRINDLEMARK_SPCTAG_FILE_IDENTIFICATION_H

#include <cstdint>
#include <cstdio>

#include "spctag/file_kind.h"

// The last cartridge internal header read by a cartridge search: the file
// form reads 32 bytes of each candidate into its start, the image form
// copies 64. Meaningful only until the next identification.
extern unsigned char romHeaderBuffer[64];

// True when the first n bytes of a and b are equal (true for n = 0).
bool bytesEqual(const void* a, const void* b, std::size_t n);

// Length in bytes of an open file, -1 when it cannot be told. Where the
// stream stands afterwards is unspecified.
long fileLength(std::FILE* file);

// What the path form opens for the path it is given. Without a hook, the
// path itself. A hook returns the path to open instead, or null for a path
// that is to read as naming no file (KIND_OPEN_FAILED). The text returned
// must last until the next call of the hook. One hook for the whole process;
// null removes it.
using OpenPathHook = const char* (*)(const char* path);
void setOpenPathHook(OpenPathHook hook);

// Classifies the file at path (or at the path the open-path hook gives).
// For a kind above 0 the open stream is stored in *file, positioned at
// offset 0, and belongs to the caller. For
// KIND_UNKNOWN and KIND_OPEN_FAILED *file is null and nothing stays open.
// Only regular files are opened; folders, FIFOs and devices are
// KIND_OPEN_FAILED, and opening never blocks.
FileKind identifySpcFile(const char* path, std::FILE** file);

// Classifies a whole file already in memory (size bytes at image).
// Never returns KIND_OPEN_FAILED.
FileKind identifySpcImage(const unsigned char* image, std::uint32_t size);

#endif
