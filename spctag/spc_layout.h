#ifndef BRINDLEMARK_SPCTAG_SPC_LAYOUT_H
#define BRINDLEMARK_SPCTAG_SPC_LAYOUT_H

#include <cstddef>
#include <cstdint>

namespace brindlemark::spctag {

// Where things lie in the files the tag reader knows. Every multi-byte
// number in these files is little-endian.
namespace spclayout {

// --- SPC file --------------------------------------------------------------
constexpr char SPC_SIGNATURE[] = "SNES-SPC700 Sound File Data v0.30";
constexpr std::size_t SPC_SIGNATURE_COMPARED = 28;  // up to the blank before the version

constexpr std::size_t HEADER_SIZE = 256;

// Base ID666 tag; both layouts agree up to DATE_TEXT.
constexpr std::size_t SONG = 0x2E, SONG_WIDTH = 32;
constexpr std::size_t GAME = 0x4E, GAME_WIDTH = 32;
constexpr std::size_t DUMPER = 0x6E, DUMPER_WIDTH = 16;
constexpr std::size_t COMMENTS = 0x7E, COMMENTS_WIDTH = 32;
constexpr std::size_t DATE_TEXT = 0x9E, DATE_TEXT_WIDTH = 11;     // text: "month/day/year"
constexpr std::size_t SONG_SECONDS = 0xA9, SONG_SECONDS_WIDTH = 3; // text: decimal seconds
constexpr std::size_t FADE_MS = 0xAC, FADE_MS_WIDTH = 5;           // text: decimal milliseconds
constexpr std::size_t TEXT_ARTIST = 0xB1, ARTIST_WIDTH = 32;
constexpr std::size_t TEXT_EMULATOR = 0xD2;                       // one ASCII digit
// Binary layout: date as day, month, u16 year; song length u16; fade u32.
constexpr std::size_t BIN_DAY = 0x9E, BIN_MONTH = 0x9F, BIN_YEAR = 0xA0;
constexpr std::size_t BIN_UNUSED = 0xA2;                           // 4 bytes tested by the layout decision
constexpr std::size_t BIN_ARTIST = 0xB0;
constexpr std::size_t BIN_EMULATOR = 0xD1;

// Extended tag behind the 64 KB sound image.
constexpr std::uint32_t XID6_MARKER = 0x10200;
constexpr std::uint32_t XID6_SIZE = 0x10204;
constexpr std::uint32_t XID6_BLOCK = 0x10208;
constexpr char XID6_SIGNATURE[] = "xid6";
// The most of an extended block that is read, whatever size is stored: no
// real extended tag is more than a few kilobytes, and a hostile stored size
// must not make every load read gigabytes. Chunks behind it are not read; a
// chunk the bound cuts reads as one cut by the end of the block.
constexpr std::uint32_t XID6_READ_LIMIT = 0x10000;  // 65536

// --- Emulator save state --------------------------------------------------
constexpr char SAVE_STATE_SIGNATURE[] = "ZSNES Save State File";
constexpr std::size_t SAVE_STATE_SIGNATURE_LENGTH = 21;

// --- Cartridge images -------------------------------------------------------
constexpr std::uint32_t ROM_CANDIDATES[4] = {0x7FC0, 0xFFC0, 0x81C0, 0x101C0};
constexpr std::size_t ROM_HEADER_READ = 32;  // read from a file per candidate
constexpr std::size_t ROM_TITLE = 0x00, ROM_TITLE_WIDTH = 21;
constexpr std::size_t ROM_MAP_MODE = 0x15;
constexpr std::size_t ROM_LICENSEE = 0x1A;
constexpr std::size_t ROM_COMPLEMENT = 0x1C;
constexpr std::size_t ROM_CHECKSUM = 0x1E;

// Copier headers in front of a cartridge image (512 bytes).
constexpr char GAME_DOCTOR_SIGNATURE[] = "GAME DOCTOR SF 3";
constexpr std::size_t GAME_DOCTOR_SIGNATURE_LENGTH = 16;
constexpr unsigned char AABB_SIGNATURE[4] = {0xAA, 0xBB, 0x04, 0x00};
constexpr std::size_t AABB_OFFSET = 8;
constexpr std::size_t FLAG_BYTE2 = 2, FLAG_BYTE3 = 3;

// --- Size thresholds (inclusive lower bounds) -------------------------------
constexpr std::uint32_t MIN_ANY_FILE = 0x10200;     // 66048
constexpr std::uint32_t MIN_XID6_LOOK = 0x1020C;    // 66060
constexpr std::uint32_t MIN_SAVE_STATE = 0x4127F;   // 266879
constexpr std::uint32_t MIN_ROM_IMAGE = 0x40000;    // 262144

inline std::uint16_t readU16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t readU32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

}  // namespace spclayout

}  // namespace brindlemark::spctag

#endif
