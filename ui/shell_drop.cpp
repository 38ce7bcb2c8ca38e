#include "ui/shell_drop.h"

#include "platform/dropped_path.h"

namespace {

constexpr UINT kDropQueryCount = 0xFFFFFFFFu;

}  // namespace

std::vector<brindlemark::rename::DroppedFile> readShellDrop(HDROP drop) {
    std::vector<brindlemark::rename::DroppedFile> files;
    const UINT count = DragQueryFileA(drop, kDropQueryCount, nullptr, 0);
    files.resize(count);
    for (UINT index = 0; index < count; ++index) {
        brindlemark::rename::DroppedFile& file = files[index];
        // The whole path: the batch itself refuses one longer than it takes.
        const UINT length = DragQueryFileA(drop, index, nullptr, 0);
        file.path.assign(static_cast<std::size_t>(length) + 1, '\0');
        const UINT stored = DragQueryFileA(drop, index, &file.path[0], length + 1);
        file.path.resize(stored);
        file.altered = brindlemark::platform::droppedPathAltered(drop, index, file.path.c_str());
    }
    return files;
}
