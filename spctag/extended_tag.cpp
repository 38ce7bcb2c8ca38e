// The "xid6" extended tag: a block of chunks laid end to end, each a 4-byte
// header (id, type, 16-bit value or length) and, for every type but 0, data
// padded to a multiple of 4. There is no count and no terminator; the walk
// ends with the block.

#include <cstring>

#include "spctag/id666_tag.h"
#include "spctag/spc_layout.h"

namespace brindlemark::spctag {

namespace {

enum ChunkType : std::uint8_t { kTypeValue = 0, kTypeString = 1, kTypeInteger = 4 };

enum ChunkId : std::uint8_t {
    kIdSong = 0x01,
    kIdGame = 0x02,
    kIdArtist = 0x03,
    kIdDumper = 0x04,
    kIdDate = 0x05,
    kIdEmulator = 0x06,
    kIdComments = 0x07,
    kIdOstTitle = 0x10,
    kIdOstDisc = 0x11,
    kIdOstTrack = 0x12,
    kIdPublisher = 0x13,
    kIdCopyrightYear = 0x14,
    kIdIntroLength = 0x30,
    kIdLoopLength = 0x31,
    kIdEndLength = 0x32,
    kIdFadeLength = 0x33,
    kIdMutedVoices = 0x34,
    kIdLoopCount = 0x35,
    kIdAmplification = 0x36,
};

constexpr std::uint32_t kMaxLength = 383999999;  // just under 100 minutes of ticks
constexpr std::uint32_t kMaxFade = 3839999;      // just under 60 seconds of ticks
constexpr std::uint32_t kMinAmplification = 0x8000;
constexpr std::uint32_t kMaxAmplification = 0x80000;
constexpr std::uint32_t kMaxStringLength = 256;

std::uint32_t atMost(std::uint32_t value, std::uint32_t limit) { return value > limit ? limit : value; }

std::uint32_t clampAmplification(std::uint32_t level) {
    if (level < kMinAmplification) return kMinAmplification;
    return atMost(level, kMaxAmplification);
}

}  // namespace

// Which text field a string chunk fills, or null for an id without one.
static char* stringTarget(ID666Tag& tag, std::uint8_t id) {
    switch (id) {
        case kIdSong: return tag.song;
        case kIdGame: return tag.game;
        case kIdArtist: return tag.artist;
        case kIdDumper: return tag.dumper;
        case kIdComments: return tag.comments;
        case kIdOstTitle: return tag.ostTitle;
        case kIdPublisher: return tag.publisher;
        default: return nullptr;
    }
}

static void decodeValueChunk(ID666Tag& tag, std::uint8_t id, std::uint16_t value) {
    const auto lowByte = static_cast<std::uint8_t>(value & 0xFF);
    switch (id) {
        case kIdEmulator: tag.emulator = lowByte; break;
        case kIdOstDisc: tag.ostDisc = lowByte > 9 ? 9 : lowByte; break;
        case kIdOstTrack: {
            const unsigned track = value >> 8;
            tag.ostTrack = (track >= 1 && track <= 99) ? value : 0;
            break;
        }
        case kIdCopyrightYear: tag.copyrightYear = value; break;
        case kIdMutedVoices: tag.mutedVoices = lowByte; break;
        case kIdLoopCount: tag.loopCount = value == 0 ? 1 : atMost(value, 9); break;
        case kIdAmplification: tag.amplification = clampAmplification(static_cast<std::uint32_t>(value) << 12); break;
        default: break;
    }
}

static void decodeIntegerChunk(ID666Tag& tag, std::uint8_t id, std::uint32_t x) {
    switch (id) {
        case kIdDate:
            // Year in bits 16..31, month in 8..15, day in 0..7.
            if (tag.date.normalize(x >> 16, static_cast<std::uint8_t>(x >> 8), static_cast<std::uint8_t>(x))) {
                tag.dateText[0] = '\0';
            }
            break;
        case kIdIntroLength: tag.introLength = atMost(x, kMaxLength); break;
        case kIdLoopLength: tag.loopLength = atMost(x, kMaxLength); break;
        case kIdEndLength: {
            const auto end = static_cast<std::int32_t>(x);
            tag.endLength = end > static_cast<std::int32_t>(kMaxLength) ? static_cast<std::int32_t>(kMaxLength) : end;
            break;
        }
        case kIdFadeLength: tag.fadeLength = atMost(x, kMaxFade); break;
        case kIdAmplification: tag.amplification = clampAmplification(x); break;
        default: break;
    }
}

bool ID666Tag::decodeExtended(const unsigned char* block, std::int32_t blockSize) {
    // Positions are counted in 64 bits so that no walk over a large block
    // can wrap; a byte at or past the block size is never read: a header
    // cut off by the end of the block reads as zeros there.
    const std::int64_t size = blockSize;
    std::int64_t remaining = size;
    std::int64_t pos = 0;
    auto byteAt = [&](std::int64_t at) -> std::uint32_t {
        return at < size ? block[at] : 0u;
    };
    while (remaining > 0) {
        const auto id = static_cast<std::uint8_t>(byteAt(pos));
        const auto type = static_cast<std::uint8_t>(byteAt(pos + 1));
        const auto field = static_cast<std::uint16_t>(byteAt(pos + 2) | (byteAt(pos + 3) << 8));
        remaining -= 4;
        const std::int64_t padded = (static_cast<std::int64_t>(field) + 3) & ~static_cast<std::int64_t>(3);
        const std::int64_t available = remaining > 0 ? remaining : 0;  // block bytes after the header
        const unsigned char* data = available > 0 ? block + pos + 4 : nullptr;

        if (type == kTypeValue) {
            decodeValueChunk(*this, id, field);
        } else if (type == kTypeString && field >= 1 && field <= kMaxStringLength) {
            if (char* target = stringTarget(*this, id)) {
                // The text ends at its declared terminator, or after the last
                // byte the block holds when the block ends inside it.
                const std::int64_t copied = available < field ? available : field;
                if (copied > 0) std::memcpy(target, data, static_cast<std::size_t>(copied));
                target[copied < field ? copied : field - 1] = '\0';
            }
        } else if (type == kTypeInteger && field == 4 && available >= 4) {
            decodeIntegerChunk(*this, id, spclayout::readU32(data));
        }

        if (type != kTypeValue) {
            pos += padded;
            remaining -= padded;
        }
        pos += 4;
    }

    // Bring the end length into range against the loop: it may cut into
    // the loop, but never by more than one loop's length.
    const std::int64_t loop = static_cast<std::int32_t>(loopLength);
    if (endLength < -loop) {
        endLength = loop == 0 ? 0 : static_cast<std::int32_t>(endLength % loop);
    }
    return remaining == 0;
}

}  // namespace brindlemark::spctag
