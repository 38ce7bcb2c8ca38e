#ifndef BRINDLEMARK_UI_CONSOLE_TEXT_LIBRARY_OWNERS_H
#define BRINDLEMARK_UI_CONSOLE_TEXT_LIBRARY_OWNERS_H

#include <iconv.h>

struct uchardet;

namespace brindlemark::console {

// Owners of what the text libraries hand out, each given back when its
// owner goes; move-only, as platform::FileDescriptor.

// One iconv conversion, from one encoding to another.
class IconvConverter {
public:
    // Opens the conversion; valid() tells whether iconv has it.
    IconvConverter(const char* to, const char* from);
    IconvConverter(IconvConverter&& other) noexcept;
    IconvConverter& operator=(IconvConverter&& other) noexcept;
    IconvConverter(const IconvConverter&) = delete;
    IconvConverter& operator=(const IconvConverter&) = delete;
    ~IconvConverter();

    bool valid() const;
    iconv_t get() const { return converter_; }

private:
    iconv_t converter_;
};

// One uchardet detector.
class CharsetDetector {
public:
    // Makes a detector; get() is null when none could be made.
    CharsetDetector();
    CharsetDetector(CharsetDetector&& other) noexcept;
    CharsetDetector& operator=(CharsetDetector&& other) noexcept;
    CharsetDetector(const CharsetDetector&) = delete;
    CharsetDetector& operator=(const CharsetDetector&) = delete;
    ~CharsetDetector();

    uchardet* get() const { return detector_; }

private:
    uchardet* detector_;
};

}  // namespace brindlemark::console

#endif
