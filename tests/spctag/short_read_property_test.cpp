// One property over every file the tag reader's tests build, cut at a few
// random points as a file that shrank after it was measured: the record read
// through the file is the record of its image with zeros from the cut on,
// the reads stay inside the file and within their bounds, and every load
// leaves a record that keeps its invariants.

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <random>

#include "spctag/id666_tag.h"
#include "spctag/spc_layout.h"
#include "tests/spctag/tag_test_support.h"

using namespace brindlemark::spctag;

namespace {

class ShortReadTest : public testing::TestWithParam<NamedFile> {};

// Where a file is cut: not at all, then at random points, the same ones on
// every run.
std::vector<std::size_t> cutPoints(const NamedFile& file) {
    const std::size_t size = file.bytes().size();
    std::vector<std::size_t> cuts{size};
    std::mt19937 random(static_cast<std::mt19937::result_type>(std::hash<std::string>{}(file.name)));
    for (int i = 0; i < 4 && size > 0; ++i) cuts.push_back(random() % size);
    return cuts;
}

TEST_P(ShortReadTest, MissingBytesReadAsZeros) {
    const NamedFile& file = GetParam();
    for (const std::size_t cut : cutPoints(file)) {
        SCOPED_TRACE(cut);
        TestSource source(file.bytes());
        source.endsAt = cut;
        const spcbuild::Bytes expected = zeroedFrom(file.bytes(), cut);
        ID666Tag bySource, byImage;
        fillRecord(bySource, 0x55);
        fillRecord(byImage, 0x55);
        const FileKind kind = bySource.load(source, nullptr);
        ASSERT_EQ(kind, byImage.load(expected.data(), static_cast<std::uint32_t>(expected.size())));
        EXPECT_TRUE(sameBytes(bySource, byImage));

        EXPECT_LE(source.reads.size(), isSpcKind(kind) ? 2u : 5u);
        for (const TestSource::Read& read : source.reads) {
            EXPECT_LE(read.offset + read.count, file.bytes().size()) << "read past the end";
            EXPECT_LE(read.count, 8 + spclayout::XID6_READ_LIMIT);
        }
        if (kind > 0) {
            expectRecordInvariants(bySource);
        }
        if (isSpcKind(kind)) {
            EXPECT_LE(bySource.binaryFormat, 1);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(EveryTestFile, ShortReadTest, testing::ValuesIn(allTestFiles()),
                         [](const testing::TestParamInfo<NamedFile>& p) { return p.param.name; });

}  // namespace
