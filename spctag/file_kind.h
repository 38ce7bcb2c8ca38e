#ifndef BRINDLEMARK_SPCTAG_FILE_KIND_H
#define BRINDLEMARK_SPCTAG_FILE_KIND_H

#include <cstdint>

// What identification made of a file. Values above 0 mean recognised; only
// KIND_SPC and KIND_SPC_XID6 carry ID666 tags. 4..63 are not used.
enum FileKind : std::int32_t {
    KIND_UNKNOWN = -1,          // not recognised, or too short for its signature
    KIND_OPEN_FAILED = 0,       // could not be opened (by the caller; the reader never returns it)
    KIND_SPC = 1,               // SPC file without extended tag
    KIND_SPC_XID6 = 2,          // SPC file with an "xid6" block behind the sound image
    KIND_SAVE_STATE = 3,        // emulator save state
    KIND_ROM = 64,              // cartridge image without copier header
    KIND_ROM_AABB_HEADER = 65,  // copier header with AA BB 04 00 at bytes 8..11
    KIND_ROM_FLAG_HEADER = 66,  // copier header with byte 2 in {00,40}, byte 3 in {00,80}
    KIND_ROM_GAME_DOCTOR = 67,  // copier header starting "GAME DOCTOR SF 3"
    KIND_ROM_OTHER = 68,        // copier header of none of the kinds above
};

inline bool isSpcKind(std::int32_t kind) { return kind == KIND_SPC || kind == KIND_SPC_XID6; }

#endif
