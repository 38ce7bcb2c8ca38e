#include "rename/rename_batch.h"

#include <cstring>

#include "platform/dropped_path.h"
#include "rename/device_name.h"
#include "rename/name_template.h"
#include "spctag/id666_tag.h"
#include "ui/resource.h"

namespace {

// What the drop gives per path: at most 254 characters and a NUL.
constexpr UINT DROPPED_PATH_SIZE = 255;
constexpr UINT DROP_QUERY_COUNT = 0xFFFFFFFFu;
// The longest new path (folder, name and ".spc") that is used.
constexpr std::size_t NEW_PATH_MAX_LENGTH = 255;
constexpr char SPC_EXTENSION[] = ".spc";
// Folder, the longest stem, ".spc" and a NUL.
constexpr std::size_t NEW_PATH_SIZE =
    (DROPPED_PATH_SIZE - 1) + NAME_STEM_MAX_LENGTH + (sizeof SPC_EXTENSION - 1) + 1;
// Old name, " -> " and a new name of a used path, and a NUL.
constexpr std::size_t LOG_LINE_SIZE = (DROPPED_PATH_SIZE - 1) + 4 + NEW_PATH_MAX_LENGTH + 1;

void addLogLine(HWND dialog, const char* line) {
    SendDlgItemMessageA(dialog, IDC_LOG, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line));
}

}  // namespace

void cleanFileName(char* name) {
    for (; *name != '\0'; ++name) {
        if (static_cast<signed char>(*name) < 32 || std::strchr("\\/:*?\"<>|", *name) != nullptr) {
            *name = '_';
        }
    }
}

void renameDroppedFiles(HWND dialog, HDROP drop) {
    ID666Tag tag;

    SendDlgItemMessageA(dialog, IDC_LOG, LB_RESETCONTENT, 0, 0);

    char nameTemplate[NAME_TEMPLATE_MAX_LENGTH + 1] = "";
    GetDlgItemTextA(dialog, IDC_FORMAT, nameTemplate, static_cast<int>(sizeof nameTemplate));

    const UINT count = DragQueryFileA(drop, DROP_QUERY_COUNT, nullptr, 0);
    for (UINT index = count; index-- > 0;) {
        char droppedPath[DROPPED_PATH_SIZE] = "";
        DragQueryFileA(drop, index, droppedPath, DROPPED_PATH_SIZE);
        droppedPath[DROPPED_PATH_SIZE - 1] = '\0';
        // A longer path arrives cut, and a name outside the code page
        // arrives altered; either may name another file of the folder: such
        // a file is never opened, let alone renamed.
        const bool pathCut = DragQueryFileA(drop, index, nullptr, 0) >= DROPPED_PATH_SIZE ||
                             droppedPathAltered(drop, index, droppedPath);

        char newPath[NEW_PATH_SIZE];
        copyToEnd(newPath, droppedPath);
        char* newName = afterLast(newPath, PATH_SEPARATOR);

        char line[LOG_LINE_SIZE];
        char* lineEnd = copyToEnd(line, afterLast(droppedPath, PATH_SEPARATOR));

        const FileKind kind = pathCut ? KIND_OPEN_FAILED : tag.load(droppedPath, 0);
        if (!isSpcKind(kind)) {
            copyToEnd(lineEnd, " is not an SPC");
            addLogLine(dialog, line);
            continue;
        }

        const int status = expandNameTemplate(nameTemplate, tag, droppedPath, newName);
        if (status == noTagItem) {
            addLogLine(dialog, "Rename format is invalid");
            return;
        }
        if (status == itemMissing) {
            copyToEnd(lineEnd, " - ID666 tag was missing some items");
        } else if (status == (noTagItem | itemMissing)) {
            copyToEnd(lineEnd, " - ID666 tag did not contain any information");
        } else {
            copyToEnd(newName + std::strlen(newName), SPC_EXTENSION);
            if (std::strlen(newPath) > NEW_PATH_MAX_LENGTH) {
                copyToEnd(lineEnd, " path and filename is more than 255 characters");
            } else {
                cleanFileName(newName);
                // A device name is refused as the file system refuses a taken one.
                const bool moved = !isDeviceName(newName) && MoveFileA(droppedPath, newPath);
                lineEnd = copyToEnd(lineEnd, moved ? " -> " : " != ");
                copyToEnd(lineEnd, afterLast(newPath, PATH_SEPARATOR));
            }
        }
        addLogLine(dialog, line);
    }
}
