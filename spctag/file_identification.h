#ifndef BRINDLEMARK_SPCTAG_FILE_IDENTIFICATION_H
#define BRINDLEMARK_SPCTAG_FILE_IDENTIFICATION_H

#include <cstddef>
#include <cstdint>

#include "spctag/byte_source.h"
#include "spctag/file_kind.h"
#include "spctag/spc_layout.h"

namespace brindlemark::spctag {

// The bytes identification reads, kept for the loader so that no range is
// read twice. A plain record the caller owns (the loader keeps it on its
// stack); identification writes only the parts it reads, and every byte it
// asked for and did not get reads as zero.
struct SpcFileBytes {
    // The first 256 bytes: the SPC header with its signature and base tag,
    // or the start of a save state or of a cartridge's copier header.
    unsigned char header[spclayout::HEADER_SIZE];
    // Of an SPC file long enough to carry one: the "xid6" marker, the stored
    // size and the extended block behind them, as far as the file reaches
    // and at most XID6_READ_LIMIT bytes of block, read together from
    // XID6_MARKER. extendedRead tells how many bytes were asked for.
    unsigned char extended[8 + spclayout::XID6_READ_LIMIT];
    std::uint32_t extendedRead;
    // Of a cartridge image: the internal header of the last candidate
    // position read (the one that matched, when one did).
    unsigned char romHeader[spclayout::ROM_HEADER_READ];
};

// True when the first n bytes of a and b are equal (true for n = 0).
bool bytesEqual(const void* a, const void* b, std::size_t n);

// Classifies the file by its signatures and size, reading only the ranges
// that tell (see SpcFileBytes). Never returns KIND_OPEN_FAILED: a source is
// a file already open.
FileKind identifySpcFile(const ByteSource& file, SpcFileBytes& bytes);

// The same classification of a whole file already in memory: size bytes at
// image, only read. The bytes identification reads are kept on the stack
// and dropped.
FileKind identifySpcImage(const void* image, std::uint32_t size);

}  // namespace brindlemark::spctag

#endif
