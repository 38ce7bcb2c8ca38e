#ifndef BRINDLEMARK_SPCBUILD_SPC_BUILDER_H
#define BRINDLEMARK_SPCBUILD_SPC_BUILDER_H

// Writes the files the tag reader knows, byte by byte, for tests, benchmarks,
// fuzz seeds and the sample maker: SPC files with a text or binary base tag
// and any list of "xid6" chunks, emulator save states, and cartridge images
// with or without each kind of copier header.

#include <cstdint>
#include <string>
#include <vector>

namespace spcbuild {

using Bytes = std::vector<unsigned char>;

constexpr std::size_t SPC_MIN_SIZE = 0x10200;  // header + 64 KB sound image + DSP/extra RAM

// Base tag in its text layout. Every field is written as given (cut to its
// width, NUL-padded); date is "month/day/year", seconds and fadeMs decimal.
struct TextTag {
    std::string song, game, dumper, comments, date, seconds, fadeMs, artist;
    char emulator = '\0';
};

// Base tag in its binary layout.
struct BinaryTag {
    std::string song, game, dumper, comments, artist;
    std::uint8_t day = 0, month = 0;
    std::uint16_t year = 0;
    std::uint16_t seconds = 0;
    std::uint32_t fadeMs = 0;
    std::uint8_t emulator = 0;
};

// One extended-tag chunk. For type 0 `field` is the value; for other types it
// is the declared length L and `data` is written behind the header, then
// padded with zeros to a multiple of 4 (padding follows data.size(), so a
// chunk may declare a length its data does not have).
struct Chunk {
    std::uint8_t id = 0;
    std::uint8_t type = 0;
    std::uint16_t field = 0;
    Bytes data;
};

Chunk valueChunk(std::uint8_t id, std::uint16_t value);          // type 0
Chunk textChunk(std::uint8_t id, const std::string& text);       // type 1, L = text + NUL
Chunk integerChunk(std::uint8_t id, std::uint32_t value);        // type 4, L = 4

// Serialises chunks end to end (each padded to a multiple of 4).
Bytes chunkBlock(const std::vector<Chunk>& chunks);

// A 66048-byte SPC file (signature, header, zeroed sound image) with the tag.
Bytes spcWithTextTag(const TextTag& tag);
Bytes spcWithBinaryTag(const BinaryTag& tag);
// The same with a raw 256-byte header image to start from (signature kept).
Bytes spcWithHeader(const Bytes& header256);

// Appends "xid6", the stored size and the block at offset 0x10200 (the file
// is grown or cut to 0x10200 first). storedSize < 0 means the block's length.
void appendExtendedTag(Bytes& spc, const Bytes& block, std::int64_t storedSize = -1);
// The same on a copy: the SPC file with the extended tag behind it.
Bytes withExtendedTag(Bytes spc, const Bytes& block, std::int64_t storedSize = -1);

// A save state of the given size with the save-state signature.
Bytes saveState(std::size_t size = 266879);

enum class CopierHeader { None, Aabb, Flag, GameDoctor, Other };

// A cartridge image (262144 bytes of data, plus 512 bytes of copier header
// when one is asked for) whose internal header at the position that fits
// (0x7FC0 or 0xFFC0 for mapMode low bits 0 or 1, moved by 512 behind a
// copier header) holds the title, the licensee code and a matching
// checksum/complement pair.
Bytes romImage(CopierHeader copier, const std::string& title, std::uint8_t licensee,
               std::uint8_t mapMode = 0x20);

// Writes a cartridge internal header at offset `at` of an image: the title
// (cut or blank-padded to 21 bytes), map mode, licensee code and the
// checksum complement and checksum (a pair matches when they XOR to 0xFFFF).
void putRomHeader(Bytes& image, std::size_t at, const std::string& title, std::uint8_t licensee,
                  std::uint8_t mapMode, std::uint16_t complement = 0xEDCB,
                  std::uint16_t checksum = 0x1234);

// Writes bytes to a file; true on success.
bool writeFile(const std::string& path, const Bytes& bytes);

}  // namespace spcbuild

#endif
