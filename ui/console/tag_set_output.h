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

using spctag::FileKind;

// One file of a set as --show prints it: its path, its kind, and its tag
// (never null; read only for a kind above 0).
struct ShownFile {
    const char* path;
    FileKind kind;
    const ID666Tag* tag;
};

// --show's lines, a set at a time: the tags of consecutive FILEs of one
// folder are held until the set is complete, the encoding of their text is
// decided over the whole set (TagTextDecoder::decideSet), and then each is
// printed as its JSON line, in the order the files came.
class TagSetOutput {
public:
    // The most files a set holds (about 2 MB of records): a folder of
    // more is decided in sets of this many.
    static constexpr std::size_t SET_MOST_FILES = 1024;

    // forced: the encoding of every file (--tag-encoding), or none.
    explicit TagSetOutput(std::optional<TextEncoding> forced) : decoder_(forced) {}

    // Holds one more file: read(tag) fills the record it is given and
    // returns the file's kind, which add returns too. The set held so far
    // is printed first when path lies in another folder or the set is full.
    template <typename Read>
    FileKind add(const char* path, Read read) {
        HeldFile& file = nextFile(path);
        file.kind = read(file.tag);
        return file.kind;
    }

    // Prints the set held and empties it. A failure to write standard
    // output ends the run.
    void print();

    // Prints one set, held elsewhere: the encoding of its recognised files'
    // text decided together, then each file's line in order.
    void printSet(const ShownFile* files, std::size_t count);

private:
    struct HeldFile {
        std::string path;
        FileKind kind = spctag::KIND_UNKNOWN;
        ID666Tag tag;
    };

    HeldFile& nextFile(const char* path);

    TagTextDecoder decoder_;
    std::vector<HeldFile> files_;  // the first held_ are the set; kept to be reused
    std::size_t held_ = 0;
    std::string folder_;  // of the set held: its files' paths up to their last "/"
    std::vector<ShownFile> shown_;  // the set held, as printSet takes it
    std::vector<const ID666Tag*> tags_;  // of the set's recognised files
    std::vector<TextEncoding> encodings_;  // of each of tags_
    DecodedTagText decoded_;
    std::string line_;
};

}  // namespace brindlemark::console

#endif
