#ifndef BRINDLEMARK_UI_TAG_JSON_H
#define BRINDLEMARK_UI_TAG_JSON_H

#include <cstddef>
#include <string>

#include "spctag/id666_tag.h"

namespace brindlemark::console {

using spctag::DumpDate;
using spctag::FileKind;
using spctag::ID666Tag;

// JSON of the console: plain ASCII lines whose strings carry Unicode text.
//
// A path or name is bytes. Valid UTF-8 is written as its characters; any
// other value is written as text with U+FFFD for each byte that starts no
// character, followed by a sibling member "<key>Base64" holding the exact
// bytes, so that no two values ever give the same object.

// Appends bytes as a JSON string: each UTF-8 character that is not printable
// ASCII as \uXXXX (a surrogate pair above U+FFFF), quote and backslash
// escaped, and \ufffd for each byte that is not part of a valid character.
// True when every byte was part of a valid character (nothing was lost).
bool appendJsonString(std::string& out, const char* bytes, std::size_t count);

// Appends the bytes in base64 (RFC 4648, padded), without quotes.
void appendBase64(std::string& out, const char* bytes, std::size_t count);

// Appends `"key": "text"`, and `, "keyBase64": "..."` when the bytes are not
// valid UTF-8. The way every path and name is written.
void appendJsonBytesMember(std::string& out, const char* key, const char* bytes, std::size_t count);

// The text items of a tag, in the order --show writes them, with the width
// of the base-tag field each may come from (0: only the extended tag holds
// it), whose end may have cut the item's last character.
struct TagTextItem {
    const char* key;
    char (ID666Tag::*field)[ID666Tag::kTextSize];
    std::size_t baseWidth;
};
constexpr std::size_t kTagTextItemCount = 7;
extern const TagTextItem kTagTextItems[kTagTextItemCount];

// The text items decoded: the encoding's name and each item in UTF-8, in the
// order of kTagTextItems.
struct DecodedTagText {
    const char* encoding = "ascii";
    std::string text[kTagTextItemCount];
};

// One JSON object on one line: path and kind, and for a kind above 0 every
// field of the record under its own name. With decoded: "textEncoding", each
// text item as its decoded text and, when the item is not plain ASCII,
// "<key>Base64" with its exact bytes. Without: each text item as a path is
// written.
std::string tagJson(const char* path, FileKind kind, const ID666Tag& tag, const DecodedTagText* decoded = nullptr);

}  // namespace brindlemark::console

#endif
