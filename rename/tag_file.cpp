#include "rename/tag_file.h"

#include <cstring>
#include <vector>

namespace brindlemark::rename {

FileKind loadTag(ID666Tag& tag, const platform::ReadOnlyFile& file, const char* path) {
    // Interim: the whole image, read at once.
    constexpr std::uint64_t kMostRead = 64u << 20;
    const std::uint64_t size = file.size() < kMostRead ? file.size() : kMostRead;
    std::vector<unsigned char> image(static_cast<std::size_t>(size));
    const std::size_t got = file.readAt(0, image.data(), image.size());
    if (got == 0) return KIND_UNKNOWN;
    const FileKind kind = tag.load(image.data(), static_cast<std::uint32_t>(got));
    if (kind > KIND_OPEN_FAILED) {
        std::strncpy(tag.path, path, sizeof tag.path - 1);
        tag.path[sizeof tag.path - 1] = '\0';
    }
    return kind;
}

}  // namespace brindlemark::rename
