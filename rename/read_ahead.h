#ifndef BRINDLEMARK_RENAME_READ_AHEAD_H
#define BRINDLEMARK_RENAME_READ_AHEAD_H

#include <cstddef>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/read_only_file.h"
#include "rename/dropped_file.h"
#include "rename/reader_pool.h"
#include "spctag/id666_tag.h"

namespace brindlemark::rename {

// How much of a drop is read ahead at once: a window holds at most this many
// files and this many bytes of their records, so that memory stays flat
// however large the drop.
struct ReadAheadBounds {
    std::size_t files = 1024;
    std::size_t bytes = 4u << 20;
    std::size_t readers = 8;  // files opened and read at the same time
};

// Which end of the drop a pass takes first: the rename batch takes the last
// dropped file first, --show the first.
enum class DropOrder { LastFirst, FirstFirst };

// One file of a window, as read ahead.
struct ReadAheadFile {
    const DroppedFile* dropped = nullptr;
    bool opened = false;  // false: the pass never opens this path
    spctag::FileKind kind = spctag::KIND_OPEN_FAILED;
    platform::FileIdentity identity;  // the file that was read; only when kind is not KIND_OPEN_FAILED
    spctag::ID666Tag tag;
};

// Says whether a pass may open a dropped path at all.
using MayOpen = bool (*)(const DroppedFile& file);

// Walks a drop in windows: consecutive files of one folder in the order the
// pass takes them, bounded by ReadAheadBounds. Each window's tags are read
// by a small pool of threads through the file system's openForReading, each
// file closed again before next() returns; the pass then takes the window's
// files one at a time. The records live in one buffer, allocated once.
class ReadAhead {
public:
    ReadAhead(const std::vector<DroppedFile>& drop, DropOrder order, platform::FileSystem& fileSystem,
              const ReadAheadBounds& bounds = ReadAheadBounds(), MayOpen mayOpen = nullptr);

    // Reads the next window; false once the drop is done.
    bool next();
    // The files of the window, in the order the pass takes them.
    std::size_t size() const { return size_; }
    ReadAheadFile& operator[](std::size_t position) { return files_[position]; }
    const ReadAheadFile& operator[](std::size_t position) const { return files_[position]; }
    // Reads one file of the window again, now (a move of the pass may have
    // changed what its path names).
    void readAgain(std::size_t position);

private:
    const DroppedFile& taken(std::size_t index) const;
    void read(ReadAheadFile& file);

    const std::vector<DroppedFile>& drop_;
    DropOrder order_;
    platform::FileSystem& fileSystem_;
    MayOpen mayOpen_;
    ReaderPool readers_;
    std::size_t taken_ = 0;  // files of the drop handed out so far
    std::size_t size_ = 0;
    std::vector<ReadAheadFile> files_;
};

}  // namespace brindlemark::rename

#endif
