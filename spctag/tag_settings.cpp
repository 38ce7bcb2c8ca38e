#include "spctag/tag_settings.h"

std::uint32_t defaultIntroLength = 0;
std::uint32_t defaultFadeLength = 0;
std::uint8_t preferBinary = 0;
