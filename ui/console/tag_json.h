#ifndef BRINDLEMARK_UI_CONSOLE_TAG_JSON_H
#define BRINDLEMARK_UI_CONSOLE_TAG_JSON_H

#include <cstddef>
#include <string>

#include "spctag/id666_tag.h"

namespace brindlemark::console {

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

struct DecodedTagText;  // the decoder's (ui/console/tag_text_encoding.h)

// One JSON object on one line: path and kind, and for a kind above 0 every
// field of the record under its own name, the text items in the order of
// TAG_TEXT_ITEMS. With decoded: "textEncoding", each
// text item as its decoded text and, when the item is not plain ASCII,
// "<key>Base64" with its exact bytes. Without: each text item as a path is
// written.
std::string tagJson(const char* path, spctag::FileKind kind, const spctag::ID666Tag& tag, const DecodedTagText* decoded = nullptr);

}  // namespace brindlemark::console

#endif
