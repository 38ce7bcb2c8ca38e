#ifndef BRINDLEMARK_RENAME_NAME_TEMPLATE_H
#define BRINDLEMARK_RENAME_NAME_TEMPLATE_H

#include <cstddef>
#include <cstdint>

#include "spctag/id666_tag.h"

namespace brindlemark::rename {

// ---- Text routines over 8-bit NUL-terminated text -------------------------

// Just after the last c in text; text itself when c does not occur (the
// terminating NUL never counts as an occurrence).
const char* afterLast(const char* text, char c);

// Copies source with its NUL; returns where that NUL landed in destination.
char* copyToEnd(char* destination, const char* source);

// Copies source up to its first stop character or its end, neither copied,
// then a NUL; returns where that NUL landed in destination.
char* copyUntil(char* destination, const char* source, char stop);

// ---- Rename template --------------------------------------------------------

// The template a new window starts with: track number, then song title.
constexpr char NAME_TEMPLATE_DEFAULT[] = "%N - %S";

// Status bits of an expansion.
constexpr int noTagItem = 1;    // nothing was taken from the tag
constexpr int itemMissing = 2;  // a named item was absent and no fallback served

// Only the first 30 characters of a template count, as the user sees them:
// a character is one UTF-8 sequence (or one byte of text in another code
// page) with the combining marks that follow it, and is never cut apart.
constexpr std::size_t NAME_TEMPLATE_MAX_LENGTH = 30;
// The most bytes of a template that are read, cut before a character that
// would pass it.
constexpr std::size_t NAME_TEMPLATE_MAX_BYTES = 255;
// 30 characters make at most 15 codes of two characters, each of at most
// 255 characters; a width, a brace or literal text gives less per character
// of the template (%9N: 9 characters and a letter for three).
constexpr std::size_t NAME_STEM_MAX_LENGTH = 15 * (spctag::ID666Tag::kTextSize - 1);
// Storage a stem must be given: the longest stem and its NUL.
constexpr std::size_t NAME_STEM_SIZE = NAME_STEM_MAX_LENGTH + 1;
// The widest number a width asks for: %9N.
constexpr unsigned NAME_NUMBER_MAX_WIDTH = 9;
// The least width of %*N, whatever the set's largest track number.
constexpr unsigned NAME_SET_MIN_WIDTH = 2;

// The byte length of the characters of text that count: its first
// NAME_TEMPLATE_MAX_LENGTH characters as the user sees them (text/utf8.h's
// rule), never more than NAME_TEMPLATE_MAX_BYTES. The dialog and the console
// each count the template once, where they read it; the batch takes it as
// it is given.
std::size_t countedTemplateLength(const char* text);

// The two template languages. The dialog's: "%" with A, D, G, N, S or T in
// either case, and "%%"; disc and track from the characters next to the
// last "-" of the file's name. The console's adds widths (%2N, %02N, %2D;
// %*N, the set's width), braces around parts that may be missing ({%D-},
// with %{ and %} for a brace), %Y (copyright year) and %P (publisher), and
// reads a track number that begins the file's name.
enum class TemplateDialect { Dialog, Console };

// What makes a template one the console cannot mean; the dialog knows none.
struct TemplateFault {
    enum Kind {
        None,
        UnknownCode,        // "%" and a letter that is no code (%Q)
        UnclosedBrace,      // a "{" the counted characters never close
        StrayClosingBrace,  // a "}" with no "{" before it
        NestedBrace,        // a "{" inside another
    };
    Kind kind = None;
    std::size_t at = 0;  // byte offset, in the counted text, of the "%" or the brace
};

// A template read once: its counted characters, parsed into pieces by the
// rules of its dialect. A plain record; nothing is allocated.
class NameTemplate {
public:
    NameTemplate(const char* text, TemplateDialect dialect);

    TemplateDialect dialect() const { return dialect_; }
    // The characters that count, NUL-terminated.
    const char* text() const { return text_; }
    // The first fault, for the console's language; None for the dialog's.
    const TemplateFault& fault() const { return fault_; }

    // One piece of the template: literal text (length bytes of text() from
    // at), a code, or a brace that opens or closes a group.
    struct Piece {
        enum Kind : std::uint8_t { Text, Code, Open, Close };
        Kind kind;
        std::uint8_t code;   // Code: the index of its rule
        std::uint8_t width;  // Code: the least digits of its number, 0 for none
        bool setWidth;       // Code: %*N, the width its set decides
        std::uint8_t at, length;
    };
    const Piece* begin() const { return pieces_; }
    const Piece* end() const { return pieces_ + count_; }

private:
    void add(const Piece& piece);

    TemplateDialect dialect_;
    TemplateFault fault_;
    char text_[NAME_TEMPLATE_MAX_BYTES + 1];
    // Every piece takes one byte of the template at least.
    Piece pieces_[NAME_TEMPLATE_MAX_BYTES];
    std::size_t count_ = 0;
};

// Where an expansion writes: size bytes (NUL included) at data.
struct StemOutput {
    char* data;
    std::size_t size;
};

// What an expansion gives: the status (0..3) and the stem's length.
struct Expansion {
    int status;
    std::size_t length;
};

// Expands the template with the tag's items into stem, never past its size
// (NAME_STEM_SIZE takes every stem), and NUL-terminates it. When the tag has
// no disc or track number, they are taken from the file's own name in
// droppedPath as the dialect reads it. setWidth: the digits of the largest
// track number of the file's set, for %*N (0 when unknown; %*N pads to 2 at
// least). Reads tag and droppedPath, changes neither.
Expansion expandNameTemplate(const NameTemplate& nameTemplate, const spctag::ID666Tag& tag, const char* droppedPath,
                             unsigned setWidth, StemOutput stem);

// The track number %N writes for the file, without its letter: the tag's,
// or, when the tag has none, the one the file's own name gives as the
// dialect reads it (a number of more than NAME_NUMBER_MAX_WIDTH digits
// counts as the widest); 0 when neither gives one. The largest of a set's
// decides the width of %*N.
unsigned trackNumberWritten(const spctag::ID666Tag& tag, const char* droppedPath, TemplateDialect dialect);

}  // namespace brindlemark::rename

#endif
