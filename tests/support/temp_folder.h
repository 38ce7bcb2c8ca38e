#ifndef BRINDLEMARK_TESTS_SUPPORT_TEMP_FOLDER_H
#define BRINDLEMARK_TESTS_SUPPORT_TEMP_FOLDER_H

#include <stdlib.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

// A test whose files live in a fresh folder under /tmp, removed afterwards
// with all it holds (sub-folders a test locked are opened again first).
// Names without "-": the track fallback would read the folder's name.
class TempFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        char folderTemplate[] = "/tmp/bm_test_XXXXXX";
        ASSERT_NE(mkdtemp(folderTemplate), nullptr);
        dir = folderTemplate;
    }
    void TearDown() override {
        namespace fs = std::filesystem;
        std::error_code ignored;
        for (auto it = fs::recursive_directory_iterator(dir, fs::directory_options::skip_permission_denied, ignored);
             it != fs::recursive_directory_iterator(); it.increment(ignored)) {
            if (it->is_directory(ignored) && !it->is_symlink(ignored)) chmod(it->path().c_str(), 0755);
        }
        chmod(dir.c_str(), 0755);
        fs::remove_all(dir, ignored);
    }

    std::string dir;
};

#endif
