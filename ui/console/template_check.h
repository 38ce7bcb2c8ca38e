#ifndef BRINDLEMARK_UI_CONSOLE_TEMPLATE_CHECK_H
#define BRINDLEMARK_UI_CONSOLE_TEMPLATE_CHECK_H

#include <string>

#include "rename/batch_outcome.h"

namespace brindlemark::console {

// What the console says of a rename template, in its own language (codes,
// widths, braces): the one place its wording is composed.

// Why the console cannot mean the template, for a usage error: an unknown
// code (%Q) or a misplaced brace within the characters that count. Empty
// when it can mean it.
std::string templateFault(const std::string& nameTemplate);

// On standard error, for a template longer than the characters that count:
// which of them do.
void warnOfCutTemplate(const std::string& nameTemplate);

// On standard error, for the outcome that ends a batch because the template
// took nothing from a file's tag: which file that was.
void explainInvalidTemplate(const rename::FileOutcome& outcome);

}  // namespace brindlemark::console

#endif
