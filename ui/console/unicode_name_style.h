#ifndef BRINDLEMARK_UI_CONSOLE_UNICODE_NAME_STYLE_H
#define BRINDLEMARK_UI_CONSOLE_UNICODE_NAME_STYLE_H

#include <optional>

#include "rename/name_style.h"
#include "ui/console/tag_text_encoding.h"

namespace brindlemark::console {

// The console's names in their own script (--unicode): each text item
// decoded from the file's encoding to UTF-8 in NFC, and the new name
// cleaned of what no file name may hold, characters kept.
class UnicodeNameStyle : public rename::NameStyle {
public:
    // forced: the encoding of every file (--tag-encoding), or none to decide
    // each file's own.
    explicit UnicodeNameStyle(std::optional<TextEncoding> forced = std::nullopt) : decoder_(forced) {}

    // Decides the encodings of a set's tags together, as --show does for
    // the same files: a file whose own text leaves doubt (a title of one
    // kanji) is read as its folder is.
    void prepareSet(const std::vector<const spctag::ID666Tag*>& tags) const override;

    // Each text item that is not plain ASCII becomes its decoded text in
    // NFC, cut to 255 bytes between two characters, in the encoding decided
    // for the file within its set.
    void prepareTag(spctag::ID666Tag& tag) const override;

    // \ / : * ? " < > |, C0 and C1 control characters and DEL become "_",
    // as does each byte that is not part of a valid UTF-8 character (a
    // template cut inside a character, a track taken from a path); then the
    // name is put in NFC unless that would make it longer.
    std::size_t cleanName(char* name, std::size_t length) const override;
    // The name put in NFC even where that makes it longer (U+0958, U+FB2A,
    // U+1D15E have longer NFC forms); the batch then tells a path too long.
    void finishName(std::string& newPath, std::size_t nameStart) const override;

private:
    mutable TagTextDecoder decoder_;
    mutable std::string text_;  // reused for each item
    mutable std::vector<TagText> texts_;
};

}  // namespace brindlemark::console

#endif
