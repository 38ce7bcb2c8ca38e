#include "platform/move_no_replace.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/dry_run_file_system.h"
#include "platform/real_file_system.h"
#include "tests/support/temp_folder.h"

namespace {

namespace platform = brindlemark::platform;

class MoveTest : public TempFolderTest {
protected:
    // A real move, as the batch asks for it: true when it was made.
    bool move(const std::string& source, const std::string& target) {
        errno = real.moveNoReplace(source.c_str(), target.c_str()).code;
        return errno == 0;
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

    const std::string& folder = dir;
    platform::RealFileSystem real;
};

TEST_F(MoveTest, NeverReplacesAnExistingFile) {
    const std::string a = make("a", "A"), b = make("b", "B"), c = folder + "/c";
    EXPECT_FALSE(move(a, b));
    EXPECT_EQ(read(a), "A");
    EXPECT_EQ(read(b), "B");
    EXPECT_TRUE(move(a, c));
    EXPECT_FALSE(exists(a));
    EXPECT_EQ(read(c), "A");
    EXPECT_FALSE(move(a, (folder + "/d")));  // source gone
    EXPECT_TRUE(move(c, c));                  // already bears the name
    EXPECT_EQ(read(c), "A");
    EXPECT_FALSE(move(a, a));
}

TEST_F(MoveTest, LinkFallbackNeverReplacesEither) {
    const std::string a = make("a", "A"), b = make("b", "B"), c = folder + "/c";
    EXPECT_NE(platform::linkThenUnlink(a.c_str(), b.c_str()), 0);
    EXPECT_EQ(read(a), "A");
    EXPECT_EQ(read(b), "B");
    EXPECT_EQ(platform::linkThenUnlink(a.c_str(), c.c_str()), 0);
    EXPECT_FALSE(exists(a));
    EXPECT_EQ(read(c), "A");
    struct stat st;
    ASSERT_EQ(stat(c.c_str(), &st), 0);
    EXPECT_EQ(st.st_nlink, 1u);  // one name, not two
}

TEST_F(MoveTest, DryRunTracksPretendedNamesAndMovesNothing) {
    const std::string a = make("a", "A"), b = folder + "/b", c = make("c", "C");
    {
        platform::DryRunFileSystem dryRun;
        const auto pretend = [&dryRun](const std::string& source, const std::string& target) {
            return dryRun.moveNoReplace(source.c_str(), target.c_str()).code;
        };
        EXPECT_EQ(pretend(a, b), 0);
        EXPECT_EQ(pretend(c, b), EEXIST);                 // b is taken by now
        EXPECT_EQ(pretend(a, folder + "/e"), ENOENT);     // a is gone by now
        EXPECT_EQ(pretend(c, folder + "/./a"), 0);        // a is free by now
        EXPECT_EQ(pretend(b, b), 0);
        EXPECT_EQ(pretend(folder + "/missing", folder + "/f"), ENOENT);
        // What is opened is what the real run would find under each name.
        unsigned char byte = 0;
        const platform::ReadOnlyFile underB = dryRun.openForReading(b.c_str());
        ASSERT_TRUE(underB.isOpen());
        EXPECT_EQ(underB.readAt(0, &byte, 1), 1u);
        EXPECT_EQ(byte, 'A');
        EXPECT_FALSE(dryRun.openForReading(c.c_str()).isOpen());
    }
    EXPECT_EQ(read(a), "A");
    EXPECT_EQ(read(c), "C");
    EXPECT_FALSE(exists(b));
    platform::DryRunFileSystem fresh;  // a new dry run knows no pretended name
    EXPECT_EQ(fresh.moveNoReplace(b.c_str(), a.c_str()).code, ENOENT);
}

// In a folder with the sticky bit only the file's owner, the folder's owner
// or a user who acts as every file's owner may move a file.
TEST_F(MoveTest, DryRunFollowsTheStickyBitRule) {
    const std::uint32_t us = geteuid(), other = us + 4242;  // we own both the folder and the file
    const struct {
        const char* what;
        bool sticky;
        platform::DryRunFileSystem::Mover mover;
        int error;
    } cases[] = {
        {"not sticky, anyone", false, {other, false}, 0},
        {"sticky, the owner", true, {us, false}, 0},
        {"sticky, another user", true, {other, false}, EPERM},
        {"sticky, another user owning everything", true, {other, true}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string a = make("a", "A");
        ASSERT_EQ(chmod(folder.c_str(), c.sticky ? 01777 : 0777), 0);
        platform::DryRunFileSystem dryRun(c.mover);
        EXPECT_EQ(dryRun.moveNoReplace(a.c_str(), (folder + "/b").c_str()).code, c.error);
    }
    ASSERT_EQ(chmod(folder.c_str(), 0700), 0);
}

// Something mounted on an entry cannot be moved: the kernel says EBUSY, and
// so does the dry run (only root may write the root folder, so only root
// sees the question asked).
TEST_F(MoveTest, DryRunRefusesToMoveAMountPoint) {
    if (geteuid() != 0) GTEST_SKIP() << "only root may write into /";
    platform::DryRunFileSystem dryRun;
    EXPECT_EQ(dryRun.moveNoReplace("/proc", "/proc-moved").code, EBUSY);
}

// ---- The fallbacks of a real move, its system calls scripted --------------

// What the scripted calls do: 0 makes the real call, an errno fails the call
// with it. Every call is noted, and so is a step that acts on any folder
// but the one the move opened.
struct Script {
    int pathRename = 0;    // renameat2 by full paths
    int folderRename = 0;  // renameat2 relative to the folder
    int link = 0;
    int unlinkSource = 0;  // unlinkat of the source name (taking back works)
    int look = 0;          // fstatat
    std::string repointBefore;  // the step before which the folder symlink is re-pointed
    std::string symlink, otherFolder;

    std::vector<std::string> calls;
    int folder = -1;
    bool strayFolder = false;
};

Script script;
const platform::MoveCalls& systemCalls = platform::systemMoveCalls();

bool fails(int error) {
    if (error == 0) return false;
    errno = error;
    return true;
}

// One step on the folder: noted, and the symlink re-pointed first if asked.
void step(const char* name, int fromFolder, int toFolder) {
    script.calls.emplace_back(name);
    if (fromFolder != script.folder || toFolder != script.folder) script.strayFolder = true;
    if (script.repointBefore == name) {
        const std::string fresh = script.symlink + ".new";
        ASSERT_EQ(symlink(script.otherFolder.c_str(), fresh.c_str()), 0);
        ASSERT_EQ(rename(fresh.c_str(), script.symlink.c_str()), 0);
    }
}

const platform::MoveCalls scriptedCalls = {
    [](int fromFolder, const char* from, int toFolder, const char* to, unsigned int flags) {
        if (fromFolder == AT_FDCWD && toFolder == AT_FDCWD) {
            script.calls.emplace_back("rename by path");
            return fails(script.pathRename) ? -1 : systemCalls.renameat2(fromFolder, from, toFolder, to, flags);
        }
        step("rename in folder", fromFolder, toFolder);
        return fails(script.folderRename) ? -1 : systemCalls.renameat2(fromFolder, from, toFolder, to, flags);
    },
    [](const char* path) {
        script.calls.emplace_back("open folder");
        script.folder = systemCalls.openFolder(path);
        return script.folder;
    },
    [](int fromFolder, const char* from, int toFolder, const char* to, int flags) {
        step("link", fromFolder, toFolder);
        return fails(script.link) ? -1 : systemCalls.linkat(fromFolder, from, toFolder, to, flags);
    },
    [](int folder, const char* name, int flags) {
        step("unlink", folder, folder);
        if (std::strcmp(name, "a") == 0 && fails(script.unlinkSource)) return -1;
        return systemCalls.unlinkat(folder, name, flags);
    },
    [](int folder, const char* name, struct stat* info, int flags) {
        step("look", folder, folder);
        return fails(script.look) ? -1 : systemCalls.fstatat(folder, name, info, flags);
    },
    [](int fromFolder, const char* from, int toFolder, const char* to) {
        step("rename", fromFolder, toFolder);
        return systemCalls.renameat(fromFolder, from, toFolder, to);
    },
};

class ScriptedMove : public MoveTest {
protected:
    void SetUp() override {
        MoveTest::SetUp();
        script = Script();
    }
    // A move through the scripted calls: 0 or the errno it failed with.
    static int scriptedMove(const std::string& source, const std::string& target) {
        return platform::moveNoReplace(source.c_str(), target.c_str(), scriptedCalls);
    }
};

struct FallbackCase {
    const char* name;
    int pathRename, folderRename, link, unlinkSource, look;
    const char* target;  // within the folder
    bool targetExists;
    int error;  // 0: the move is made
    std::vector<std::string> calls;
};

const std::vector<std::string> TO_LINK = {"rename by path", "open folder", "rename in folder", "link"};
std::vector<std::string> then(std::vector<std::string> calls, const std::vector<std::string>& more) {
    calls.insert(calls.end(), more.begin(), more.end());
    return calls;
}

TEST_F(ScriptedMove, EveryFallbackBranch) {
    const std::vector<FallbackCase> cases = {
        {"one call when the flag works", 0, 0, 0, 0, 0, "b", false, 0, {"rename by path"}},
        {"other refusals end it", EACCES, 0, 0, 0, 0, "b", false, EACCES, {"rename by path"}},
        {"existing target ends it", 0, 0, 0, 0, 0, "b", true, EEXIST, {"rename by path"}},
        {"flag works on the folder", EINVAL, 0, 0, 0, 0, "b", false, 0,
         {"rename by path", "open folder", "rename in folder"}},
        {"flag refused, link and unlink", EINVAL, EINVAL, 0, 0, 0, "b", false, 0, then(TO_LINK, {"unlink"})},
        {"no links (EPERM): look, then rename", EINVAL, EINVAL, EPERM, 0, 0, "b", false, 0,
         then(TO_LINK, {"look", "rename"})},
        {"no links (EOPNOTSUPP), target appeared", EINVAL, EINVAL, EOPNOTSUPP, 0, 0, "b", true, EEXIST,
         then(TO_LINK, {"look"})},
        {"look fails", EINVAL, EINVAL, EPERM, 0, EACCES, "b", false, EACCES, then(TO_LINK, {"look"})},
        {"unlink fails: the new link taken back", EINVAL, EINVAL, 0, EACCES, 0, "b", false, EACCES,
         then(TO_LINK, {"unlink", "unlink"})},
        {"no renameat2 (ENOSYS): never look and rename", ENOSYS, ENOSYS, EPERM, 0, 0, "b", false, EPERM, TO_LINK},
        {"link refused otherwise", EINVAL, EINVAL, EMLINK, 0, 0, "b", false, EMLINK, TO_LINK},
        {"other folder: first attempt only", EINVAL, 0, 0, 0, 0, "sub/b", false, EINVAL, {"rename by path"}},
    };
    ASSERT_EQ(mkdir((folder + "/sub").c_str(), 0755), 0);
    for (const FallbackCase& c : cases) {
        SCOPED_TRACE(c.name);
        script = Script{c.pathRename, c.folderRename, c.link, c.unlinkSource, c.look, {}, {}, {}, {}, -1, false};
        const std::string a = make("a", "A"), target = folder + "/" + c.target;
        if (c.targetExists) make(c.target, "B");
        const int error = scriptedMove(a, target);
        EXPECT_EQ(error, c.error) << std::strerror(error);
        EXPECT_EQ(script.calls, c.calls);
        EXPECT_FALSE(script.strayFolder);
        EXPECT_EQ(fcntl(script.folder, F_GETFD), -1) << "the folder was left open";
        EXPECT_EQ(exists(a), c.error != 0);
        EXPECT_EQ(read(target), c.error == 0 ? "A" : c.targetExists ? "B" : "");
        if (c.error == 0 || !c.targetExists) {
            struct stat st;
            ASSERT_EQ(stat((c.error == 0 ? target : a).c_str(), &st), 0);
            EXPECT_EQ(st.st_nlink, 1u);  // one name, not two
        }
        unlink(a.c_str());
        unlink(target.c_str());
    }
}

// A device whose file system refused RENAME_NOREPLACE is remembered and not
// asked again, its folder looked at once; every later move there keeps the
// fallback's safeties (the folder looked at again before a plain rename),
// and a move between folders still makes its one attempt by path.
TEST_F(ScriptedMove, AFileSystemThatRefusedTheFlagIsNotAskedAgain) {
    struct Move {
        const char* target;
        int error;
        std::vector<std::string> calls;
    };
    const struct {
        const char* what;
        int pathRename, folderRename, link;
        std::vector<Move> moves;  // each of a fresh file "a", in turn
    } cases[] = {
        {"the flag works: one call each", 0, 0, 0, {{"b", 0, {"rename by path"}}, {"c", 0, {"rename by path"}}}},
        {"EINVAL: links from the second move on", EINVAL, EINVAL, 0,
         {{"b", 0, {"rename by path", "open folder", "look", "rename in folder", "link", "unlink"}},
          {"c", 0, {"open folder", "link", "unlink"}},
          {"c", EEXIST, {"open folder", "link"}},
          {"sub/d", EINVAL, {"rename by path"}}}},
        {"EINVAL and no links: look, then rename", EINVAL, EINVAL, EPERM,
         {{"b", 0, {"rename by path", "open folder", "look", "rename in folder", "link", "look", "rename"}},
          {"c", 0, {"open folder", "link", "look", "look", "rename"}}}},
        {"ENOSYS and no links: never look and rename", ENOSYS, ENOSYS, EPERM,
         {{"b", EPERM, {"rename by path", "open folder", "look", "rename in folder", "link"}},
          {"c", EPERM, {"open folder", "link"}}}},
    };
    ASSERT_EQ(mkdir((folder + "/sub").c_str(), 0755), 0);
    for (const auto& c : cases) {
        platform::RenameFlagRefusals refusals;
        for (const Move& m : c.moves) {
            SCOPED_TRACE(std::string(c.what) + ", to " + m.target);
            script = Script{c.pathRename, c.folderRename, c.link, 0, 0, {}, {}, {}, {}, -1, false};
            const std::string a = make("a", "A"), target = folder + "/" + m.target;
            const bool existed = exists(target);
            EXPECT_EQ(platform::moveNoReplace(a.c_str(), target.c_str(), scriptedCalls, &refusals), m.error);
            EXPECT_EQ(script.calls, m.calls);
            EXPECT_FALSE(script.strayFolder);
            EXPECT_EQ(exists(a), m.error != 0);
            if (!existed) {
                EXPECT_EQ(exists(target), m.error == 0);
            }
            unlink(a.c_str());
        }
        for (const char* name : {"b", "c", "sub/d"}) unlink((folder + "/" + name).c_str());
    }
}

// The folder is reached through a symlink that another program re-points
// to another folder holding a file of the same name in the middle of the
// move: every step still acts on the folder the move opened, and the other
// folder's file is never touched.
TEST_F(ScriptedMove, StepsActOnTheFolderFirstOpenedWhateverHappensToThePath) {
    struct Repoint {
        const char* before;
        int link;  // refused with EPERM: the path of looking, then renaming
    };
    for (const Repoint r : {Repoint{"link", 0}, Repoint{"unlink", 0}, Repoint{"look", EPERM},
                            Repoint{"rename", EPERM}}) {
        SCOPED_TRACE(r.before);
        const std::string first = folder + "/first", second = folder + "/second", link = folder + "/link";
        ASSERT_EQ(mkdir(first.c_str(), 0755), 0);
        ASSERT_EQ(mkdir(second.c_str(), 0755), 0);
        std::ofstream(first + "/a") << "A";
        std::ofstream(second + "/a") << "never dropped";
        ASSERT_EQ(symlink("first", link.c_str()), 0);
        script = Script{EINVAL, EINVAL, r.link, 0, 0, r.before, link, "second", {}, -1, false};

        EXPECT_EQ(scriptedMove(link + "/a", link + "/c"), 0);
        EXPECT_FALSE(script.strayFolder);
        EXPECT_EQ(read(first + "/c"), "A");
        EXPECT_FALSE(exists(first + "/a"));
        EXPECT_EQ(read(second + "/a"), "never dropped");
        EXPECT_FALSE(exists(second + "/c"));
        std::system(("rm -rf '" + first + "' '" + second + "' '" + link + "'").c_str());
    }
}

}  // namespace
