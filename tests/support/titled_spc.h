#ifndef BRINDLEMARK_TESTS_SUPPORT_TITLED_SPC_H
#define BRINDLEMARK_TESTS_SUPPORT_TITLED_SPC_H

#include <cstdint>
#include <string>

#include "spcbuild/spc_builder.h"

// An SPC file whose text tag holds the song title and, when track is not 0,
// whose extended tag holds that track number.
spcbuild::Bytes titledSpc(const std::string& title, std::uint16_t track = 0);

#endif
