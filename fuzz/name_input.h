#ifndef BRINDLEMARK_FUZZ_NAME_INPUT_H
#define BRINDLEMARK_FUZZ_NAME_INPUT_H

// The form of one input of the name fuzz target, shared with the seed maker:
//   byte 0      disc (taken modulo 10)
//   byte 1      track number (taken modulo 100; 0 = no track)
//   byte 2      track letter (0 = none)
//   then        template, song, game, artist, soundtrack title and dropped
//               path, each ended by a NUL byte (a missing one is empty)
// Each text is cut to what the program can hold: the template to 30
// characters, the tag texts to 255, the path to 254.

#include <cstddef>
#include <cstdint>
#include <string>

namespace nameinput {

constexpr std::size_t TEMPLATE_MAX = 30;
constexpr std::size_t TEXT_MAX = 255;
constexpr std::size_t FUZZ_PATH_MAX = 254;

struct Fields {
    std::uint8_t disc = 0, track = 0, letter = 0;
    std::string nameTemplate, song, game, artist, ostTitle, path;
};

inline std::string encode(const Fields& f) {
    std::string out;
    out += static_cast<char>(f.disc);
    out += static_cast<char>(f.track);
    out += static_cast<char>(f.letter);
    for (const std::string* text : {&f.nameTemplate, &f.song, &f.game, &f.artist, &f.ostTitle, &f.path}) {
        out += *text;
        out += '\0';
    }
    return out;
}

// Copies the next NUL-ended text (at most max characters of it) to out and
// moves past it; returns the number of characters copied.
inline std::size_t takeText(const std::uint8_t*& data, const std::uint8_t* end, char* out, std::size_t max) {
    std::size_t n = 0;
    while (data < end && *data != 0) {
        if (n < max) out[n++] = static_cast<char>(*data);
        ++data;
    }
    if (data < end) ++data;  // the NUL
    out[n] = '\0';
    return n;
}

}  // namespace nameinput

#endif
