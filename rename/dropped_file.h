#ifndef BRINDLEMARK_RENAME_DROPPED_FILE_H
#define BRINDLEMARK_RENAME_DROPPED_FILE_H

#include <string>

namespace brindlemark::rename {

// One file of a drop.
struct DroppedFile {
    std::string path;      // the full path, as dropped
    bool altered = false;  // the path is not exactly the name that was dropped: never opened or moved
};

}  // namespace brindlemark::rename

#endif
