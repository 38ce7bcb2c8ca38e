#include "ui/console/journal/identity.h"

namespace brindlemark::console {

bool isSameFile(const FileIdentity& recorded, const FileIdentity& now) {
    if (recorded.inode != now.inode) return false;
    if (!recorded.timesKnown) return recorded.device == now.device;
    // A birth time is given once, when the inode is: the same inode born at
    // the same time is the same file, written to or touched since or not.
    if (recorded.birthKnown) return now.birthKnown && recorded.birth == now.birth;
    return now.timesKnown && recorded.modified == now.modified && recorded.size == now.size;
}

}  // namespace brindlemark::console
