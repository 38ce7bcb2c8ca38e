#ifndef BRINDLEMARK_UI_CONSOLE_JOURNAL_IDENTITY_H
#define BRINDLEMARK_UI_CONSOLE_JOURNAL_IDENTITY_H

// What tells one file from another over time, and when two are one.

#include <string>

namespace brindlemark::console {

struct FileTime {
    long long seconds = 0;
    unsigned nanoseconds = 0;
    bool operator==(const FileTime& other) const {
        return seconds == other.seconds && nanoseconds == other.nanoseconds;
    }
};

// What tells one file from another over time, as far as the file system
// keeps it. A rename changes none of it.
struct FileIdentity {
    unsigned long long device = 0, inode = 0;
    bool timesKnown = false;  // false in format 1 records: device and inode only
    bool birthKnown = false;  // the file system keeps birth times
    FileTime birth, modified;
    unsigned long long size = 0;
};

// True when now is the file that recorded describes. Inode numbers are
// handed to new files once freed, and device numbers change from mount to
// mount (FUSE, USB sticks, loop devices): the device may differ, the inode
// must match. Where a birth time was recorded it must match too, and then
// the file may have been written to or touched since; where none was, the
// size and the modification time must match. A format 1 record knows only
// device and inode, and both must match.
bool isSameFile(const FileIdentity& recorded, const FileIdentity& now);

}  // namespace brindlemark::console

#endif
