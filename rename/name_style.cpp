#include "rename/name_style.h"

#include <cstring>

namespace brindlemark::rename {

void cleanFileName(char* name) {
    for (; *name != '\0'; ++name) {
        if (static_cast<signed char>(*name) < 32 || isForbiddenNameCharacter(static_cast<unsigned char>(*name))) {
            *name = '_';
        }
    }
}

}  // namespace brindlemark::rename
