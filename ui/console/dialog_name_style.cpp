#include "ui/console/dialog_name_style.h"

namespace brindlemark::console {

std::size_t DialogNameStyle::cleanName(char* name, std::size_t length) const {
    for (std::size_t at = 0; !highBytesReplaced_ && at < length; ++at) {
        if (static_cast<unsigned char>(name[at]) >= 0x80) highBytesReplaced_ = true;
    }
    return NameStyle::cleanName(name, length);
}

}  // namespace brindlemark::console
