#ifndef BRINDLEMARK_PLATFORM_FILE_DESCRIPTOR_H
#define BRINDLEMARK_PLATFORM_FILE_DESCRIPTOR_H

#ifndef _WIN32
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace brindlemark::platform {

// Owns one POSIX file descriptor and closes it when it goes; move-only.
// Closing keeps errno, so that a failure can be reported after the
// descriptor it happened on is gone.
class FileDescriptor {
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept {
        if (this != &other) reset(std::exchange(other.fd_, -1));
        return *this;
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() { reset(); }

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    // Gives up ownership without closing.
    int release() { return std::exchange(fd_, -1); }
    // Closes what it owns and owns fd instead.
    void reset(int fd = -1) {
        if (fd_ >= 0) {
            const int cause = errno;
            ::close(fd_);
            errno = cause;
        }
        fd_ = fd;
    }

private:
    int fd_ = -1;
};

}  // namespace brindlemark::platform

#endif
#endif
