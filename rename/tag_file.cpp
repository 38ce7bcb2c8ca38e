#include "rename/tag_file.h"

#include "spctag/byte_source.h"

namespace brindlemark::rename {

using spctag::ID666Tag;
using spctag::FileKind;

namespace {

// The open file as the tag reader reads it: positioned reads of the ranges
// it parses.
class FileBytes final : public spctag::ByteSource {
public:
    explicit FileBytes(const platform::ReadOnlyFile& file) : file_(file) {}
    std::uint64_t size() const override { return file_.size(); }
    std::size_t readAt(std::uint64_t offset, unsigned char* out, std::size_t count) const override {
        return file_.readAt(offset, out, count);
    }

private:
    const platform::ReadOnlyFile& file_;
};

}  // namespace

FileKind loadTag(ID666Tag& tag, const platform::ReadOnlyFile& file, const char* path) {
    return tag.load(FileBytes(file), path);
}

FileKind readTag(platform::FileSystem& fileSystem, const char* path, ID666Tag& tag) {
    platform::FileIdentity identity;
    return readTag(fileSystem, path, tag, identity);
}

FileKind readTag(platform::FileSystem& fileSystem, const char* path, ID666Tag& tag, platform::FileIdentity& identity) {
    const platform::ReadOnlyFile file = fileSystem.openForReading(path);
    if (!file.isOpen()) return spctag::KIND_OPEN_FAILED;
    identity = file.identity();
    return loadTag(tag, file, path);
}

}  // namespace brindlemark::rename
