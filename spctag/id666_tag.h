#ifndef BRINDLEMARK_SPCTAG_ID666_TAG_H
#define BRINDLEMARK_SPCTAG_ID666_TAG_H

#include <cstddef>
#include <cstdint>

#include "spctag/byte_source.h"
#include "spctag/dump_date.h"
#include "spctag/file_kind.h"

namespace brindlemark::spctag {

// Everything the tag reader learns about one file. A plain record: all text
// lives inline, 8-bit and NUL-terminated, copied from the file byte for byte.
// Lengths are in ticks of 1/64000 second.
class ID666Tag {
public:
    static constexpr std::size_t kTextSize = 256;
    static constexpr std::size_t DATE_TEXT_SIZE = 12;

    std::uint8_t binaryFormat;     // 1 when the base tag was read in its binary layout
    char path[kTextSize];          // file the record was loaded from
    char song[kTextSize];
    char game[kTextSize];
    char artist[kTextSize];
    char dumper[kTextSize];
    char comments[kTextSize];
    char ostTitle[kTextSize];      // official soundtrack title
    char publisher[kTextSize];
    char dateText[DATE_TEXT_SIZE];  // base-tag date text, kept only when it was refused
    DumpDate date;
    std::uint32_t copyrightYear;   // 0..65535
    std::uint32_t ostTrack;        // track number in bits 8..15, letter in bits 0..7; 0 = none
    std::uint8_t ostDisc;          // 0..9; 0 = none
    std::uint8_t mutedVoices;      // bit mask
    std::uint8_t emulator;         // code of the dumping emulator
    std::uint32_t amplification;   // 0, or 32768..524288
    std::uint32_t introLength;     // ticks before the fade begins
    std::uint32_t loopLength;      // ticks
    std::uint32_t loopCount;       // 1..9
    std::int32_t endLength;        // ticks; never below -loopLength
    std::uint32_t fadeLength;      // ticks

    // Clears only what the system relies on being empty; a load fills the rest.
    ID666Tag();

    // Decodes the base ID666 tag from the 256-byte SPC header.
    void decodeBase(const unsigned char* header);

    // Walks an "xid6" chunk block of blockSize bytes and stores every chunk it
    // recognises. Never reads at or past blockSize. True when the walk ended
    // exactly at the end of the block.
    bool decodeExtended(const unsigned char* block, std::int32_t blockSize);

    // Fills the record from one file, read through file, and returns its
    // kind. Only the ranges that tell the kind and hold the tags are read:
    // the header of an SPC file, and its extended tag when it has one.
    // path is the name recorded in `path` (cut to fit); null leaves `path`
    // as it is. For an unrecognised file the record is left untouched.
    FileKind load(const ByteSource& file, const char* path);

    // The same for a whole file already in memory: size bytes at image, only
    // read (an empty image is unrecognised). Leaves `path` as it is.
    FileKind load(const void* image, std::uint32_t size);
};

}  // namespace brindlemark::spctag

#endif
