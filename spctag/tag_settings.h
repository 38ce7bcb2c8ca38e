#ifndef BRINDLEMARK_SPCTAG_TAG_SETTINGS_H
#define BRINDLEMARK_SPCTAG_TAG_SETTINGS_H

#include <cstdint>

// Process-wide settings of the tag reader. Nothing in the program changes
// them, so for a whole run they keep the values given in tag_settings.cpp.

// Play time (ticks) given to a recognised file that carries no ID666 tag.
extern std::uint32_t defaultIntroLength;
// Fade time (ticks) given to such a file.
extern std::uint32_t defaultFadeLength;
// Layout assumed for a base tag whose contents do not tell text from
// binary: 0 = text, 1 = binary.
extern std::uint8_t preferBinary;

#endif
