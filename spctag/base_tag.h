#ifndef BRINDLEMARK_SPCTAG_BASE_TAG_H
#define BRINDLEMARK_SPCTAG_BASE_TAG_H

#include <cstddef>

namespace brindlemark::spctag {

// Number of leading characters of a fixed-width field that are digits or
// '/', or -1 when that run ends on a character that is neither nor NUL.
// Reads no byte at or beyond width.
int countNumericChars(const unsigned char* field, std::size_t width);

}  // namespace brindlemark::spctag

#endif
