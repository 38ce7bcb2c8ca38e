#include "rename/rename_batch.h"

#include <cstring>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/file_descriptor.h"
#endif

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

// A regular file open for the tag reader's positioned reads.
class TagFile final : public ByteSource {
public:
    TagFile(const TagFile&) = delete;
    TagFile& operator=(const TagFile&) = delete;

#ifdef _WIN32
    // Folders do not open without backup semantics; only disk files count.
    explicit TagFile(const char* path)
        : handle_(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) {
        LARGE_INTEGER length{};
        if (handle_ != INVALID_HANDLE_VALUE &&
            (GetFileType(handle_) != FILE_TYPE_DISK || !GetFileSizeEx(handle_, &length))) {
            CloseHandle(handle_);
            handle_ = INVALID_HANDLE_VALUE;
        }
        if (handle_ != INVALID_HANDLE_VALUE) size_ = static_cast<std::uint64_t>(length.QuadPart);
    }
    ~TagFile() {
        if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    }
    bool isOpen() const { return handle_ != INVALID_HANDLE_VALUE; }

    std::size_t readAt(std::uint64_t offset, unsigned char* out, std::size_t count) const override {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD got = 0;
        return ReadFile(handle_, out, static_cast<DWORD>(count), &got, &at) ? got : 0;
    }
#else
    // Without O_NONBLOCK a FIFO would block until a writer comes; a folder
    // opens but is no file.
    explicit TagFile(const char* path) : fd_(::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY)) {
        struct stat info;
        if (fd_.valid() && (::fstat(fd_.get(), &info) != 0 || !S_ISREG(info.st_mode))) fd_.reset();
        if (fd_.valid()) size_ = static_cast<std::uint64_t>(info.st_size);
    }
    bool isOpen() const { return fd_.valid(); }

    std::size_t readAt(std::uint64_t offset, unsigned char* out, std::size_t count) const override {
        const ssize_t got = ::pread(fd_.get(), out, count, static_cast<off_t>(offset));
        return got > 0 ? static_cast<std::size_t>(got) : 0;
    }
#endif

    std::uint64_t size() const override { return size_; }

private:
#ifdef _WIN32
    HANDLE handle_;
#else
    brindlemark::platform::FileDescriptor fd_;
#endif
    std::uint64_t size_ = 0;
};

}  // namespace

FileKind loadTagFromPath(ID666Tag& tag, const char* path) {
    const TagFile file(path);
    return file.isOpen() ? tag.load(file, path) : KIND_OPEN_FAILED;
}

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

        const FileKind kind = pathCut ? KIND_OPEN_FAILED : loadTagFromPath(tag, droppedPath);
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
