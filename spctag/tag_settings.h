#ifndef BRINDLEMARK_SPCTAG_TAG_SETTINGS_H
#define BRINDLEMARK_SPCTAG_TAG_SETTINGS_H

#include <cstdint>

// Settings of the tag reader, fixed for the program.

// Play time (ticks) given to a recognised file that carries no ID666 tag.
constexpr std::uint32_t defaultIntroLength = 0;
// Fade time (ticks) given to such a file.
constexpr std::uint32_t defaultFadeLength = 0;
// Layout assumed for a base tag whose contents do not tell text from
// binary: 0 = text, 1 = binary.
constexpr std::uint8_t preferBinary = 0;

#endif
