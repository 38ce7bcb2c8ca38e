#ifndef BRINDLEMARK_TESTS_SUPPORT_TEMP_FOLDER_H
#define BRINDLEMARK_TESTS_SUPPORT_TEMP_FOLDER_H

#include <gtest/gtest.h>

#include <string>

#include "tests/support/spc_builder.h"

// A test whose files live in a fresh temporary folder, dir, removed
// afterwards with all it holds.
class TempFolderTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(dir.empty()) << "no temporary folder"; }

    spcbuild::TempDir temp;
    const std::string dir = temp.path();
};

#endif
