#include "rename/device_name.h"

#include <cstddef>
#include <cstring>

namespace brindlemark::rename {

namespace {

char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool stemIs(const char* stem, std::size_t length, const char* device) {
    if (std::strlen(device) != length) return false;
    for (std::size_t i = 0; i < length; ++i) {
        if (upper(stem[i]) != device[i]) return false;
    }
    return true;
}

}  // namespace

bool isDeviceName(const char* fileName) {
    const char* dot = std::strchr(fileName, '.');
    std::size_t length = dot == nullptr ? std::strlen(fileName) : static_cast<std::size_t>(dot - fileName);
    // Win32 reads the stem without the spaces, dots and colon that end it:
    // "aux:", "COM1 :" and "aux:.spc" reach the device as "aux" and "COM1"
    // do.
    while (length > 0 && (fileName[length - 1] == ' ' || fileName[length - 1] == '.' || fileName[length - 1] == ':')) {
        --length;
    }

    static const char* const NAMED[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    for (const char* device : NAMED) {
        if (stemIs(fileName, length, device)) return true;
    }
    if (length == 4 && fileName[3] >= '1' && fileName[3] <= '9') {
        return stemIs(fileName, 3, "COM") || stemIs(fileName, 3, "LPT");
    }
    return false;
}

}  // namespace brindlemark::rename
