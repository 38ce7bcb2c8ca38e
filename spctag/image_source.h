#ifndef BRINDLEMARK_SPCTAG_IMAGE_SOURCE_H
#define BRINDLEMARK_SPCTAG_IMAGE_SOURCE_H

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "spctag/byte_source.h"

// A whole file already in memory, read by copies. The image must outlive
// the source; it is only read.
class ImageSource final : public ByteSource {
public:
    ImageSource(const void* image, std::uint32_t size)
        : image_(static_cast<const unsigned char*>(image)), size_(size) {}

    std::uint64_t size() const override { return size_; }

    std::size_t readAt(std::uint64_t offset, unsigned char* out, std::size_t count) const override {
        if (offset >= size_) return 0;
        const std::uint64_t left = size_ - offset;
        const std::size_t n = count < left ? count : static_cast<std::size_t>(left);
        std::memcpy(out, image_ + offset, n);
        return n;
    }

private:
    const unsigned char* image_;
    std::uint32_t size_;
};

#endif
