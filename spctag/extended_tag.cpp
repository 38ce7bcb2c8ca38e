// The "xid6" extended tag: a block of chunks laid end to end, each a 4-byte
// header (id, type, 16-bit value or length) and, for every type but 0, data
// padded to a multiple of 4. There is no count and no terminator; the walk
// ends with the block.

#include <cstring>

#include "spctag/id666_tag.h"
#include "spctag/spc_layout.h"

namespace brindlemark::spctag {

namespace {

enum ChunkType : std::uint8_t { TYPE_VALUE = 0, TYPE_STRING = 1, TYPE_INTEGER = 4 };

enum ChunkId : std::uint8_t {
    ID_SONG = 0x01,
    ID_GAME = 0x02,
    ID_ARTIST = 0x03,
    ID_DUMPER = 0x04,
    ID_DATE = 0x05,
    ID_EMULATOR = 0x06,
    ID_COMMENTS = 0x07,
    ID_OST_TITLE = 0x10,
    ID_OST_DISC = 0x11,
    ID_OST_TRACK = 0x12,
    ID_PUBLISHER = 0x13,
    ID_COPYRIGHT_YEAR = 0x14,
    ID_INTRO_LENGTH = 0x30,
    ID_LOOP_LENGTH = 0x31,
    ID_END_LENGTH = 0x32,
    ID_FADE_LENGTH = 0x33,
    ID_MUTED_VOICES = 0x34,
    ID_LOOP_COUNT = 0x35,
    ID_AMPLIFICATION = 0x36,
};

constexpr std::uint32_t MAX_LENGTH = 383999999;  // just under 100 minutes of ticks
constexpr std::uint32_t MAX_FADE = 3839999;      // just under 60 seconds of ticks
constexpr std::uint32_t MIN_AMPLIFICATION = 0x8000;
constexpr std::uint32_t MAX_AMPLIFICATION = 0x80000;
constexpr std::uint32_t MAX_STRING_LENGTH = 256;

std::uint32_t atMost(std::uint32_t value, std::uint32_t limit) { return value > limit ? limit : value; }

std::uint32_t clampAmplification(std::uint32_t level) {
    if (level < MIN_AMPLIFICATION) return MIN_AMPLIFICATION;
    return atMost(level, MAX_AMPLIFICATION);
}

}  // namespace

// Which text field a string chunk fills, or null for an id without one.
static char* stringTarget(ID666Tag& tag, std::uint8_t id) {
    switch (id) {
        case ID_SONG: return tag.song;
        case ID_GAME: return tag.game;
        case ID_ARTIST: return tag.artist;
        case ID_DUMPER: return tag.dumper;
        case ID_COMMENTS: return tag.comments;
        case ID_OST_TITLE: return tag.ostTitle;
        case ID_PUBLISHER: return tag.publisher;
        default: return nullptr;
    }
}

static void decodeValueChunk(ID666Tag& tag, std::uint8_t id, std::uint16_t value) {
    const auto lowByte = static_cast<std::uint8_t>(value & 0xFF);
    switch (id) {
        case ID_EMULATOR: tag.emulator = lowByte; break;
        case ID_OST_DISC: tag.ostDisc = lowByte > 9 ? 9 : lowByte; break;
        case ID_OST_TRACK: {
            const unsigned track = value >> 8;
            tag.ostTrack = (track >= 1 && track <= 99) ? value : 0;
            break;
        }
        case ID_COPYRIGHT_YEAR: tag.copyrightYear = value; break;
        case ID_MUTED_VOICES: tag.mutedVoices = lowByte; break;
        case ID_LOOP_COUNT: tag.loopCount = value == 0 ? 1 : atMost(value, 9); break;
        case ID_AMPLIFICATION: tag.amplification = clampAmplification(static_cast<std::uint32_t>(value) << 12); break;
        default: break;
    }
}

static void decodeIntegerChunk(ID666Tag& tag, std::uint8_t id, std::uint32_t x) {
    switch (id) {
        case ID_DATE:
            // Year in bits 16..31, month in 8..15, day in 0..7.
            if (tag.date.normalize(x >> 16, static_cast<std::uint8_t>(x >> 8), static_cast<std::uint8_t>(x))) {
                tag.dateText[0] = '\0';
            }
            break;
        case ID_INTRO_LENGTH: tag.introLength = atMost(x, MAX_LENGTH); break;
        case ID_LOOP_LENGTH: tag.loopLength = atMost(x, MAX_LENGTH); break;
        case ID_END_LENGTH: {
            const auto end = static_cast<std::int32_t>(x);
            tag.endLength = end > static_cast<std::int32_t>(MAX_LENGTH) ? static_cast<std::int32_t>(MAX_LENGTH) : end;
            break;
        }
        case ID_FADE_LENGTH: tag.fadeLength = atMost(x, MAX_FADE); break;
        case ID_AMPLIFICATION: tag.amplification = clampAmplification(x); break;
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

        if (type == TYPE_VALUE) {
            decodeValueChunk(*this, id, field);
        } else if (type == TYPE_STRING && field >= 1 && field <= MAX_STRING_LENGTH) {
            if (char* target = stringTarget(*this, id)) {
                // The text ends at its declared terminator, or after the last
                // byte the block holds when the block ends inside it.
                const std::int64_t copied = available < field ? available : field;
                if (copied > 0) std::memcpy(target, data, static_cast<std::size_t>(copied));
                target[copied < field ? copied : field - 1] = '\0';
            }
        } else if (type == TYPE_INTEGER && field == 4 && available >= 4) {
            decodeIntegerChunk(*this, id, spclayout::readU32(data));
        }

        if (type != TYPE_VALUE) {
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
