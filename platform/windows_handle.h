#ifndef BRINDLEMARK_PLATFORM_WINDOWS_HANDLE_H
#define BRINDLEMARK_PLATFORM_WINDOWS_HANDLE_H

#ifdef _WIN32
#include <utility>

namespace brindlemark::platform {

// Closes one Windows handle (CloseHandle), keeping the thread's last error,
// so that a failure can be reported after the handle it happened on is gone.
void closeWindowsHandle(void* handle);

// Owns one Windows kernel handle (a HANDLE, held as void* so that includers
// need not see <windows.h>) and closes it when it goes; move-only. Null and
// INVALID_HANDLE_VALUE both mean "none".
class WindowsHandle {
public:
    WindowsHandle() = default;
    explicit WindowsHandle(void* handle) : handle_(isHandle(handle) ? handle : nullptr) {}
    WindowsHandle(WindowsHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    WindowsHandle& operator=(WindowsHandle&& other) noexcept {
        if (this != &other) reset(std::exchange(other.handle_, nullptr));
        return *this;
    }
    WindowsHandle(const WindowsHandle&) = delete;
    WindowsHandle& operator=(const WindowsHandle&) = delete;
    ~WindowsHandle() { reset(); }

    void* get() const { return handle_; }
    bool valid() const { return handle_ != nullptr; }
    // Closes what it owns and owns handle instead.
    void reset(void* handle = nullptr) {
        if (handle_ != nullptr) closeWindowsHandle(handle_);
        handle_ = isHandle(handle) ? handle : nullptr;
    }

private:
    // INVALID_HANDLE_VALUE is (HANDLE)-1.
    static bool isHandle(void* handle) { return handle != nullptr && handle != reinterpret_cast<void*>(-1); }

    void* handle_ = nullptr;
};

}  // namespace brindlemark::platform

#endif
#endif
