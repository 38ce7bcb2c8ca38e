#include "platform/read_only_file.h"

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#endif

#include <utility>

namespace brindlemark::platform {

namespace {

// What of count bytes from offset lies within a file of the given size: a
// read never asks past the end it knows of, which would cost one more
// system call only to learn that nothing is there.
std::size_t withinSize(std::uint64_t size, std::uint64_t offset, std::size_t count) {
    if (offset >= size) return 0;
    return size - offset < count ? static_cast<std::size_t>(size - offset) : count;
}

}  // namespace

#ifdef _WIN32

ReadOnlyFile ReadOnlyFile::open(const char* path) {
    ReadOnlyFile file;
    WindowsHandle handle(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle.valid()) return file;
    LARGE_INTEGER size;
    // Only a file on disk: not a folder, a pipe or a device.
    if (GetFileType(handle.get()) != FILE_TYPE_DISK || !GetFileSizeEx(handle.get(), &size)) return file;
    file.file_ = std::move(handle);
    file.size_ = static_cast<std::uint64_t>(size.QuadPart);
    BY_HANDLE_FILE_INFORMATION facts;
    if (GetFileInformationByHandle(file.file_.get(), &facts)) {
        file.identity_.device = facts.dwVolumeSerialNumber;
        file.identity_.inode = (static_cast<std::uint64_t>(facts.nFileIndexHigh) << 32) | facts.nFileIndexLow;
    }
    return file;
}

std::size_t ReadOnlyFile::readAt(std::uint64_t offset, unsigned char* out, std::size_t count) const {
    count = withinSize(size_, offset, count);
    std::size_t stored = 0;
    while (file_.valid() && stored < count) {
        OVERLAPPED at = {};
        const std::uint64_t position = offset + stored;
        at.Offset = static_cast<DWORD>(position & 0xFFFFFFFFu);
        at.OffsetHigh = static_cast<DWORD>(position >> 32);
        const std::size_t left = count - stored;
        const DWORD wanted = left > 0x40000000u ? 0x40000000u : static_cast<DWORD>(left);
        DWORD got = 0;
        if (!ReadFile(file_.get(), out + stored, wanted, &got, &at) || got == 0) break;
        stored += got;
    }
    return stored;
}

#else

ReadOnlyFile ReadOnlyFile::open(const char* path) {
    ReadOnlyFile file;
    // O_NONBLOCK: a FIFO would block a plain open until a writer comes.
    FileDescriptor fd(::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (!fd.valid()) return file;
    struct stat info;
    if (::fstat(fd.get(), &info) != 0) return file;
    if (!S_ISREG(info.st_mode)) {
        errno = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
        return file;
    }
    file.file_ = std::move(fd);
    file.size_ = static_cast<std::uint64_t>(info.st_size);
    file.identity_.device = static_cast<std::uint64_t>(info.st_dev);
    file.identity_.inode = static_cast<std::uint64_t>(info.st_ino);
    return file;
}

std::size_t ReadOnlyFile::readAt(std::uint64_t offset, unsigned char* out, std::size_t count) const {
    count = withinSize(size_, offset, count);
    std::size_t stored = 0;
    while (file_.valid() && stored < count) {
        const std::uint64_t position = offset + stored;
        if (position > static_cast<std::uint64_t>(LLONG_MAX)) break;
        const ssize_t got = ::pread(file_.get(), out + stored, count - stored, static_cast<off_t>(position));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        stored += static_cast<std::size_t>(got);
    }
    return stored;
}

#endif

}  // namespace brindlemark::platform
