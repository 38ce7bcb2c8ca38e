#include "rename/read_ahead.h"

#include <cstring>

#include "platform/path_parts.h"
#include "rename/batch_outcome.h"
#include "rename/reader_pool.h"
#include "rename/tag_file.h"

namespace brindlemark::rename {

namespace {

// The folder part of a dropped path, its final separator included: the
// files of one folder share it byte for byte.
std::size_t folderLength(const std::string& path) {
    return static_cast<std::size_t>(platform::fileNameOf(path.c_str()) - path.c_str());
}

bool sameFolder(const std::string& a, const std::string& b) {
    const std::size_t length = folderLength(a);
    return length == folderLength(b) && std::memcmp(a.data(), b.data(), length) == 0;
}

// Files a window may hold: the lesser bound, and never none.
std::size_t windowCapacity(const ReadAheadBounds& bounds, std::size_t dropSize) {
    std::size_t files = bounds.bytes / sizeof(ReadAheadFile);
    if (bounds.files < files) files = bounds.files;
    if (dropSize < files) files = dropSize;
    return files > 0 ? files : 1;
}

}  // namespace

ReadAhead::ReadAhead(const std::vector<DroppedFile>& drop, DropOrder order, platform::FileSystem& fileSystem,
                     const ReadAheadBounds& bounds, MayOpen mayOpen)
    : drop_(drop),
      order_(order),
      fileSystem_(fileSystem),
      mayOpen_(mayOpen),
      readers_(bounds.readers),
      files_(drop.empty() ? 0 : windowCapacity(bounds, drop.size())) {}

const DroppedFile& ReadAhead::taken(std::size_t index) const {
    return order_ == DropOrder::FirstFirst ? drop_[index] : drop_[drop_.size() - 1 - index];
}

bool ReadAhead::next() {
    size_ = 0;
    if (taken_ >= drop_.size()) return false;
    const std::string& folder = taken(taken_).path;
    while (size_ < files_.size() && taken_ < drop_.size() && sameFolder(folder, taken(taken_).path)) {
        ReadAheadFile& file = files_[size_++];
        file.dropped = &taken(taken_++);
        file.opened = mayOpen_ == nullptr || mayOpen_(*file.dropped);
    }
    readers_.forEach(size_, [this](std::size_t position) { read(files_[position]); });
    return true;
}

void ReadAhead::readAgain(std::size_t position) { read(files_[position]); }

void ReadAhead::read(ReadAheadFile& file) {
    file.kind = spctag::KIND_OPEN_FAILED;
    if (file.opened) file.kind = readTag(fileSystem_, file.dropped->path.c_str(), file.tag, file.identity);
}

}  // namespace brindlemark::rename
