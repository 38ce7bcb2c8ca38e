#ifndef BRINDLEMARK_SPCTAG_SPC_LAYOUT_H
#define BRINDLEMARK_SPCTAG_SPC_LAYOUT_H

#include <cstddef>
#include <cstdint>

namespace brindlemark::spctag {

// Where things lie in the files the tag reader knows. Every multi-byte
// number in these files is little-endian.
namespace spclayout {

// --- SPC file --------------------------------------------------------------
constexpr char kSpcSignature[] = "SNES-SPC700 Sound File Data v0.30";
constexpr std::size_t kSpcSignatureCompared = 28;  // up to the blank before the version

constexpr std::size_t kHeaderSize = 256;

// Base ID666 tag; both layouts agree up to kDateText.
constexpr std::size_t kSong = 0x2E, kSongWidth = 32;
constexpr std::size_t kGame = 0x4E, kGameWidth = 32;
constexpr std::size_t kDumper = 0x6E, kDumperWidth = 16;
constexpr std::size_t kComments = 0x7E, kCommentsWidth = 32;
constexpr std::size_t kDateText = 0x9E, kDateTextWidth = 11;     // text: "month/day/year"
constexpr std::size_t kSongSeconds = 0xA9, kSongSecondsWidth = 3; // text: decimal seconds
constexpr std::size_t kFadeMs = 0xAC, kFadeMsWidth = 5;           // text: decimal milliseconds
constexpr std::size_t kTextArtist = 0xB1, kArtistWidth = 32;
constexpr std::size_t kTextEmulator = 0xD2;                       // one ASCII digit
// Binary layout: date as day, month, u16 year; song length u16; fade u32.
constexpr std::size_t kBinDay = 0x9E, kBinMonth = 0x9F, kBinYear = 0xA0;
constexpr std::size_t kBinUnused = 0xA2;                           // 4 bytes tested by the layout decision
constexpr std::size_t kBinArtist = 0xB0;
constexpr std::size_t kBinEmulator = 0xD1;

// Extended tag behind the 64 KB sound image.
constexpr std::uint32_t kXid6Marker = 0x10200;
constexpr std::uint32_t kXid6Size = 0x10204;
constexpr std::uint32_t kXid6Block = 0x10208;
constexpr char kXid6Signature[] = "xid6";
// The most of an extended block that is read, whatever size is stored: no
// real extended tag is more than a few kilobytes, and a hostile stored size
// must not make every load read gigabytes. Chunks behind it are not read; a
// chunk the bound cuts reads as one cut by the end of the block.
constexpr std::uint32_t kXid6ReadLimit = 0x10000;  // 65536

// --- Emulator save state --------------------------------------------------
constexpr char kSaveStateSignature[] = "ZSNES Save State File";
constexpr std::size_t kSaveStateSignatureLength = 21;

// --- Cartridge images -------------------------------------------------------
constexpr std::uint32_t kRomCandidates[4] = {0x7FC0, 0xFFC0, 0x81C0, 0x101C0};
constexpr std::size_t kRomHeaderRead = 32;  // read from a file per candidate
constexpr std::size_t kRomTitle = 0x00, kRomTitleWidth = 21;
constexpr std::size_t kRomMapMode = 0x15;
constexpr std::size_t kRomLicensee = 0x1A;
constexpr std::size_t kRomComplement = 0x1C;
constexpr std::size_t kRomChecksum = 0x1E;

// Copier headers in front of a cartridge image (512 bytes).
constexpr char kGameDoctorSignature[] = "GAME DOCTOR SF 3";
constexpr std::size_t kGameDoctorSignatureLength = 16;
constexpr unsigned char kAabbSignature[4] = {0xAA, 0xBB, 0x04, 0x00};
constexpr std::size_t kAabbOffset = 8;
constexpr std::size_t kFlagByte2 = 2, kFlagByte3 = 3;

// --- Size thresholds (inclusive lower bounds) -------------------------------
constexpr std::uint32_t kMinAnyFile = 0x10200;     // 66048
constexpr std::uint32_t kMinXid6Look = 0x1020C;    // 66060
constexpr std::uint32_t kMinSaveState = 0x4127F;   // 266879
constexpr std::uint32_t kMinRomImage = 0x40000;    // 262144

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
