#ifndef BRINDLEMARK_SPCTAG_BYTE_SOURCE_H
#define BRINDLEMARK_SPCTAG_BYTE_SOURCE_H

#include <cstddef>
#include <cstdint>

namespace brindlemark::spctag {

// What the tag reader needs of a file: its size, and the bytes at an offset.
// The reader asks only for the few ranges it parses (the header, the
// extended-tag marker and block, a cartridge's internal header), each into a
// fixed buffer of its own; an open file answers with positioned reads, an
// image in memory with copies.
class ByteSource {
public:
    // The file's size in bytes.
    virtual std::uint64_t size() const = 0;
    // Stores up to count bytes from offset at out; returns how many it
    // stored (fewer at the end of the file or when the read fails).
    virtual std::size_t readAt(std::uint64_t offset, unsigned char* out, std::size_t count) const = 0;

protected:
    ByteSource() = default;
    ByteSource(const ByteSource&) = default;
    ByteSource& operator=(const ByteSource&) = default;
    ~ByteSource() = default;
};

}  // namespace brindlemark::spctag

#endif
