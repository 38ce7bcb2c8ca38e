#ifndef BRINDLEMARK_UI_CONSOLE_UTF8_TEXT_H
#define BRINDLEMARK_UI_CONSOLE_UTF8_TEXT_H

// The console reads tag texts and names by the one set of UTF-8 rules, the
// text library's.
#include "text/utf8.h"

namespace brindlemark::console {

using text::isAscii;
using text::isValidUtf8;
using text::kReplacementCharacter;
using text::readUtf8;
using text::utf8PrefixLength;
using text::Utf8Step;

}  // namespace brindlemark::console

#endif
