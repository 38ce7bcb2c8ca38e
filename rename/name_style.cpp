#include "rename/name_style.h"

#include <cstring>

namespace brindlemark::rename {

void cleanFileName(char* name) {
    for (; *name != '\0'; ++name) {
        if (static_cast<signed char>(*name) < 32 || std::strchr("\\/:*?\"<>|", *name) != nullptr) {
            *name = '_';
        }
    }
}

}  // namespace brindlemark::rename
