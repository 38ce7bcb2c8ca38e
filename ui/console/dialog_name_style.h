#ifndef BRINDLEMARK_UI_CONSOLE_DIALOG_NAME_STYLE_H
#define BRINDLEMARK_UI_CONSOLE_DIALOG_NAME_STYLE_H

#include "rename/name_style.h"

namespace brindlemark::console {

// The dialog's names (every byte from 0x80 up made "_"), noting whether any
// new name lost such bytes, so that the console can say once that -u keeps
// them.
class DialogNameStyle : public rename::NameStyle {
public:
    std::size_t cleanName(char* name, std::size_t length) const override;
    bool highBytesReplaced() const { return highBytesReplaced_; }

private:
    mutable bool highBytesReplaced_ = false;
};

}  // namespace brindlemark::console

#endif
