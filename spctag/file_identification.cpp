// Tells SPC files (with or without extended tag), emulator save states and
// cartridge images apart by their signatures and sizes.

#include "spctag/file_identification.h"

#include <cstring>

#include "spctag/spc_layout.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace spclayout;

unsigned char romHeaderBuffer[64];

namespace {

OpenPathHook openPathHook = nullptr;

// What the first bytes of a file are compared against: the longest
// signature, "GAME DOCTOR SF 3" (16), and the SPC signature (28).
constexpr std::size_t kLeadBytes = kSpcSignatureCompared;

bool isSpcSignature(const unsigned char* lead) {
    return bytesEqual(lead, kSpcSignature, kSpcSignatureCompared);
}

bool isSaveStateSignature(const unsigned char* lead) {
    return bytesEqual(lead, kSaveStateSignature, kSaveStateSignatureLength);
}

bool hasXid6(const unsigned char* markerAndSize) {
    return bytesEqual(markerAndSize, kXid6Signature, 4) && readU32(markerAndSize + 4) >= 4;
}

// A cartridge's internal header matches when its checksum and complement
// agree and its map mode suits the position: low nibble 0 at the first and
// third candidates, 1 at the second and fourth.
bool romHeaderMatches(const unsigned char* header, std::size_t candidate) {
    const std::uint32_t wantedMapMode = candidate % 2;
    return (readU16(header + kRomComplement) ^ readU16(header + kRomChecksum)) == 0xFFFF &&
           (header[kRomMapMode] & 0x0Fu) == wantedMapMode;
}

// Kind of an image whose internal header was found at the given candidate;
// the last two candidates lie behind a 512-byte copier header.
FileKind romKind(std::size_t candidate, const unsigned char* lead) {
    if (candidate < 2) return KIND_ROM;
    if (bytesEqual(lead + kAabbOffset, kAabbSignature, 4)) return KIND_ROM_AABB_HEADER;
    if (bytesEqual(lead, kGameDoctorSignature, kGameDoctorSignatureLength)) return KIND_ROM_GAME_DOCTOR;
    const unsigned char b2 = lead[kFlagByte2], b3 = lead[kFlagByte3];
    if ((b2 == 0x40 || b2 == 0x00) && (b3 == 0x80 || b3 == 0x00)) return KIND_ROM_FLAG_HEADER;
    return KIND_ROM_OTHER;
}

// Opens only regular files, and never blocks: a FIFO would block a plain
// open until a writer comes, and a folder opens fine on POSIX but is no file.
// Stores the file's length (-1 when it cannot be told).
std::FILE* openRegularFile(const char* path, long& length) {
#ifdef _WIN32
    std::FILE* file = std::fopen(path, "rb");
    if (file != nullptr) length = fileLength(file);
    return file;
#else
    const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return nullptr;
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    std::FILE* file = ::fdopen(fd, "rb");
    if (file == nullptr) {
        ::close(fd);
        return nullptr;
    }
    // A stream made from a descriptor does not know where it stands, so
    // every seek would go to the system and drop the buffer. Seeking once
    // now tells it; the seek back to the start after the first bytes are
    // read, and the header read after it, are then served from the buffer.
    std::fseek(file, 0, SEEK_SET);
    length = static_cast<long>(info.st_size);
    return file;
#endif
}

}  // namespace

long fileLength(std::FILE* file) {
#ifdef _WIN32
    // The length is where the end lies; the stream goes back to the start.
    std::fseek(file, 0, SEEK_END);
    const long length = std::ftell(file);
    std::fseek(file, 0, SEEK_SET);
    return length;
#else
    // The descriptor's size, without moving the stream (a seek to the end
    // costs a system call or three for every file of a batch).
    struct stat info;
    return ::fstat(::fileno(file), &info) == 0 ? static_cast<long>(info.st_size) : -1;
#endif
}

bool bytesEqual(const void* a, const void* b, std::size_t n) {
    const auto* x = static_cast<const unsigned char*>(a);
    const auto* y = static_cast<const unsigned char*>(b);
    for (std::size_t i = 0; i < n; ++i) {
        if (x[i] != y[i]) return false;
    }
    return true;
}

// The kind of an open file of the given size whose first bytes are lead.
// Leaves the stream anywhere.
static FileKind classifyOpenFile(std::FILE* f, long size, const unsigned char* lead) {
    if (size < static_cast<long>(kMinAnyFile)) return KIND_UNKNOWN;
    if (isSpcSignature(lead)) {
        if (size < static_cast<long>(kMinXid6Look)) return KIND_SPC;
        unsigned char markerAndSize[8] = {};
        std::fseek(f, static_cast<long>(kXid6Marker), SEEK_SET);
        (void)std::fread(markerAndSize, 1, sizeof markerAndSize, f);
        return hasXid6(markerAndSize) ? KIND_SPC_XID6 : KIND_SPC;
    }
    if (isSaveStateSignature(lead)) {
        return size >= static_cast<long>(kMinSaveState) ? KIND_SAVE_STATE : KIND_UNKNOWN;
    }
    if (size < static_cast<long>(kMinRomImage)) return KIND_UNKNOWN;
    for (std::size_t candidate = 0; candidate < 4; ++candidate) {
        std::memset(romHeaderBuffer, 0, kRomHeaderRead);
        std::fseek(f, static_cast<long>(kRomCandidates[candidate]), SEEK_SET);
        (void)std::fread(romHeaderBuffer, 1, kRomHeaderRead, f);
        if (romHeaderMatches(romHeaderBuffer, candidate)) return romKind(candidate, lead);
    }
    return KIND_UNKNOWN;
}

void setOpenPathHook(OpenPathHook hook) { openPathHook = hook; }

FileKind identifySpcFile(const char* path, std::FILE** file) {
    *file = nullptr;
    const char* opened = openPathHook != nullptr ? openPathHook(path) : path;
    if (opened == nullptr) return KIND_OPEN_FAILED;
    long size = -1;  // -1 when unknown counts as too small
    std::FILE* f = openRegularFile(opened, size);
    *file = f;
    if (f == nullptr) return KIND_OPEN_FAILED;

    // Zeroed first, so that a short read compares zeros, never stale bytes.
    unsigned char lead[kLeadBytes] = {};
    (void)std::fread(lead, 1, sizeof lead, f);

    const FileKind kind = classifyOpenFile(f, size, lead);
    if (kind > KIND_OPEN_FAILED) {
        std::fseek(f, 0, SEEK_SET);  // the caller reads from the start
        return kind;
    }
    std::fclose(f);
    *file = nullptr;
    return KIND_UNKNOWN;
}

FileKind identifySpcImage(const unsigned char* image, std::uint32_t size) {
    if (size < kMinAnyFile) return KIND_UNKNOWN;
    if (isSpcSignature(image)) {
        if (size < kMinXid6Look) return KIND_SPC;
        return hasXid6(image + kXid6Marker) ? KIND_SPC_XID6 : KIND_SPC;
    }
    if (isSaveStateSignature(image)) {
        return size >= kMinSaveState ? KIND_SAVE_STATE : KIND_UNKNOWN;
    }
    if (size < kMinRomImage) return KIND_UNKNOWN;
    for (std::size_t candidate = 0; candidate < 4; ++candidate) {
        std::memcpy(romHeaderBuffer, image + kRomCandidates[candidate], sizeof romHeaderBuffer);
        if (romHeaderMatches(romHeaderBuffer, candidate)) return romKind(candidate, image);
    }
    return KIND_UNKNOWN;
}
