// The base ID666 tag in the first 256 bytes of an SPC file, in its text or
// binary layout. The header says nothing about which layout it holds, so the
// choice rests on what the three numeric fields look like.

#include "spctag/base_tag.h"

#include <cstdlib>
#include <cstring>

#include "spctag/id666_tag.h"
#include "spctag/spc_layout.h"
#include "spctag/tag_settings.h"

namespace brindlemark::spctag {

using namespace spclayout;

namespace {

constexpr std::uint32_t MAX_SONG_SECONDS = 959;
constexpr std::uint32_t MAX_FADE_MS = 59999;
constexpr std::uint32_t TICKS_PER_SECOND = 64000;
constexpr std::uint32_t TICKS_PER_MS = 64;

// Copies a fixed-width field whole and puts a NUL behind it, so a field
// filled to its last byte yields a string of the field's full width.
void copyField(char* to, const unsigned char* from, std::size_t width) {
    std::memcpy(to, from, width);
    to[width] = '\0';
}

// A text field as a string: it ends at the first NUL or after width bytes.
void copyText(char* to, const unsigned char* from, std::size_t width) {
    std::size_t n = 0;
    while (n < width && from[n] != 0) {
        to[n] = static_cast<char>(from[n]);
        ++n;
    }
    to[n] = '\0';
}

bool isDigit(unsigned char c) { return c >= '0' && c <= '9'; }

bool readAsBinary(const unsigned char* header) {
    const int s = countNumericChars(header + SONG_SECONDS, SONG_SECONDS_WIDTH);
    const int f = countNumericChars(header + FADE_MS, FADE_MS_WIDTH);
    const int d = countNumericChars(header + DATE_TEXT, DATE_TEXT_WIDTH);
    if (s == 0 && f == 0 && d == 0) {
        // Nothing numeric at all: only the emulator bytes can tell.
        if (header[BIN_EMULATOR] == 1 && header[TEXT_EMULATOR] == 0) return true;
        return preferBinary != 0;
    }
    if (s == -1 || f == -1) return true;
    if (d > 0) return false;
    if (d == 0) return preferBinary != 0;
    // The date is not text; four zero bytes where a binary tag keeps its
    // unused bytes make binary the better guess.
    const unsigned char* unused = header + BIN_UNUSED;
    return unused[0] == 0 && unused[1] == 0 && unused[2] == 0 && unused[3] == 0;
}

// Month/day/year text: day follows the first '/', year the second, and the
// month is the number the text starts with. A part not found stays 0.
void parseDateText(const char* text, std::uint32_t& year, std::uint32_t& month, std::uint32_t& day) {
    year = month = day = 0;
    const char* firstSlash = std::strchr(text, '/');
    if (firstSlash == nullptr || firstSlash[1] == '\0') return;
    day = static_cast<std::uint32_t>(std::atoi(firstSlash + 1));
    const char* secondSlash = std::strchr(firstSlash + 1, '/');
    if (secondSlash == nullptr || secondSlash[1] == '\0') return;
    year = static_cast<std::uint32_t>(std::atoi(secondSlash + 1));
    month = static_cast<std::uint32_t>(std::atoi(text));
}

}  // namespace

int countNumericChars(const unsigned char* field, std::size_t width) {
    std::size_t count = 0;
    while (count < width && (isDigit(field[count]) || field[count] == '/')) ++count;
    if (count == width || field[count] == 0) return static_cast<int>(count);
    return -1;
}

void ID666Tag::decodeBase(const unsigned char* header) {
    copyField(song, header + SONG, SONG_WIDTH);
    copyField(game, header + GAME, GAME_WIDTH);
    copyField(dumper, header + DUMPER, DUMPER_WIDTH);
    copyField(comments, header + COMMENTS, COMMENTS_WIDTH);

    char songText[SONG_SECONDS_WIDTH + 1];
    char fadeText[FADE_MS_WIDTH + 1];
    copyText(songText, header + SONG_SECONDS, SONG_SECONDS_WIDTH);
    copyText(fadeText, header + FADE_MS, FADE_MS_WIDTH);

    mutedVoices = 0;
    amplification = 0;
    date.clear();

    const bool binary = readAsBinary(header);
    binaryFormat = binary ? 1 : 0;

    std::uint32_t year = 0, month = 0, day = 0;
    std::uint32_t seconds = 0, fadeMs = 0;
    if (binary) {
        fadeMs = readU32(header + FADE_MS);
        seconds = readU16(header + SONG_SECONDS);
        copyField(artist, header + BIN_ARTIST, ARTIST_WIDTH);
        emulator = header[BIN_EMULATOR];
        dateText[0] = '\0';
        day = header[BIN_DAY];
        month = header[BIN_MONTH];
        year = readU16(header + BIN_YEAR);
    } else {
        seconds = static_cast<std::uint32_t>(std::atoi(songText));
        fadeMs = static_cast<std::uint32_t>(std::atoi(fadeText));
        copyField(artist, header + TEXT_ARTIST, ARTIST_WIDTH);
        const unsigned char emulatorDigit = header[TEXT_EMULATOR];
        emulator = isDigit(emulatorDigit) ? static_cast<std::uint8_t>(emulatorDigit - '0') : 0;
        copyText(dateText, header + DATE_TEXT, DATE_TEXT_WIDTH);
        parseDateText(dateText, year, month, day);
    }
    if (seconds > MAX_SONG_SECONDS) seconds = MAX_SONG_SECONDS;
    if (fadeMs > MAX_FADE_MS) fadeMs = MAX_FADE_MS;

    // Only the low 8 bits of month and day count.
    if (date.normalize(year, static_cast<std::uint8_t>(month), static_cast<std::uint8_t>(day))) {
        dateText[0] = '\0';
    }

    introLength = seconds * TICKS_PER_SECOND;
    fadeLength = introLength == 0 ? 0 : fadeMs * TICKS_PER_MS;
}

}  // namespace brindlemark::spctag
