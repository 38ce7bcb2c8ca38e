#ifndef BRINDLEMARK_PLATFORM_READ_ONLY_FILE_H
#define BRINDLEMARK_PLATFORM_READ_ONLY_FILE_H

#include <cstddef>
#include <cstdint>

#include "platform/file_descriptor.h"
#include "platform/windows_handle.h"

namespace brindlemark::platform {

// Which file an open file is, whatever name it was opened by: its device (or
// volume) and its inode (or file index). Two paths that open the same file
// give equal identities.
struct FileIdentity {
    std::uint64_t device = 0, inode = 0;
    bool operator==(const FileIdentity& other) const { return device == other.device && inode == other.inode; }
    // An order, so that a set's files can be sorted and looked up by identity.
    bool operator<(const FileIdentity& other) const {
        return device != other.device ? device < other.device : inode < other.inode;
    }
};

// A regular file open for reading, closed when the object goes; move-only.
// Reads are positioned (pread, or ReadFile at an offset), so a reader asks
// for exactly the ranges it needs and never seeks.
class ReadOnlyFile {
public:
    ReadOnlyFile() = default;
    ReadOnlyFile(ReadOnlyFile&& other) noexcept = default;
    ReadOnlyFile& operator=(ReadOnlyFile&& other) noexcept = default;
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;
    ~ReadOnlyFile() = default;

    // Opens path when it names a regular file (symlinks followed); a folder,
    // a FIFO, a device or a file that cannot be opened gives a file that is
    // not open. Opening never blocks and never makes a terminal the
    // process's own.
    static ReadOnlyFile open(const char* path);

    bool isOpen() const { return file_.valid(); }
    // The size the file had when it was opened.
    std::uint64_t size() const { return size_; }
    // The file the open file is, as it was when it was opened.
    FileIdentity identity() const { return identity_; }
    // Stores up to count bytes from offset at out; returns how many it
    // stored (fewer at the end of the file or when the read fails).
    std::size_t readAt(std::uint64_t offset, unsigned char* out, std::size_t count) const;

private:
#ifdef _WIN32
    using OwnedFile = WindowsHandle;
#else
    using OwnedFile = FileDescriptor;
#endif
    OwnedFile file_;  // not valid when not open
    std::uint64_t size_ = 0;
    FileIdentity identity_;
};

}  // namespace brindlemark::platform

#endif
