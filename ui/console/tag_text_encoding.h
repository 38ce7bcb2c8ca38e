#ifndef BRINDLEMARK_UI_CONSOLE_TAG_TEXT_ENCODING_H
#define BRINDLEMARK_UI_CONSOLE_TAG_TEXT_ENCODING_H

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "spctag/id666_tag.h"
#include "spctag/text_items.h"
#include "ui/console/text_library_owners.h"

namespace brindlemark::console {

// The encodings a tag's texts are read in. The tag itself never says which.
enum TextEncoding { ENCODING_ASCII, ENCODING_UTF8, ENCODING_SHIFT_JIS, ENCODING_WINDOWS_1252 };

// "ascii", "utf-8", "shift_jis", "windows-1252".
const char* textEncodingName(TextEncoding encoding);

// Reads the value of --tag-encoding: "auto" gives no encoding (each file's
// own is decided), any other name of textEncodingName but "ascii" gives
// that one. False for an unknown name.
bool parseTagEncoding(const std::string& name, std::optional<TextEncoding>& chosen);
// The names parseTagEncoding takes, as a message lists them.
constexpr char TAG_ENCODING_CHOICES[] = "auto, utf-8, shift_jis or windows-1252";

// One text of a tag: its bytes, and whether it fills the field it came from,
// so that the field's end may have cut its last character in two.
struct TagText {
    const char* bytes = nullptr;
    std::size_t size = 0;
    bool mayBeCut = false;
};

// Fills texts with the text items of a tag in the order of TAG_TEXT_ITEMS.
void readTagTexts(const spctag::ID666Tag& tag, std::vector<TagText>& texts);

// The text items of a tag decoded: the encoding's name and each item in
// UTF-8, in the order of TAG_TEXT_ITEMS.
struct DecodedTagText {
    const char* encoding = "ascii";
    std::string text[spctag::TAG_TEXT_ITEM_COUNT];
};

// Decides the encoding of a file's texts and converts them to UTF-8. Holds
// the converters and the detector, so one decoder serves a whole run; not
// for two threads at once.
class TagTextDecoder {
public:
    // forced: the encoding of every file (--tag-encoding), or none to decide
    // each file's own.
    explicit TagTextDecoder(std::optional<TextEncoding> forced = std::nullopt);
    TagTextDecoder(const TagTextDecoder&) = delete;
    TagTextDecoder& operator=(const TagTextDecoder&) = delete;

    // The encoding of all the texts of one file together: the forced one,
    // ENCODING_ASCII when no byte is from 0x80 up, ENCODING_UTF8 when every
    // such byte is part of a valid UTF-8 character (or of one the end of a
    // filled field cut), otherwise whichever of Shift-JIS (CP932) and
    // Windows-1252 the texts read as (see the source for the rule). After
    // decideSet, a file whose own text leaves doubt gets the set's decision.
    TextEncoding decide(const std::vector<TagText>& texts);

    // Decides the encodings of a set: the tags of the files of one folder,
    // read together. A file whose own text settles its encoding beyond
    // doubt keeps that one: no byte from 0x80 up (ENCODING_ASCII), valid
    // UTF-8 (as in decide), or text that only one of Shift-JIS and
    // Windows-1252 has characters for. Every other file gets the set's
    // decision between those two, a vote of the files whose text is neither
    // ASCII nor UTF-8, with the detector asked once over all their text
    // (see the source). Writes the encoding of tags[i] to encodings[i]
    // unless encodings is null, and keeps the set's decision for decide()
    // and decodeTag() until the next set, so that the set's files can then
    // be decoded one by one.
    void decideSet(const spctag::ID666Tag* const* tags, std::size_t count, TextEncoding* encodings = nullptr);

    // Appends the text converted from the encoding to UTF-8. Bytes that are
    // no character of the encoding become U+FFFD, each invalid sequence one;
    // a character the end of a filled field cut in two is dropped.
    void decode(const TagText& text, TextEncoding encoding, std::string& out);

    // Decides and decodes every text item of a tag into decoded (whose
    // strings are reused: a run decodes file after file without allocating).
    void decodeTag(const spctag::ID666Tag& tag, DecodedTagText& decoded);
    // The same in an encoding already decided (by decideSet).
    void decodeTag(const spctag::ID666Tag& tag, TextEncoding encoding, DecodedTagText& decoded);

private:
    struct Reading {
        bool valid = true;  // every character is one of the encoding
        int score = 0;      // how much the characters look like real text
    };
    // What one file's texts say on their own.
    struct OwnText {
        std::size_t highBytes = 0;            // bytes from 0x80 up
        std::optional<TextEncoding> settled;  // the encoding beyond doubt, if any
        bool legacy = false;                  // neither ASCII nor UTF-8: both readings were made
        Reading shiftJis, windows1252;
    };
    OwnText judge(const std::vector<TagText>& texts);
    Reading read(TextEncoding encoding, const std::vector<TagText>& texts);
    // Hands the texts that are not plain ASCII to the detector.
    void feedDetector(const std::vector<TagText>& texts);
    // The detector's choice between the two legacy encodings over what it
    // was fed since the last vote: positive for Shift-JIS, negative for
    // Windows-1252, weighted by how many bytes from 0x80 up it had to go on.
    int detectorVote(std::size_t highBytes);
    // The higher of the two scores with the detector's vote; a tie goes to
    // Windows-1252.
    static TextEncoding choose(int forShiftJis, int forWindows1252, int vote);
    // Calls step(bytes, kind, converted) for each character of the text in
    // the encoding; when converted, character_ holds it in UTF-8.
    template <typename Step>
    void walk(TextEncoding encoding, const TagText& text, Step step);
    // Converts one character to UTF-8 in character_; false when the
    // encoding has no such character.
    bool convert(const IconvConverter& converter, const char* bytes, std::size_t count);
    // Decodes texts_ into decoded.
    void decodeTexts(TextEncoding encoding, DecodedTagText& decoded);

    std::optional<TextEncoding> forced_;
    IconvConverter fromShiftJis_{"UTF-8", "CP932"};
    IconvConverter fromWindows1252_{"UTF-8", "CP1252"};
    CharsetDetector detector_;
    std::string character_;
    std::vector<int> classes_;  // of one text's characters, while it is read
    std::vector<TagText> texts_;  // of the tag decodeTag is given
    std::optional<TextEncoding> set_;  // the last set's decision, for a file that leaves doubt
    std::vector<std::optional<TextEncoding>> settled_;  // of each file of the set being decided
};

}  // namespace brindlemark::console

#endif
