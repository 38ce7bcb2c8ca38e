#ifndef BRINDLEMARK_TESTS_SPCTAG_TAG_TEST_SUPPORT_H
#define BRINDLEMARK_TESTS_SPCTAG_TAG_TEST_SUPPORT_H

// Shared by the tag reader's tests: the files each test table builds (so that
// properties of the loader can be checked on every one of them), checks over
// whole records, and a file served through positioned reads.

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "spctag/byte_source.h"
#include "spctag/id666_tag.h"
#include "spcbuild/spc_builder.h"

// The bytes of a, then those of b.
inline spcbuild::Bytes operator+(spcbuild::Bytes a, const spcbuild::Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// A file's bytes are shared between copies: test parameters get copied a
// lot, and every test process builds every table.
class NamedFile {
public:
    NamedFile(std::string fileName, spcbuild::Bytes fileBytes)
        : name(std::move(fileName)), shared_(std::make_shared<const spcbuild::Bytes>(std::move(fileBytes))) {}

    std::string name;  // letters, digits and '_' only
    const spcbuild::Bytes& bytes() const { return *shared_; }

private:
    std::shared_ptr<const spcbuild::Bytes> shared_;
};

inline void PrintTo(const NamedFile& file, std::ostream* os) {
    *os << file.name << " (" << file.bytes().size() << " bytes)";
}

// The files built by each group of tests.
std::vector<NamedFile> baseTagFiles();
std::vector<NamedFile> extendedTagFiles();
std::vector<NamedFile> identificationFiles();
std::vector<NamedFile> loaderFiles();
std::vector<NamedFile> allTestFiles();

// Fills every byte of the record, padding included, with a pattern, so that a
// field a load forgets to write shows up as a difference or a missing NUL.
void fillRecord(ID666Tag& tag, unsigned char pattern);

// True when the record's bytes are exactly those of the snapshot.
bool sameBytes(const ID666Tag& a, const ID666Tag& b);

// Compares every field but `path` (text up to its NUL); `binaryFormat` only
// when asked, since loads of files other than SPC files keep it.
void expectSameRecord(const ID666Tag& a, const ID666Tag& b, bool withBinaryFormat);

// What every load of a recognised file guarantees: NUL-terminated text
// inside each array, date and raw date text not both set, and every number
// within its bounds.
void expectRecordInvariants(const ID666Tag& tag);

// A file served from memory through positioned reads, as the operating
// system would serve an open file: every read is recorded, and reads can be
// made to fail or to stop where the file ends now. Before a read gives its
// bytes it writes junk over all of the caller's buffer, so that bytes a read
// did not give show up as junk unless the reader zeroes them.
class TestSource final : public ByteSource {
public:
    struct Read {
        std::uint64_t offset;
        std::size_t count;
        bool operator==(const Read& other) const { return offset == other.offset && count == other.count; }
    };

    explicit TestSource(spcbuild::Bytes image)
        : measuredSize(image.size()), endsAt(image.size()), image_(std::move(image)) {}

    std::uint64_t size() const override { return measuredSize; }
    std::size_t readAt(std::uint64_t offset, unsigned char* out, std::size_t count) const override;

    // The size the file had when it was opened, what size() answers.
    std::uint64_t measuredSize;
    // Where the file ends now: bytes at or past it are not given (a file
    // that shrank since it was measured, or one whose size was overstated).
    std::uint64_t endsAt;
    // Reads from this one on (counted from 0) fail and give nothing; -1: none.
    int failFrom = -1;
    mutable std::vector<Read> reads;

private:
    spcbuild::Bytes image_;
};

inline void PrintTo(const TestSource::Read& r, std::ostream* os) {
    *os << "{0x" << std::hex << r.offset << ", " << std::dec << r.count << "}";
}

// The image with every byte from `from` on zeroed: what a reader must make
// of a file that gives no bytes from there on.
spcbuild::Bytes zeroedFrom(spcbuild::Bytes image, std::size_t from);

#endif
