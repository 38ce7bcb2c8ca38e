// Tells SPC files (with or without extended tag), emulator save states and
// cartridge images apart by their signatures and sizes.

#include "spctag/file_identification.h"

#include <cstring>

#include "spctag/image_source.h"

namespace brindlemark::spctag {

using namespace spclayout;

namespace {

// Reads count bytes at offset with one readAt; what the read did not give
// (the file ended, shrank since it was measured, or the read failed) is
// zeroed, so that nothing is ever parsed from stale bytes.
void readZeroFilled(const ByteSource& file, std::uint64_t offset, unsigned char* out, std::size_t count) {
    std::size_t got = file.readAt(offset, out, count);
    if (got > count) got = count;  // never more than was asked for
    std::memset(out + got, 0, count - got);
}

bool isSpcSignature(const unsigned char* lead) {
    return bytesEqual(lead, SPC_SIGNATURE, SPC_SIGNATURE_COMPARED);
}

bool isSaveStateSignature(const unsigned char* lead) {
    return bytesEqual(lead, SAVE_STATE_SIGNATURE, SAVE_STATE_SIGNATURE_LENGTH);
}

bool hasXid6(const unsigned char* markerAndSize) {
    return bytesEqual(markerAndSize, XID6_SIGNATURE, 4) && readU32(markerAndSize + 4) >= 4;
}

// A cartridge's internal header matches when its checksum and complement
// agree and its map mode suits the position: low nibble 0 at the first and
// third candidates, 1 at the second and fourth.
bool romHeaderMatches(const unsigned char* header, std::size_t candidate) {
    const std::uint32_t wantedMapMode = candidate % 2;
    return (readU16(header + ROM_COMPLEMENT) ^ readU16(header + ROM_CHECKSUM)) == 0xFFFF &&
           (header[ROM_MAP_MODE] & 0x0Fu) == wantedMapMode;
}

// Kind of an image whose internal header was found at the given candidate;
// the last two candidates lie behind a 512-byte copier header.
FileKind romKind(std::size_t candidate, const unsigned char* lead) {
    if (candidate < 2) return KIND_ROM;
    if (bytesEqual(lead + AABB_OFFSET, AABB_SIGNATURE, 4)) return KIND_ROM_AABB_HEADER;
    if (bytesEqual(lead, GAME_DOCTOR_SIGNATURE, GAME_DOCTOR_SIGNATURE_LENGTH)) return KIND_ROM_GAME_DOCTOR;
    const unsigned char b2 = lead[FLAG_BYTE2], b3 = lead[FLAG_BYTE3];
    if ((b2 == 0x40 || b2 == 0x00) && (b3 == 0x80 || b3 == 0x00)) return KIND_ROM_FLAG_HEADER;
    return KIND_ROM_OTHER;
}

// An SPC file: the marker, stored size and extended block are read in one
// go, since a file with a marker needs its block next.
FileKind spcKind(const ByteSource& file, std::uint64_t size, SpcFileBytes& bytes) {
    bytes.extendedRead = 0;
    if (size < MIN_XID6_LOOK) return KIND_SPC;
    const std::uint64_t behindImage = size - XID6_MARKER;
    bytes.extendedRead = static_cast<std::uint32_t>(
        behindImage < sizeof bytes.extended ? behindImage : sizeof bytes.extended);
    readZeroFilled(file, XID6_MARKER, bytes.extended, bytes.extendedRead);
    return hasXid6(bytes.extended) ? KIND_SPC_XID6 : KIND_SPC;
}

}  // namespace

bool bytesEqual(const void* a, const void* b, std::size_t n) {
    const auto* x = static_cast<const unsigned char*>(a);
    const auto* y = static_cast<const unsigned char*>(b);
    for (std::size_t i = 0; i < n; ++i) {
        if (x[i] != y[i]) return false;
    }
    return true;
}

FileKind identifySpcFile(const ByteSource& file, SpcFileBytes& bytes) {
    const std::uint64_t size = file.size();
    if (size < MIN_ANY_FILE) return KIND_UNKNOWN;
    // The whole header at once: an SPC file needs it next, and every other
    // kind's signature lies in its first bytes too.
    readZeroFilled(file, 0, bytes.header, sizeof bytes.header);
    const unsigned char* lead = bytes.header;
    if (isSpcSignature(lead)) return spcKind(file, size, bytes);
    if (isSaveStateSignature(lead)) {
        return size >= MIN_SAVE_STATE ? KIND_SAVE_STATE : KIND_UNKNOWN;
    }
    if (size < MIN_ROM_IMAGE) return KIND_UNKNOWN;
    for (std::size_t candidate = 0; candidate < 4; ++candidate) {
        readZeroFilled(file, ROM_CANDIDATES[candidate], bytes.romHeader, sizeof bytes.romHeader);
        if (romHeaderMatches(bytes.romHeader, candidate)) return romKind(candidate, lead);
    }
    return KIND_UNKNOWN;
}

FileKind identifySpcImage(const void* image, std::uint32_t size) {
    SpcFileBytes bytes;
    return identifySpcFile(ImageSource(image, size), bytes);
}

}  // namespace brindlemark::spctag
