#ifndef BRINDLEMARK_UI_CONSOLE_UTF8_TEXT_H
#define BRINDLEMARK_UI_CONSOLE_UTF8_TEXT_H

#include <cstddef>
#include <string>

namespace brindlemark::console {

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

// The longest prefix of the valid UTF-8 text that is at most limit bytes and
// ends between two characters.
std::size_t utf8PrefixLength(const char* text, std::size_t count, std::size_t limit);

// U+FFFD, which stands in decoded text for bytes that were not a character.
constexpr char kReplacementCharacter[] = "\xEF\xBF\xBD";

}  // namespace brindlemark::console

#endif
