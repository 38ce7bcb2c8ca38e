#ifndef BRINDLEMARK_PLATFORM_SYSTEM_ERROR_H
#define BRINDLEMARK_PLATFORM_SYSTEM_ERROR_H

namespace brindlemark::platform {

// The one way the platform and journal layers report a failure: which step
// failed and the system's own code for why (errno on POSIX, GetLastError on
// Windows). A default-made value, with code 0, is success. Modules below the
// user interface never print; the console and the dialog turn a SystemError
// into words at their edge.
struct SystemError {
    // The step that failed, in a few words of its own ("open", "rename",
    // "write", "fsync", "close", "lock", ...); a static string, never owned.
    const char* step = nullptr;
    int code = 0;

    constexpr SystemError() = default;
    constexpr SystemError(const char* failedStep, int systemCode) : step(failedStep), code(systemCode) {}

    constexpr bool failed() const { return code != 0; }
    constexpr explicit operator bool() const { return failed(); }
};

}  // namespace brindlemark::platform

#endif
