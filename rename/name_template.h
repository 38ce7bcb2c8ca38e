#ifndef BRINDLEMARK_RENAME_NAME_TEMPLATE_H
#define BRINDLEMARK_RENAME_NAME_TEMPLATE_H

#include <cstddef>

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

// Only the first 30 characters of a template count. A character is one
// UTF-8 sequence, or one byte of any other text, so that a template in the
// system's code page counts as the user sees it and is never cut in half.
constexpr std::size_t NAME_TEMPLATE_MAX_LENGTH = 30;
// The most bytes 30 characters take: four each.
constexpr std::size_t NAME_TEMPLATE_MAX_BYTES = 4 * NAME_TEMPLATE_MAX_LENGTH;
// 30 characters make at most 15 tokens of at most 255 characters each (a
// literal character takes at most 4 bytes, fewer than half a token's).
constexpr std::size_t NAME_STEM_MAX_LENGTH = 15 * (ID666Tag::kTextSize - 1);
// Storage a stem must be given: the longest stem and its NUL.
constexpr std::size_t NAME_STEM_SIZE = NAME_STEM_MAX_LENGTH + 1;

// Expands the template ("%" with A, D, G, N, S or T in either case, and
// "%%") with the tag's items into stem, which must hold NAME_STEM_SIZE
// characters. When the tag has no disc or track number, they are taken from
// the characters next to the last "-" of droppedPath. Returns the status
// (0..3); reads tag and droppedPath, changes neither.
// The byte length of the first NAME_TEMPLATE_MAX_LENGTH characters of text.
std::size_t countedTemplateLength(const char* text);

int expandNameTemplate(const char* nameTemplate, const ID666Tag& tag, const char* droppedPath,
                       char* stem);

}  // namespace brindlemark::rename

#endif
