#include "tests/support/titled_spc.h"

spcbuild::Bytes titledSpc(const std::string& title, std::uint16_t track) {
    spcbuild::TextTag tag;
    tag.song = title;
    spcbuild::Bytes bytes = spcbuild::spcWithTextTag(tag);
    if (track != 0) {
        spcbuild::appendExtendedTag(bytes, spcbuild::chunkBlock({spcbuild::valueChunk(0x12, track << 8)}));
    }
    return bytes;
}
