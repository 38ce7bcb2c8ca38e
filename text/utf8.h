#ifndef BRINDLEMARK_TEXT_UTF8_H
#define BRINDLEMARK_TEXT_UTF8_H

#include <cstddef>

namespace brindlemark::text {

// One step through bytes read as UTF-8 (RFC 3629: no overlong forms, no
// surrogates, nothing above U+10FFFF).
struct Utf8Step {
    enum Kind {
        Character,  // a whole character of `length` bytes
        Invalid,    // the first byte starts no valid sequence; length 1
        Cut,        // every byte left is the valid start of a longer sequence
    };
    Kind kind = Invalid;
    std::size_t length = 1;
    char32_t codePoint = 0;  // for Character
};

// Reads the sequence at the start of text (count > 0 bytes).
Utf8Step readUtf8(const char* text, std::size_t count);

// True when every byte is below 0x80.
bool isAscii(const char* text, std::size_t count);

// True when text is valid UTF-8 throughout.
bool isValidUtf8(const char* text, std::size_t count);

// The longest prefix of text that is at most limit bytes and does not end
// inside a UTF-8 sequence: a sequence the limit would cut is left out whole.
// Bytes that are no UTF-8 (a run of continuation bytes longer than a
// sequence holds) are cut at the limit itself.
std::size_t utf8PrefixLength(const char* text, std::size_t count, std::size_t limit);

// True for a mark that combines with the character before it into what the
// user sees as one (accents, kana voicing marks, variation selectors).
constexpr bool isCombiningMark(char32_t codePoint) {
    return (codePoint >= 0x0300 && codePoint <= 0x036F) || (codePoint >= 0x1AB0 && codePoint <= 0x1AFF) ||
           (codePoint >= 0x1DC0 && codePoint <= 0x1DFF) || (codePoint >= 0x20D0 && codePoint <= 0x20FF) ||
           codePoint == 0x3099 || codePoint == 0x309A || (codePoint >= 0xFE00 && codePoint <= 0xFE0F) ||
           (codePoint >= 0xFE20 && codePoint <= 0xFE2F);
}

// The byte length of the first `characters` characters of the NUL-ended
// text as the user sees them: a character is one valid UTF-8 sequence (or
// one byte that starts none) with the combining marks that follow it, and is
// never cut apart. Stops before a character that would pass maxBytes.
std::size_t seenCharactersLength(const char* text, std::size_t characters, std::size_t maxBytes);

// U+FFFD, which stands in decoded text for bytes that were not a character.
constexpr char UTF8_REPLACEMENT_CHARACTER[] = "\xEF\xBF\xBD";

}  // namespace brindlemark::text

#endif
