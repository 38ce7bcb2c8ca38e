#include "platform/win32_standin.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace {

TEST(StandinDialog, ItemTextIsBoundedAndListsAppendAndEmpty) {
    standin::Dialog dialog;
    SetDlgItemTextA(&dialog, 7, "0123456789012345678901234567890123456789");
    char text[31];
    EXPECT_EQ(GetDlgItemTextA(&dialog, 7, text, 31), 30u);
    EXPECT_STREQ(text, "012345678901234567890123456789");
    EXPECT_EQ(GetDlgItemTextA(&dialog, 8, text, 31), 0u);
    EXPECT_STREQ(text, "");

    EXPECT_EQ(SendDlgItemMessageA(&dialog, 9, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("one")), 0);
    EXPECT_EQ(SendDlgItemMessageA(&dialog, 9, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("two")), 1);
    EXPECT_EQ(dialog.listLines[9], (std::vector<std::string>{"one", "two"}));
    SendDlgItemMessageA(&dialog, 9, LB_RESETCONTENT, 0, 0);
    EXPECT_TRUE(dialog.listLines[9].empty());
}

TEST(StandinDrop, CountsAndBoundsPaths) {
    standin::Drop drop;
    drop.paths = {"/a/first.spc", "/a/second.spc"};
    EXPECT_EQ(DragQueryFileA(&drop, 0xFFFFFFFF, nullptr, 0), 2u);
    char path[8];
    EXPECT_EQ(DragQueryFileA(&drop, 1, path, sizeof path), 7u);
    EXPECT_STREQ(path, "/a/seco");
    EXPECT_EQ(DragQueryFileA(&drop, 0, nullptr, 0), 12u);
    EXPECT_EQ(DragQueryFileA(&drop, 2, path, sizeof path), 0u);
}

class StandinMove : public ::testing::Test {
protected:
    void SetUp() override {
        char folderTemplate[] = "/tmp/brindlemark-move-XXXXXX";
        ASSERT_NE(mkdtemp(folderTemplate), nullptr);
        folder = folderTemplate;
    }
    void TearDown() override {
        standin::endDryRun();
        std::system(("rm -rf '" + folder + "'").c_str());
    }
    std::string make(const std::string& name, const std::string& content) {
        std::ofstream(folder + "/" + name) << content;
        return folder + "/" + name;
    }
    std::string read(const std::string& path) {
        std::ifstream in(path);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    bool exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

    std::string folder;
};

TEST_F(StandinMove, NeverReplacesAnExistingFile) {
    const std::string a = make("a", "A"), b = make("b", "B"), c = folder + "/c";
    EXPECT_FALSE(MoveFileA(a.c_str(), b.c_str()));
    EXPECT_EQ(read(a), "A");
    EXPECT_EQ(read(b), "B");
    EXPECT_TRUE(MoveFileA(a.c_str(), c.c_str()));
    EXPECT_FALSE(exists(a));
    EXPECT_EQ(read(c), "A");
    EXPECT_FALSE(MoveFileA(a.c_str(), (folder + "/d").c_str()));  // source gone
    EXPECT_TRUE(MoveFileA(c.c_str(), c.c_str()));                  // already bears the name
    EXPECT_EQ(read(c), "A");
    EXPECT_FALSE(MoveFileA(a.c_str(), a.c_str()));
}

TEST_F(StandinMove, LinkFallbackNeverReplacesEither) {
    const std::string a = make("a", "A"), b = make("b", "B"), c = folder + "/c";
    EXPECT_NE(standin::linkThenUnlink(a.c_str(), b.c_str()), 0);
    EXPECT_EQ(read(a), "A");
    EXPECT_EQ(read(b), "B");
    EXPECT_EQ(standin::linkThenUnlink(a.c_str(), c.c_str()), 0);
    EXPECT_FALSE(exists(a));
    EXPECT_EQ(read(c), "A");
    struct stat st;
    ASSERT_EQ(stat(c.c_str(), &st), 0);
    EXPECT_EQ(st.st_nlink, 1u);  // one name, not two
}

TEST_F(StandinMove, DryRunTracksPretendedNamesAndMovesNothing) {
    const std::string a = make("a", "A"), b = folder + "/b", c = make("c", "C");
    standin::beginDryRun();
    EXPECT_TRUE(MoveFileA(a.c_str(), b.c_str()));
    EXPECT_FALSE(MoveFileA(c.c_str(), b.c_str()));  // b is taken by now
    EXPECT_FALSE(MoveFileA(a.c_str(), (folder + "/e").c_str()));  // a is gone by now
    EXPECT_TRUE(MoveFileA(c.c_str(), (folder + "/./a").c_str()));  // a is free by now
    EXPECT_TRUE(MoveFileA(b.c_str(), b.c_str()));
    EXPECT_FALSE(MoveFileA((folder + "/missing").c_str(), (folder + "/f").c_str()));
    standin::endDryRun();
    EXPECT_EQ(read(a), "A");
    EXPECT_EQ(read(c), "C");
    EXPECT_FALSE(exists(b));
    standin::beginDryRun();  // a fresh dry run has forgotten the names
    EXPECT_FALSE(MoveFileA(b.c_str(), a.c_str()));
}

}  // namespace
