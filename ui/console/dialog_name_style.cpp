#include "ui/console/dialog_name_style.h"

namespace brindlemark::console {

void DialogNameStyle::cleanName(char* name) const {
    for (const char* at = name; !highBytesReplaced_ && *at != '\0'; ++at) {
        if (static_cast<unsigned char>(*at) >= 0x80) highBytesReplaced_ = true;
    }
    rename::cleanFileName(name);
}

}  // namespace brindlemark::console
