// The folder walk: its order and what it leaves out.

#include "ui/console/folder_walk.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

class FolderWalk : public TempFolderTest {
protected:
    void file(const std::string& name) {
        fs::create_directories(fs::path(dir + "/" + name).parent_path());
        std::ofstream(dir + "/" + name) << "x";
    }
    std::vector<std::string> walk(const std::string& top, std::vector<std::string>* unreadable = nullptr) {
        std::vector<std::string> found;
        walkFolder(
            top, [&](const std::string& path) { found.push_back(path.substr(dir.size() + 1)); },
            [&](const std::string& path, int cause) {
                if (unreadable != nullptr) unreadable->push_back(path.substr(dir.size() + 1) + ": " + std::strerror(cause));
            });
        return found;
    }
};

TEST_F(FolderWalk, TakesSpcFilesInByteOrderFoldersWhereTheirNamesFall) {
    for (const char* name : {"b.spc", "a/z.spc", "a/B.SPC", "B.Spc", "c/d/e.spc", "c.spc", "~.spc", "\xe9.spc",
                             "notes.txt", "a.spc.bak", "spc", ".spc"}) {
        file(name);
    }
    EXPECT_EQ(walk(dir), (std::vector<std::string>{".spc", "B.Spc", "a/B.SPC", "a/z.spc", "b.spc", "c/d/e.spc",
                                                   "c.spc", "~.spc", "\xe9.spc"}));
}

TEST_F(FolderWalk, LinksPipesAndSocketsAreNotTakenAndLinkedFoldersNotEntered) {
    file("real/a.spc");
    fs::create_symlink(dir + "/real/a.spc", dir + "/real/link.spc");
    fs::create_directory_symlink(dir + "/real", dir + "/real/loop");
    fs::create_directory_symlink(dir + "/real", dir + "/linked");
    ASSERT_EQ(mkfifo((dir + "/real/pipe.spc").c_str(), 0600), 0);
    const int sock = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socketPath = dir + "/real/socket.spc";
    std::strncpy(address.sun_path, socketPath.c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    close(sock);
    EXPECT_EQ(walk(dir), (std::vector<std::string>{"real/a.spc"}));
    // The folder named on the command line may itself be a link.
    EXPECT_EQ(walk(dir + "/linked"), (std::vector<std::string>{"linked/a.spc"}));
}

TEST_F(FolderWalk, AFolderThatCannotBeReadIsNamedAndTheWalkGoesOn) {
    if (geteuid() == 0) GTEST_SKIP() << "root reads every folder; the console tests cover this as nobody";
    file("a.spc");
    file("locked/hidden.spc");
    file("m/b.spc");
    chmod((dir + "/locked").c_str(), 0);
    std::vector<std::string> unreadable;
    EXPECT_EQ(walk(dir, &unreadable), (std::vector<std::string>{"a.spc", "m/b.spc"}));
    EXPECT_EQ(unreadable, (std::vector<std::string>{std::string("locked: ") + std::strerror(EACCES)}));
}

}  // namespace
