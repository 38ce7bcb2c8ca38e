#include "ui/shell_drop.h"

#include <utility>

#include "platform/dropped_path.h"

namespace brindlemark::ui {

platform::SystemError readShellDrop(HDROP drop, std::vector<rename::DroppedFile>& files) {
    std::vector<platform::DroppedPath> paths;
    const platform::SystemError error = platform::readDroppedPaths(drop, paths);
    files.reserve(files.size() + paths.size());
    for (platform::DroppedPath& path : paths) files.push_back({std::move(path.path), path.altered});
    return error;
}

}  // namespace brindlemark::ui
