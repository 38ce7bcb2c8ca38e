// One property over every file the tag reader's tests build: loading through
// the path and loading the image in memory give the same kind and the same
// record, and every load leaves a record that keeps its invariants.

#include <gtest/gtest.h>

#include <cstring>

#include "spctag/id666_tag.h"
#include "tests/spctag/tag_test_support.h"

namespace {

class LoadFormsTest : public testing::TestWithParam<NamedFile> {};

TEST_P(LoadFormsTest, PathAndImageAgree) {
    const NamedFile& file = GetParam();
    spcbuild::TempDir dir;
    const int descriptors = openDescriptorCount();
    const LoadedBothWays loaded = loadBothWays(dir, file);
    EXPECT_EQ(openDescriptorCount(), descriptors) << "the path form left a file open";
    ASSERT_EQ(loaded.pathKind, loaded.imageKind);

    if (loaded.pathKind <= 0) {
        ID666Tag untouched;
        fillRecord(untouched, 0xAA);
        EXPECT_TRUE(sameBytes(loaded.byPath, untouched));
        fillRecord(untouched, 0x55);
        EXPECT_TRUE(sameBytes(loaded.byImage, untouched));
        return;
    }
    EXPECT_STREQ(loaded.byPath.path, loaded.path.c_str());
    const char junkPath[4] = {0x55, 0x55, 0x55, 0x55};
    EXPECT_EQ(std::memcmp(loaded.byImage.path, junkPath, sizeof junkPath), 0) << "image form wrote the path";

    // Loads of files other than SPC files keep binaryFormat from before.
    const bool spc = isSpcKind(loaded.pathKind);
    expectSameRecord(loaded.byPath, loaded.byImage, spc);
    expectRecordInvariants(loaded.byPath);
    if (spc) {
        EXPECT_LE(loaded.byPath.binaryFormat, 1);
    }
}

INSTANTIATE_TEST_SUITE_P(EveryTestFile, LoadFormsTest, testing::ValuesIn(allTestFiles()),
                         [](const testing::TestParamInfo<NamedFile>& p) { return p.param.name; });

}  // namespace
