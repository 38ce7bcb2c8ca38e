#include "ui/console/text_library_owners.h"

#include <uchardet/uchardet.h>

#include <utility>

namespace brindlemark::console {

namespace {

// What iconv_open gives when it has no such conversion.
const iconv_t ICONV_NO_CONVERTER = reinterpret_cast<iconv_t>(-1);

}  // namespace

IconvConverter::IconvConverter(const char* to, const char* from) : converter_(iconv_open(to, from)) {}

IconvConverter::IconvConverter(IconvConverter&& other) noexcept
    : converter_(std::exchange(other.converter_, ICONV_NO_CONVERTER)) {}

IconvConverter& IconvConverter::operator=(IconvConverter&& other) noexcept {
    if (this != &other) {
        if (valid()) iconv_close(converter_);
        converter_ = std::exchange(other.converter_, ICONV_NO_CONVERTER);
    }
    return *this;
}

IconvConverter::~IconvConverter() {
    if (valid()) iconv_close(converter_);
}

bool IconvConverter::valid() const { return converter_ != ICONV_NO_CONVERTER; }

CharsetDetector::CharsetDetector() : detector_(uchardet_new()) {}

CharsetDetector::CharsetDetector(CharsetDetector&& other) noexcept : detector_(std::exchange(other.detector_, nullptr)) {}

CharsetDetector& CharsetDetector::operator=(CharsetDetector&& other) noexcept {
    if (this != &other) {
        if (detector_ != nullptr) uchardet_delete(detector_);
        detector_ = std::exchange(other.detector_, nullptr);
    }
    return *this;
}

CharsetDetector::~CharsetDetector() {
    if (detector_ != nullptr) uchardet_delete(detector_);
}

}  // namespace brindlemark::console
