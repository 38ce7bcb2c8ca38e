#ifndef BRINDLEMARK_TESTS_SUPPORT_TEMP_FOLDER_H
#define BRINDLEMARK_TESTS_SUPPORT_TEMP_FOLDER_H

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "spcbuild/spc_builder.h"

// A fresh folder of its own under the system's temporary folder, removed
// with everything in it when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    // The full path of `name` inside the folder.
    std::string pathOf(const std::string& name) const;
    // Writes bytes to `name` inside the folder and returns its full path
    // (empty when the file could not be written).
    std::string write(const std::string& name, const spcbuild::Bytes& bytes) const;

private:
    std::string path_;
};

// An SPC file whose text tag holds the song title and, when track is not 0,
// whose extended tag holds that track number.
spcbuild::Bytes titledSpc(const std::string& title, std::uint16_t track = 0);

// A test whose files live in a fresh temporary folder, dir, removed
// afterwards with all it holds.
class TempFolderTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(dir.empty()) << "no temporary folder"; }

    TempDir temp;
    const std::string dir = temp.path();
};

#endif
