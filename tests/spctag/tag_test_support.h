#ifndef BRINDLEMARK_TESTS_SPCTAG_TAG_TEST_SUPPORT_H
#define BRINDLEMARK_TESTS_SPCTAG_TAG_TEST_SUPPORT_H

// Shared by the tag reader's tests: the files each test table builds (so that
// the path and image forms of the loader can be checked against each other on
// every one of them), and checks over whole records.

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <memory>
#include <string>
#include <vector>

#include "spctag/id666_tag.h"
#include "tests/support/spc_builder.h"

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

// Loads the file through a path and through its image, the image held in a
// heap buffer of exactly its size so that a read past it is caught.
struct LoadedBothWays {
    FileKind pathKind, imageKind;
    ID666Tag byPath, byImage;
    std::string path;
};
LoadedBothWays loadBothWays(const spcbuild::TempDir& dir, const NamedFile& file);

// Paths that the path form must refuse as KIND_OPEN_FAILED: a missing file
// and a folder everywhere; on POSIX also a FIFO, a device and a socket.
struct SpecialPath {
    std::string name, path;
};
std::vector<SpecialPath> unopenablePaths(const spcbuild::TempDir& dir);

void releaseFifoReader(const std::string& path);

// Runs fn on a thread of its own and waits a few seconds for it. If it has
// not returned by then, the test fails, and a writer opened and closed on
// `path` releases a reader blocked on a FIFO there, so the test still ends.
template <class Fn>
auto withoutHanging(const std::string& path, Fn fn) -> decltype(fn()) {
    auto result = std::async(std::launch::async, fn);
    if (result.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
        ADD_FAILURE() << "blocked on " << path;
        releaseFifoReader(path);
    }
    return result.get();
}

// Number of file descriptors the process holds open, or -1 where that
// cannot be counted.
int openDescriptorCount();

#endif
