#ifndef BRINDLEMARK_UI_CONSOLE_TAG_SET_OUTPUT_H
#define BRINDLEMARK_UI_CONSOLE_TAG_SET_OUTPUT_H

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "spctag/id666_tag.h"
#include "ui/console/tag_text_encoding.h"

namespace brindlemark::console {

// One file of a set as --show prints it: its path, its kind, and its tag
// (never null; read only for a kind above 0).
struct ShownFile {
    const char* path;
    spctag::FileKind kind;
    const spctag::ID666Tag* tag;
};

// --show's lines, a set at a time (the files of one folder read ahead
// together): the encoding of their text is decided over the whole set
// (TagTextDecoder::decideSet), and then each is printed as its JSON line, in
// the order the files came.
class TagSetOutput {
public:
    // forced: the encoding of every file (--tag-encoding), or none.
    explicit TagSetOutput(std::optional<TextEncoding> forced) : decoder_(forced) {}

    // Prints one set: the encoding of its recognised files' text decided
    // together, then each file's line in order. False when standard output
    // could not be written.
    bool printSet(const ShownFile* files, std::size_t count);

private:
    TagTextDecoder decoder_;
    std::vector<const spctag::ID666Tag*> tags_;  // of the set's recognised files
    std::vector<TextEncoding> encodings_;  // of each of tags_
    DecodedTagText decoded_;
    std::string line_;
};

}  // namespace brindlemark::console

#endif
