// Fills an ID666Tag from one file, given by path or as a whole image in
// memory, and reports the file's kind. Both forms give the same record.

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "spctag/file_identification.h"
#include "spctag/id666_tag.h"
#include "spctag/spc_layout.h"
#include "spctag/tag_settings.h"

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
void loadOtherFile(ID666Tag& tag, FileKind kind) {
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
        std::memcpy(tag.game, romHeaderBuffer + kRomTitle, kRomTitleWidth);
        tag.game[kRomTitleWidth] = '\0';
        std::snprintf(tag.publisher, sizeof tag.publisher, "%i", static_cast<int>(romHeaderBuffer[kRomLicensee]));
    }
}

// The block size to decode: the stored size, cut to the bytes that follow
// it and to the most that is read.
std::int32_t boundedBlockSize(std::uint32_t stored, std::uint64_t available) {
    std::uint64_t size = stored < available ? stored : available;
    if (size > kXid6ReadLimit) size = kXid6ReadLimit;
    return static_cast<std::int32_t>(size);
}

// Reads the extended block of an open SPC file into a buffer rounded up to
// a multiple of 4, the fill bytes zeroed, decodes it and frees it. If the
// buffer cannot be had the file reads as having no extended tag.
void loadExtendedFromFile(ID666Tag& tag, std::FILE* file) {
    unsigned char storedSize[4] = {};
    std::fseek(file, static_cast<long>(kXid6Size), SEEK_SET);
    (void)std::fread(storedSize, 1, sizeof storedSize, file);
    const long length = fileLength(file);
    const std::uint64_t available =
        length > static_cast<long>(kXid6Block) ? static_cast<std::uint64_t>(length) - kXid6Block : 0;
    const std::int32_t blockSize = boundedBlockSize(readU32(storedSize), available);
    const std::size_t bufferSize = (static_cast<std::size_t>(blockSize) + 3) & ~static_cast<std::size_t>(3);
    auto* block = static_cast<unsigned char*>(std::malloc(bufferSize == 0 ? 4 : bufferSize));
    if (block == nullptr) return;
    std::fseek(file, static_cast<long>(kXid6Block), SEEK_SET);
    const std::size_t got = std::fread(block, 1, static_cast<std::size_t>(blockSize), file);
    // Whatever the file did not give (the fill bytes, or a file cut short
    // since it was measured) reads as zero.
    std::memset(block + got, 0, bufferSize - got);
    tag.decodeExtended(block, blockSize);
    std::free(block);
}

}  // namespace

FileKind ID666Tag::load(const void* source, std::uint32_t size) {
    const bool fromPath = size == 0;
    const auto* image = static_cast<const unsigned char*>(source);
    std::FILE* file = nullptr;
    const FileKind kind = fromPath ? identifySpcFile(static_cast<const char*>(source), &file)
                                   : identifySpcImage(image, size);
    if (kind <= KIND_OPEN_FAILED) return kind;

    if (fromPath) {
        // A path longer than the field is cut, never written past it.
        std::strncpy(path, static_cast<const char*>(source), sizeof path - 1);
        path[sizeof path - 1] = '\0';
    }

    if (isSpcKind(kind)) {
        binaryFormat = 0;
        unsigned char header[kHeaderSize] = {};
        const unsigned char* base = image;
        if (fromPath) {
            (void)std::fread(header, 1, sizeof header, file);
            base = header;
        }
        decodeBase(base);
        resetAfterBaseTag(*this);
        if (kind == KIND_SPC_XID6) {
            if (fromPath) {
                loadExtendedFromFile(*this, file);
            } else {
                decodeExtended(image + kXid6Block, boundedBlockSize(readU32(image + kXid6Size), size - kXid6Block));
            }
        }
    } else {
        loadOtherFile(*this, kind);
    }

    if (fromPath) std::fclose(file);
    return kind;
}
