#ifndef BRINDLEMARK_RENAME_NAME_TEMPLATE_H
#define BRINDLEMARK_RENAME_NAME_TEMPLATE_H

#include <cstddef>
#include <cstdint>

#include "spctag/id666_tag.h"

namespace brindlemark::rename {

using spctag::ID666Tag;

// ---- Text routines over 8-bit NUL-terminated text -------------------------

// Just after the last c in text; text itself when c does not occur (the
// terminating NUL never counts as an occurrence).
const char* afterLast(const char* text, char c);
char* afterLast(char* text, char c);

// Copies source with its NUL; returns where that NUL landed in destination.
char* copyToEnd(char* destination, const char* source);

// Copies source up to its first stop character or its end, neither copied,
// then a NUL; returns where that NUL landed in destination.
char* copyUntil(char* destination, const char* source, char stop);

// ---- Rename template expansion ----------------------------------------------

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
// 30 characters make at most 15 tokens of at most 255 characters each; with
// fewer tokens, the literal text left is within the template's 255 bytes
// (14 tokens and 227 bytes of text, say), which is less.
constexpr std::size_t NAME_STEM_MAX_LENGTH = 15 * (ID666Tag::kTextSize - 1);
// Storage a stem must be given: the longest stem and its NUL.
constexpr std::size_t NAME_STEM_SIZE = NAME_STEM_MAX_LENGTH + 1;

// Expands the template ("%" with A, D, G, N, S or T in either case, and
// "%%") with the tag's items into stem, which must hold NAME_STEM_SIZE
// characters. When the tag has no disc or track number, they are taken from
// the characters next to the last "-" of droppedPath. Returns the status
// (0..3); reads tag and droppedPath, changes neither.
// True for a mark that combines with the character before it into what the
// user sees as one (accents, kana voicing marks, variation selectors).
constexpr bool isCombiningMark(std::uint32_t codePoint) {
    return (codePoint >= 0x0300 && codePoint <= 0x036F) || (codePoint >= 0x1AB0 && codePoint <= 0x1AFF) ||
           (codePoint >= 0x1DC0 && codePoint <= 0x1DFF) || (codePoint >= 0x20D0 && codePoint <= 0x20FF) ||
           codePoint == 0x3099 || codePoint == 0x309A || (codePoint >= 0xFE00 && codePoint <= 0xFE0F) ||
           (codePoint >= 0xFE20 && codePoint <= 0xFE2F);
}

// The byte length of the first NAME_TEMPLATE_MAX_LENGTH characters of text.
std::size_t countedTemplateLength(const char* text);

int expandNameTemplate(const char* nameTemplate, const ID666Tag& tag, const char* droppedPath,
                       char* stem);

}  // namespace brindlemark::rename

#endif
