// Which encoding a file's tag texts are in, and their conversion to UTF-8.
//
// Most tags are plain ASCII, and that is found without any library. UTF-8 is
// recognised by its structure: text in a legacy encoding is hardly ever
// valid UTF-8 as well. Shift-JIS and Windows-1252 are harder: most Western
// text with an accent is also valid Shift-JIS, and a tag field of 32 bytes
// is too short for a statistical detector alone. So each reading is scored
// by the characters it gives:
//
//   Shift-JIS      kana, full-width forms, JIS level 1 kanji      +2
//                  a JIS level 2 (rare) kanji next to kana/kanji  +1
//                  a rare kanji between two ASCII letters         -3
//                  a kanji right after an ASCII letter whose lead
//                  byte is a Windows-1252 quote, bullet or dash
//                  (0x91..0x97) and whose trail byte is a letter  -3
//                  half-width katakana in a run of two or more    +1 each
//                  a lone half-width katakana next to a letter    -2
//                  any other symbol                               -1
//                  a user-defined (private use) character         -3
//   Windows-1252   an accented letter in a run of at most two
//                  non-ASCII characters, next to a letter         +2
//                  ... not next to a letter                       +1
//                  ... in a longer run                            -1
//                  a symbol alone between ASCII characters         0
//                  a symbol in a run                              -2
//                  a letter of the 0x80..0x9F row (Š Œ Ž š œ ž Ÿ)
//                  before an ASCII capital or another non-ASCII
//                  character: a symbol, as above
//   either         a byte sequence the encoding has no character for: the
//                  reading is invalid (-4 each)
//
// A valid reading beats an invalid one. Between two valid readings the
// detector's answer over all the file's texts (Shift-JIS, or any single-byte
// European code page) adds a quarter of the bytes from 0x80 up (at most 6)
// to the reading it names: nothing for one accented word, where it guesses,
// much for a long Japanese comment, where it is reliable. A tie goes to
// Windows-1252.
//
// The files of one folder are one game's, in one encoding: decideSet weighs
// them together, so that a title of one kanji, too short to tell alone, is
// read as its folder is.

#include "text/utf8.h"
#include "ui/console/tag_text_encoding.h"

#include <uchardet/uchardet.h>

#include <algorithm>
#include <cstring>


namespace brindlemark::console {

using spctag::ID666Tag;

using text::Utf8Step;
using text::isAscii;
using text::UTF8_REPLACEMENT_CHARACTER;
using text::readUtf8;

namespace {

// A set's decision is a vote of its files: a file whose text only one of
// the two legacy encodings can read gives that one SET_SETTLED_VOTE, any
// other the difference of its two scores, bounded to SET_SCORE_VOTE either
// way. A settled file counts more than any doubtful one.
constexpr int SET_SETTLED_VOTE = 6;
constexpr int SET_SCORE_VOTE = 4;

enum CharacterClass {
    CLASS_ASCII_LETTER,     // a..z
    CLASS_ASCII_CAPITAL,    // A..Z
    CLASS_ASCII_OTHER,
    CLASS_KANA,             // hiragana, katakana, CJK punctuation, full-width forms
    CLASS_COMMON_KANJI,     // JIS X 0208 level 1
    CLASS_QUOTE_KANJI,      // a common kanji whose bytes read in Windows-1252 as
                            // a quote, bullet or dash and an ASCII letter (’s, —P)
    CLASS_RARE_KANJI,       // JIS X 0208 level 2 and the IBM extensions
    CLASS_HALF_WIDTH_KANA,  // single bytes A1..DF of Shift-JIS
    CLASS_LATIN_LETTER,     // an accented letter of Windows-1252
    CLASS_ROW_LETTER,       // a letter of Windows-1252's 0x80..0x9F row: Š Œ Ž š œ ž Ÿ
    CLASS_SYMBOL,
    CLASS_PRIVATE_USE,
    CLASS_INVALID,
};

enum Piece { PIECE_CHARACTER, PIECE_INVALID, PIECE_CUT };

struct Step {
    Piece kind;
    std::size_t length;
};

bool isShiftJisLead(unsigned char byte) { return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC); }
bool isShiftJisTrail(unsigned char byte) { return byte >= 0x40 && byte <= 0xFC && byte != 0x7F; }

// A single byte below 0x80 or from A1 to DF, or a lead byte and a trail byte.
Step shiftJisStep(const unsigned char* bytes, std::size_t count) {
    const unsigned char lead = bytes[0];
    if (lead < 0x80 || (lead >= 0xA1 && lead <= 0xDF)) return {PIECE_CHARACTER, 1};
    if (!isShiftJisLead(lead)) return {PIECE_INVALID, 1};
    if (count == 1) return {PIECE_CUT, 1};
    return isShiftJisTrail(bytes[1]) ? Step{PIECE_CHARACTER, 2} : Step{PIECE_INVALID, 1};
}

bool isAsciiLetter(unsigned char byte) { return (byte | 0x20) >= 'a' && (byte | 0x20) <= 'z'; }

bool isAsciiLetterClass(int c) { return c == CLASS_ASCII_LETTER || c == CLASS_ASCII_CAPITAL; }

bool isKanji(int c) { return c == CLASS_COMMON_KANJI || c == CLASS_QUOTE_KANJI || c == CLASS_RARE_KANJI; }

CharacterClass asciiClass(unsigned char byte) {
    if (!isAsciiLetter(byte)) return CLASS_ASCII_OTHER;
    return byte <= 'Z' ? CLASS_ASCII_CAPITAL : CLASS_ASCII_LETTER;
}

// Lead bytes that Windows-1252 reads as ‘ ’ “ ” • – —: the punctuation a
// Western title puts between two letters (Yoshi’s, Act I—Prologue).
bool isQuoteOrDashByte(unsigned char byte) { return byte >= 0x91 && byte <= 0x97; }

CharacterClass shiftJisClass(const unsigned char* bytes, std::size_t length, char32_t codePoint) {
    if (length == 1) return CLASS_HALF_WIDTH_KANA;
    const unsigned code = (static_cast<unsigned>(bytes[0]) << 8) | bytes[1];
    if ((codePoint >= 0x3000 && codePoint <= 0x30FF) || (codePoint >= 0xFF01 && codePoint <= 0xFF5E)) return CLASS_KANA;
    if (code >= 0x889F && code <= 0x9872) {
        return isQuoteOrDashByte(bytes[0]) && isAsciiLetter(bytes[1]) ? CLASS_QUOTE_KANJI : CLASS_COMMON_KANJI;
    }
    if ((codePoint >= 0x4E00 && codePoint <= 0x9FFF) || (codePoint >= 0xF900 && codePoint <= 0xFAFF)) return CLASS_RARE_KANJI;
    if (codePoint >= 0xE000 && codePoint <= 0xF8FF) return CLASS_PRIVATE_USE;
    return CLASS_SYMBOL;
}

CharacterClass windows1252Class(char32_t codePoint) {
    switch (codePoint) {
        case 0x152: case 0x153: case 0x160: case 0x161: case 0x178: case 0x17D: case 0x17E: return CLASS_ROW_LETTER;
        default: break;
    }
    const bool latin = codePoint >= 0xC0 && codePoint <= 0x17F && codePoint != 0xD7 && codePoint != 0xF7;
    return latin ? CLASS_LATIN_LETTER : CLASS_SYMBOL;
}

int neighbour(const std::vector<int>& classes, std::size_t at, int offset) {
    if ((offset < 0 && at == 0) || (offset > 0 && at + 1 >= classes.size())) return CLASS_ASCII_OTHER;
    return classes[offset < 0 ? at - 1 : at + 1];
}

bool isNonAscii(int c) { return !isAsciiLetterClass(c) && c != CLASS_ASCII_OTHER; }

// The letters of Windows-1252's 0x80..0x9F row are also the lead bytes of
// most common kanji, whose trail byte follows: kanji-only Japanese text reads
// as such a letter before a capital or before another character from 0x80
// up ("ŠC", "Œõ", "ŽRŒû"), which no Western word has (Œuvre, Škoda, Tomáš).
// There it is taken for the symbol it is.
void resolveRowLetters(std::vector<int>& classes) {
    for (std::size_t at = 0; at < classes.size(); ++at) {
        if (classes[at] != CLASS_ROW_LETTER) continue;
        const int after = neighbour(classes, at, 1);
        classes[at] = after == CLASS_ASCII_CAPITAL || isNonAscii(after) ? CLASS_SYMBOL : CLASS_LATIN_LETTER;
    }
}

// The length of the run of consecutive characters that pass `in` around at.
template <typename In>
std::size_t runLength(const std::vector<int>& classes, std::size_t at, In in) {
    std::size_t first = at, last = at;
    while (first > 0 && in(classes[first - 1])) --first;
    while (last + 1 < classes.size() && in(classes[last + 1])) ++last;
    return last - first + 1;
}

int shiftJisScore(const std::vector<int>& classes, std::size_t at) {
    const int before = neighbour(classes, at, -1), after = neighbour(classes, at, 1);
    switch (classes[at]) {
        case CLASS_KANA:
        case CLASS_COMMON_KANJI: return 2;
        // A lone quote or dash between two letters, read as a kanji with the
        // letter after it.
        case CLASS_QUOTE_KANJI: return isAsciiLetterClass(before) ? -3 : 2;
        case CLASS_RARE_KANJI:
            if (isAsciiLetterClass(before) && isAsciiLetterClass(after)) return -3;
            return before == CLASS_KANA || after == CLASS_KANA || isKanji(before) || isKanji(after) ? 1 : 0;
        case CLASS_HALF_WIDTH_KANA:
            if (runLength(classes, at, [](int c) { return c == CLASS_HALF_WIDTH_KANA; }) >= 2) return 1;
            return isAsciiLetterClass(before) || isAsciiLetterClass(after) ? -2 : 0;
        case CLASS_SYMBOL: return -1;
        case CLASS_PRIVATE_USE: return -3;
        default: return 0;
    }
}

int windows1252Score(const std::vector<int>& classes, std::size_t at) {
    const std::size_t run = runLength(classes, at, isNonAscii);
    if (classes[at] == CLASS_SYMBOL) return run == 1 ? 0 : -2;
    if (classes[at] != CLASS_LATIN_LETTER) return 0;
    if (run > 2) return -1;
    const auto isLetter = [](int c) { return isAsciiLetterClass(c) || c == CLASS_LATIN_LETTER; };
    return isLetter(neighbour(classes, at, -1)) || isLetter(neighbour(classes, at, 1)) ? 2 : 1;
}

}  // namespace

const char* textEncodingName(TextEncoding encoding) {
    switch (encoding) {
        case ENCODING_ASCII: return "ascii";
        case ENCODING_UTF8: return "utf-8";
        case ENCODING_SHIFT_JIS: return "shift_jis";
        case ENCODING_WINDOWS_1252: return "windows-1252";
    }
    return "ascii";
}

bool parseTagEncoding(const std::string& name, std::optional<TextEncoding>& chosen) {
    if (name == "auto") {
        chosen.reset();
        return true;
    }
    for (const TextEncoding encoding : {ENCODING_UTF8, ENCODING_SHIFT_JIS, ENCODING_WINDOWS_1252}) {
        if (name == textEncodingName(encoding)) {
            chosen = encoding;
            return true;
        }
    }
    return false;
}

void readTagTexts(const ID666Tag& tag, std::vector<TagText>& texts) {
    texts.clear();
    for (const spctag::TagTextItem& item : spctag::TAG_TEXT_ITEMS) {
        const char* const field = tag.*item.field;
        const std::size_t size = strnlen(field, spctag::TAG_TEXT_LONGEST);
        texts.push_back({field, size, size == item.baseWidth || size == spctag::TAG_TEXT_LONGEST});
    }
}

TagTextDecoder::TagTextDecoder(std::optional<TextEncoding> forced) : forced_(forced) {}

bool TagTextDecoder::convert(const IconvConverter& converter, const char* bytes, std::size_t count) {
    character_.clear();
    if (!converter.valid()) return false;
    char in[2];
    std::memcpy(in, bytes, count);
    char out[8];
    char* inAt = in;
    char* outAt = out;
    std::size_t inLeft = count, outLeft = sizeof out;
    const bool converted = iconv(converter.get(), &inAt, &inLeft, &outAt, &outLeft) != static_cast<std::size_t>(-1) &&
                           inLeft == 0 && outAt != out;
    iconv(converter.get(), nullptr, nullptr, nullptr, nullptr);  // back to the initial state
    if (converted) character_.assign(out, static_cast<std::size_t>(outAt - out));
    return converted;
}

template <typename OnStep>
void TagTextDecoder::walk(TextEncoding encoding, const TagText& text, OnStep onStep) {
    for (std::size_t at = 0; at < text.size;) {
        const char* const bytes = text.bytes + at;
        const std::size_t left = text.size - at;
        const auto byte = static_cast<unsigned char>(bytes[0]);
        Step step{PIECE_CHARACTER, 1};
        bool converted = byte < 0x80;
        if (converted) {
            character_.assign(1, static_cast<char>(byte));
        } else if (encoding == ENCODING_UTF8) {
            const Utf8Step utf8 = readUtf8(bytes, left);
            step = {utf8.kind == Utf8Step::Character ? PIECE_CHARACTER
                    : utf8.kind == Utf8Step::Cut   ? PIECE_CUT
                                                   : PIECE_INVALID,
                    utf8.length};
            converted = step.kind == PIECE_CHARACTER;
            if (converted) character_.assign(bytes, step.length);
        } else if (encoding == ENCODING_SHIFT_JIS) {
            step = shiftJisStep(reinterpret_cast<const unsigned char*>(bytes), left);
            converted = step.kind == PIECE_CHARACTER && convert(fromShiftJis_, bytes, step.length);
        } else if (encoding == ENCODING_WINDOWS_1252) {
            converted = convert(fromWindows1252_, bytes, 1);
        } else {
            step.kind = PIECE_INVALID;
        }
        onStep(bytes, step, converted);
        at += step.length;
    }
}

TagTextDecoder::Reading TagTextDecoder::read(TextEncoding encoding, const std::vector<TagText>& texts) {
    Reading reading;
    for (const TagText& text : texts) {
        classes_.clear();
        walk(encoding, text, [&](const char* bytes, Step step, bool converted) {
            const auto* unsignedBytes = reinterpret_cast<const unsigned char*>(bytes);
            if (step.kind == PIECE_CUT && text.mayBeCut) return;
            if (!converted) {
                classes_.push_back(CLASS_INVALID);
            } else if (unsignedBytes[0] < 0x80) {
                classes_.push_back(asciiClass(unsignedBytes[0]));
            } else {
                const char32_t codePoint = readUtf8(character_.data(), character_.size()).codePoint;
                classes_.push_back(encoding == ENCODING_SHIFT_JIS
                                       ? shiftJisClass(unsignedBytes, step.length, codePoint)
                                       : windows1252Class(codePoint));
            }
        });
        if (encoding == ENCODING_WINDOWS_1252) resolveRowLetters(classes_);
        for (std::size_t at = 0; at < classes_.size(); ++at) {
            if (classes_[at] == CLASS_INVALID) {
                reading.valid = false;
                reading.score -= 4;
            } else {
                reading.score += encoding == ENCODING_SHIFT_JIS ? shiftJisScore(classes_, at)
                                                                    : windows1252Score(classes_, at);
            }
        }
    }
    return reading;
}

void TagTextDecoder::feedDetector(const std::vector<TagText>& texts) {
    uchardet* const detector = detector_.get();
    if (detector == nullptr) return;
    for (const TagText& text : texts) {
        if (isAscii(text.bytes, text.size)) continue;
        uchardet_handle_data(detector, text.bytes, text.size);
        uchardet_handle_data(detector, "\n", 1);
    }
}

int TagTextDecoder::detectorVote(std::size_t highBytes) {
    uchardet* const detector = detector_.get();
    if (detector == nullptr) return 0;
    uchardet_data_end(detector);
    const std::string charset = uchardet_get_charset(detector);
    uchardet_reset(detector);
    const int weight = static_cast<int>(std::min<std::size_t>(highBytes, 24) / 4);
    if (charset == "SHIFT_JIS") return weight;
    // Any single-byte European code page: on a few accented letters the
    // detector hesitates between them, and every one stands for this reading.
    if (charset.compare(0, 11, "WINDOWS-125") == 0 || charset.compare(0, 9, "ISO-8859-") == 0) return -weight;
    return 0;
}

TagTextDecoder::OwnText TagTextDecoder::judge(const std::vector<TagText>& texts) {
    OwnText own;
    for (const TagText& text : texts) {
        for (std::size_t i = 0; i < text.size; ++i) own.highBytes += static_cast<unsigned char>(text.bytes[i]) >> 7;
    }
    if (own.highBytes == 0) {
        own.settled = ENCODING_ASCII;
        return own;
    }

    // UTF-8: every such byte is part of a character, or of one a filled
    // field's end cut, and at least one character is whole.
    bool utf8 = true, wholeCharacter = false;
    for (const TagText& text : texts) {
        walk(ENCODING_UTF8, text, [&](const char* bytes, Step step, bool converted) {
            if (step.kind == PIECE_CUT && text.mayBeCut) return;
            utf8 = utf8 && converted;
            wholeCharacter = wholeCharacter || (converted && static_cast<unsigned char>(bytes[0]) >= 0x80);
        });
    }
    if (utf8 && wholeCharacter) {
        own.settled = ENCODING_UTF8;
        return own;
    }

    own.legacy = true;
    own.shiftJis = read(ENCODING_SHIFT_JIS, texts);
    own.windows1252 = read(ENCODING_WINDOWS_1252, texts);
    if (own.shiftJis.valid != own.windows1252.valid) {
        own.settled = own.shiftJis.valid ? ENCODING_SHIFT_JIS : ENCODING_WINDOWS_1252;
    }
    return own;
}

TextEncoding TagTextDecoder::choose(int forShiftJis, int forWindows1252, int vote) {
    forShiftJis += std::max(vote, 0);
    forWindows1252 += std::max(-vote, 0);
    return forShiftJis > forWindows1252 ? ENCODING_SHIFT_JIS : ENCODING_WINDOWS_1252;
}

TextEncoding TagTextDecoder::decide(const std::vector<TagText>& texts) {
    if (forced_) return *forced_;
    const OwnText own = judge(texts);
    if (own.settled) return *own.settled;
    if (set_) return *set_;
    feedDetector(texts);
    return choose(own.shiftJis.score, own.windows1252.score, detectorVote(own.highBytes));
}

void TagTextDecoder::decideSet(const ID666Tag* const* tags, std::size_t count, TextEncoding* encodings) {
    set_.reset();
    settled_.clear();
    int forShiftJis = 0;  // the files' votes: positive for Shift-JIS
    std::size_t highBytes = 0;
    bool legacy = false;
    for (std::size_t i = 0; i < count && !forced_; ++i) {
        readTagTexts(*tags[i], texts_);
        const OwnText own = judge(texts_);
        settled_.push_back(own.settled);
        if (!own.legacy) continue;
        // Every legacy file votes, one that settles its own encoding too:
        // the titles only Shift-JIS can read tell how a folder's one-kanji
        // title is meant. A file is one voice, however long its texts.
        legacy = true;
        if (own.settled) {
            forShiftJis += *own.settled == ENCODING_SHIFT_JIS ? SET_SETTLED_VOTE : -SET_SETTLED_VOTE;
        } else {
            forShiftJis += std::clamp(own.shiftJis.score - own.windows1252.score, -SET_SCORE_VOTE, SET_SCORE_VOTE);
        }
        highBytes += own.highBytes;
        feedDetector(texts_);
    }
    if (legacy) set_ = choose(forShiftJis, 0, detectorVote(highBytes));
    if (encodings == nullptr) return;
    for (std::size_t i = 0; i < count; ++i) {
        encodings[i] = forced_                ? *forced_
                       : settled_[i]          ? *settled_[i]
                                              : *set_;  // only a legacy text leaves doubt
    }
}

void TagTextDecoder::decode(const TagText& text, TextEncoding encoding, std::string& out) {
    if (isAscii(text.bytes, text.size)) {
        out.append(text.bytes, text.size);
        return;
    }
    walk(encoding, text, [&](const char*, Step step, bool converted) {
        if (converted) {
            out += character_;
        } else if (step.kind != PIECE_CUT || !text.mayBeCut) {
            out += UTF8_REPLACEMENT_CHARACTER;
        }
    });
}

void TagTextDecoder::decodeTag(const ID666Tag& tag, DecodedTagText& decoded) {
    readTagTexts(tag, texts_);
    decodeTexts(decide(texts_), decoded);
}

void TagTextDecoder::decodeTag(const ID666Tag& tag, TextEncoding encoding, DecodedTagText& decoded) {
    readTagTexts(tag, texts_);
    decodeTexts(encoding, decoded);
}

void TagTextDecoder::decodeTexts(TextEncoding encoding, DecodedTagText& decoded) {
    decoded.encoding = textEncodingName(encoding);
    for (std::size_t i = 0; i < texts_.size(); ++i) {
        decoded.text[i].clear();
        decode(texts_[i], encoding, decoded.text[i]);
    }
}

}  // namespace brindlemark::console
