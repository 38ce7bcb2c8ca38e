#ifndef BRINDLEMARK_SPCTAG_TEXT_ITEMS_H
#define BRINDLEMARK_SPCTAG_TEXT_ITEMS_H

#include <cstddef>

#include "spctag/id666_tag.h"
#include "spctag/spc_layout.h"

namespace brindlemark::spctag {

// The items of a record that hold a tag's text, in the order of the record:
// each field's name, the field, and the width of the base-tag field it may
// come from (0: only the extended tag holds it). A text as long as that
// width, or as the longest an extended tag gives, filled its field, whose
// end may have cut its last character in two.
struct TagTextItem {
    const char* name;
    char (ID666Tag::*field)[ID666Tag::kTextSize];
    std::size_t baseWidth;
};

constexpr std::size_t TAG_TEXT_ITEM_COUNT = 7;

// The longest text an item holds (one from an extended tag), its NUL behind.
constexpr std::size_t TAG_TEXT_LONGEST = ID666Tag::kTextSize - 1;

inline constexpr TagTextItem TAG_TEXT_ITEMS[TAG_TEXT_ITEM_COUNT] = {
    {"song", &ID666Tag::song, spclayout::SONG_WIDTH},
    {"game", &ID666Tag::game, spclayout::GAME_WIDTH},
    {"artist", &ID666Tag::artist, spclayout::ARTIST_WIDTH},
    {"dumper", &ID666Tag::dumper, spclayout::DUMPER_WIDTH},
    {"comments", &ID666Tag::comments, spclayout::COMMENTS_WIDTH},
    {"ostTitle", &ID666Tag::ostTitle, 0},
    {"publisher", &ID666Tag::publisher, 0},
};

}  // namespace brindlemark::spctag

#endif
