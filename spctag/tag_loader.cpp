// Fills an ID666Tag from one file, read through a ByteSource, and reports the
// file's kind. An image in memory is read through the same parser.

#include <cstdio>
#include <cstring>

#include "spctag/file_identification.h"
#include "spctag/id666_tag.h"
#include "spctag/image_source.h"
#include "spctag/spc_layout.h"
#include "spctag/tag_settings.h"

namespace brindlemark::spctag {

using namespace spclayout;

namespace {

// Fields the base tag cannot supply; an extended tag may fill them next.
void resetAfterBaseTag(ID666Tag& tag) {
    tag.ostTitle[0] = '\0';
    tag.publisher[0] = '\0';
    tag.copyrightYear = 0;
    tag.ostDisc = 0;
    tag.ostTrack = 0;
    tag.amplification = 0;
    tag.loopLength = 0;
    tag.endLength = 0;
    tag.mutedVoices = 0;
    tag.loopCount = 1;
}

// A recognised file without ID666 tag: everything empty but the defaults;
// a cartridge image with a usable internal header also gives its title and
// licensee code.
void loadOtherFile(ID666Tag& tag, FileKind kind, const unsigned char* romHeader) {
    tag.song[0] = '\0';
    tag.game[0] = '\0';
    tag.artist[0] = '\0';
    tag.dumper[0] = '\0';
    tag.comments[0] = '\0';
    tag.ostTitle[0] = '\0';
    tag.publisher[0] = '\0';
    tag.dateText[0] = '\0';
    tag.date.clear();
    tag.copyrightYear = 0;
    tag.ostTrack = 0;
    tag.ostDisc = 0;
    tag.amplification = 0;
    tag.mutedVoices = 0;
    tag.emulator = 0;
    tag.loopLength = 0;
    tag.endLength = 0;
    tag.loopCount = 1;
    tag.introLength = defaultIntroLength;
    tag.fadeLength = defaultFadeLength;
    if (kind >= KIND_ROM && kind <= KIND_ROM_GAME_DOCTOR) {
        std::memcpy(tag.game, romHeader + ROM_TITLE, ROM_TITLE_WIDTH);
        tag.game[ROM_TITLE_WIDTH] = '\0';
        std::snprintf(tag.publisher, sizeof tag.publisher, "%i", static_cast<int>(romHeader[ROM_LICENSEE]));
    }
}

// The block size to decode: the stored size, cut to the bytes that follow
// it and to the most that is read.
std::int32_t boundedBlockSize(std::uint32_t stored, std::uint64_t available) {
    std::uint64_t size = stored < available ? stored : available;
    if (size > XID6_READ_LIMIT) size = XID6_READ_LIMIT;
    return static_cast<std::int32_t>(size);
}

}  // namespace

FileKind ID666Tag::load(const ByteSource& file, const char* filePath) {
    SpcFileBytes bytes;  // identification fills what it reads
    const FileKind kind = identifySpcFile(file, bytes);
    if (kind <= KIND_OPEN_FAILED) return kind;

    if (filePath != nullptr) {
        // A path longer than the field is cut, never written past it.
        std::strncpy(path, filePath, sizeof path - 1);
        path[sizeof path - 1] = '\0';
    }

    if (!isSpcKind(kind)) {
        loadOtherFile(*this, kind, bytes.romHeader);
        return kind;
    }
    binaryFormat = 0;
    decodeBase(bytes.header);
    resetAfterBaseTag(*this);
    if (kind == KIND_SPC_XID6) {
        // The block was read with the marker, as far as the file reaches:
        // every byte up to the bounded size is the file's or a zero.
        const std::uint32_t blockRead = bytes.extendedRead - 8;
        decodeExtended(bytes.extended + 8, boundedBlockSize(readU32(bytes.extended + 4), blockRead));
    }
    return kind;
}

FileKind ID666Tag::load(const void* image, std::uint32_t size) {
    return load(ImageSource(image, size), nullptr);
}

}  // namespace brindlemark::spctag
