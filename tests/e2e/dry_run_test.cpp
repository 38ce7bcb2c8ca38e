// A dry run prints exactly the lines (and ends with the exit status) of the
// real run after it, and changes nothing: for what the names and the drop
// decide, and for what the kernel decides at the move, as far as it can be
// asked in advance.

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "tests/e2e/console_support.h"

namespace {

namespace fs = std::filesystem;
using e2e::Outcome;
using e2e::spc;

constexpr unsigned NOBODY = 65534;

enum class Who {
    Root,
    Nobody,
    NobodyOverridingPermissions,  // nobody with CAP_DAC_OVERRIDE, through setpriv
};

class DryRunFixture;

struct Case {
    std::string name;
    // Lays out the files; returns why the case cannot run here, or "".
    std::function<std::string(DryRunFixture&)> setup;
    std::vector<std::string> files;  // relative to the test's folder (options first)
    Who who;
    std::string realLines;  // what the real run prints
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

std::string shellQuoted(const std::string& text) {
    std::string out = "'";
    for (const char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

class DryRunFixture : public e2e::Folder, public ::testing::WithParamInterface<Case> {
public:
    using e2e::Folder::dir;
    using e2e::Folder::put;

    void TearDown() override {
        for (const std::string& path : flagged_) {
            const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
            int none = 0;
            if (fd >= 0) ioctl(fd, FS_IOC_SETFLAGS, &none);
            if (fd >= 0) close(fd);
        }
        for (const std::string& mountPoint : mounts_) umount2(mountPoint.c_str(), MNT_DETACH);
        e2e::Folder::TearDown();
    }

    std::string path(const std::string& name) const { return dir + "/" + name; }

    void folder(const std::string& name, mode_t mode) {
        ASSERT_EQ(mkdir(path(name).c_str(), 0755), 0);
        ASSERT_EQ(chmod(path(name).c_str(), mode), 0);
    }
    void link(const std::string& name, const std::string& target) {
        ASSERT_EQ(symlink(target.c_str(), path(name).c_str()), 0);
    }
    void owner(const std::string& name, unsigned user) {
        ASSERT_EQ(lchown(path(name).c_str(), user, user), 0);
    }

    // Sets a file attribute (chattr); returns why it could not, or "".
    std::string attribute(const std::string& name, int flag, const char* what) {
        if (geteuid() != 0) return std::string("chattr ") + what + " needs root";
        const int fd = open(path(name).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        int flags = 0;
        if (fd < 0 || ioctl(fd, FS_IOC_GETFLAGS, &flags) != 0) {
            const std::string why = std::strerror(errno);
            if (fd >= 0) close(fd);
            return std::string("this file system keeps no file attributes (chattr ") + what + "): " + why;
        }
        flags |= flag;
        const bool set = ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        const std::string why = std::strerror(errno);
        close(fd);
        if (!set) return std::string("chattr ") + what + " refused here: " + why;
        flagged_.push_back(path(name));
        return "";
    }

    // Mounts folder `from` again at `to` (read-only when asked); returns why
    // it could not, or "".
    std::string bindMount(const std::string& from, const std::string& to, bool readOnly) {
        if (geteuid() != 0) return "a bind mount needs root";
        if (mount(path(from).c_str(), path(to).c_str(), nullptr, MS_BIND, nullptr) != 0) {
            return std::string("bind mount refused here: ") + std::strerror(errno);
        }
        mounts_.push_back(path(to));
        if (readOnly &&
            mount(nullptr, path(to).c_str(), nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) != 0) {
            return std::string("read-only remount refused here: ") + std::strerror(errno);
        }
        return "";
    }

    // Every entry below the folder: its path, and its bytes or symlink target.
    std::map<std::string, std::string> everything() {
        std::map<std::string, std::string> out;
        std::error_code ignored;
        for (auto it = fs::recursive_directory_iterator(dir, ignored); it != fs::recursive_directory_iterator();
             it.increment(ignored)) {
            std::string& entry = out[it->path().string()];
            if (it->is_symlink(ignored)) {
                entry = "-> " + fs::read_symlink(it->path(), ignored).string();
            } else if (it->is_regular_file(ignored)) {
                const e2e::Bytes bytes = read(fs::relative(it->path(), dir).string());
                entry.assign(bytes.begin(), bytes.end());
            }
        }
        return out;
    }

    Outcome runAs(Who who, const std::vector<std::string>& args) {
        if (who != Who::NobodyOverridingPermissions) return e2e::run(dir, args, who == Who::Nobody);
        std::string command = "cd " + shellQuoted(dir) + " && setpriv --reuid=" + std::to_string(NOBODY) +
                              " --regid=" + std::to_string(NOBODY) +
                              " --clear-groups --inh-caps=+dac_override --ambient-caps=+dac_override " +
                              shellQuoted(BRINDLEMARK_EXE);
        for (const std::string& a : args) command += " " + shellQuoted(a);
        Outcome result;
        std::FILE* pipe = popen(command.c_str(), "r");  // standard error: into the test's log
        if (pipe == nullptr) return result;
        char buffer[4096];
        std::size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.out.append(buffer, n);
        const int status = pclose(pipe);
        result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return result;
    }

private:
    std::vector<std::string> flagged_, mounts_;
};

std::string whyNotAs(Who who) {
    if (who == Who::Root) return "";
    if (geteuid() != 0) return "running as another user needs root";
    if (who == Who::NobodyOverridingPermissions && std::system("setpriv --version >/dev/null 2>&1") != 0) {
        return "setpriv (util-linux) is missing: cannot run with CAP_DAC_OVERRIDE alone";
    }
    return "";
}

TEST_P(DryRunFixture, PrintsTheLinesOfTheRealRunAndChangesNothing) {
    const Case& c = GetParam();
    std::string why = whyNotAs(c.who);
    if (why.empty()) why = c.setup(*this);
    if (HasFatalFailure()) return;
    if (!why.empty()) GTEST_SKIP() << why;

    // Journals are not the matter here, and another user could not write
    // them into this program's state folder.
    std::vector<std::string> args{"--no-journal"};
    args.insert(args.end(), c.files.begin(), c.files.end());
    std::vector<std::string> dry{"--dry-run"};
    dry.insert(dry.end(), args.begin(), args.end());

    const auto before = everything();
    const Outcome pretended = runAs(c.who, dry);
    EXPECT_EQ(everything(), before) << "the dry run changed something";
    const Outcome real = runAs(c.who, args);
    EXPECT_EQ(real.out, c.realLines);
    EXPECT_EQ(pretended.out, real.out);
    EXPECT_EQ(pretended.exitCode, real.exitCode);
    // Into the test's log, where sanitizer reports are looked for.
    std::cerr << pretended.err << real.err;
}

void alphaAndBeta(DryRunFixture& f) {
    f.put("a.spc", spc("Alpha", 1));
    f.put("b.spc", spc("Beta", 2));
}

using Setup = std::function<std::string(DryRunFixture&)>;

// a.spc (Alpha, track 1) and, unless target is empty, link.spc pointing at target.
Setup alpha(const std::string& target = "") {
    return [target](DryRunFixture& f) {
        f.put("a.spc", spc("Alpha", 1));
        if (!target.empty()) f.link("link.spc", target);
        return std::string();
    };
}

enum class SecondPath { Symlink, BindMount, ReadOnlyBindMount };

// Folder real with a.spc and, when twin, b.spc of the same new name; the
// folder is also reached as `other`.
Setup oneFolderTwoPaths(SecondPath how, bool twin) {
    return [how, twin](DryRunFixture& f) {
        f.folder("real", 0755);
        f.put("real/a.spc", spc("Alpha", 1));
        if (twin) f.put("real/b.spc", spc("Alpha", 1));
        if (how == SecondPath::Symlink) {
            f.link("other", "real");
            return std::string();
        }
        f.folder("other", 0755);
        return f.bindMount("real", "other", how == SecondPath::ReadOnlyBindMount);
    };
}

// a.spc (Alpha) and b.spc (Beta), a.spc with the file attribute.
Setup alphaAndBetaWith(int attribute, const char* chattr) {
    return [attribute, chattr](DryRunFixture& f) {
        alphaAndBeta(f);
        return f.attribute("a.spc", attribute, chattr);
    };
}

// Folder sub of the given mode (and file attribute) holding a.spc (Alpha).
Setup alphaInSub(mode_t mode, int attribute = 0) {
    return [mode, attribute](DryRunFixture& f) {
        f.folder("sub", 0755);
        f.put("sub/a.spc", spc("Alpha", 1));
        chmod(f.path("sub").c_str(), mode);
        chmod(f.dir.c_str(), 0755);
        return attribute == 0 ? std::string() : f.attribute("sub", attribute, "+a");
    };
}

// What the names and the drop decide. The batch takes the last file first.
const std::vector<Case> NAME_CASES = {
    {"SameFileTwice", alpha(), {"a.spc", "a.spc"}, Who::Root,
     "a.spc -> 1 - Alpha.spc\n"
     "a.spc is not an SPC\n"},
    {"NameGivenByAnEarlierMove", alpha(), {"1 - Alpha.spc", "a.spc"}, Who::Root,
     "a.spc -> 1 - Alpha.spc\n"
     "1 - Alpha.spc -> 1 - Alpha.spc\n"},
    {"SymlinkToAFileMovedEarlier", alpha("a.spc"), {"link.spc", "a.spc"}, Who::Root,
     "a.spc -> 1 - Alpha.spc\n"
     "link.spc is not an SPC\n"},
    {"SymlinkMovedThenItsTarget", alpha("a.spc"), {"a.spc", "link.spc"}, Who::Root,
     "link.spc -> 1 - Alpha.spc\n"
     "a.spc != 1 - Alpha.spc\n"},
    {"SymlinkThroughANameAnEarlierMoveGave", alpha("1 - Alpha.spc"), {"link.spc", "a.spc"}, Who::Root,
     "a.spc -> 1 - Alpha.spc\n"
     "link.spc != 1 - Alpha.spc\n"},
    {"SameFileThroughASymlinkedFolder", oneFolderTwoPaths(SecondPath::Symlink, false),
     {"other/a.spc", "real/a.spc"}, Who::Root,
     "a.spc -> 1 - Alpha.spc\n"
     "a.spc is not an SPC\n"},
    {"OneFolderThroughASymlink", oneFolderTwoPaths(SecondPath::Symlink, true), {"other/b.spc", "real/a.spc"},
     Who::Root,
     "a.spc -> 1 - Alpha.spc\n"
     "b.spc != 1 - Alpha.spc\n"},
    {"OneFolderThroughABindMount", oneFolderTwoPaths(SecondPath::BindMount, true), {"other/b.spc", "real/a.spc"},
     Who::Root,
     "a.spc -> 1 - Alpha.spc\n"
     "b.spc != 1 - Alpha.spc\n"},
    {"WindowsDeviceName", [](DryRunFixture& f) { f.put("a.spc", spc("Con", 1)); return ""; },
     {"--format", "%S", "a.spc"}, Who::Root, "a.spc != Con.spc\n"},
};

// What the kernel decides at the move: permissions, the sticky bit,
// capabilities, file attributes, a read-only file system.
const std::vector<Case> KERNEL_CASES = {
    {"StickyFolderAnotherUsersFile",
     [](DryRunFixture& f) {
         alphaAndBeta(f);  // a.spc stays root's
         f.owner("b.spc", NOBODY);
         chmod(f.dir.c_str(), 01777);
         return "";
     },
     {"a.spc", "b.spc"}, Who::Nobody,
     "b.spc -> 2 - Beta.spc\n"
     "a.spc != 1 - Alpha.spc\n"},
    {"StickyFolderOfTheMoverAnotherUsersFile",
     [](DryRunFixture& f) {
         f.folder("sub", 01777);
         f.put("sub/a.spc", spc("Alpha", 1));  // root's, in a folder the mover owns
         f.owner("sub", NOBODY);
         chmod(f.path("sub").c_str(), 01777);
         chmod(f.dir.c_str(), 0755);
         return "";
     },
     {"sub/a.spc"}, Who::Nobody, "a.spc -> 1 - Alpha.spc\n"},
    {"FolderNotWritable", alphaInSub(0555), {"sub/a.spc"}, Who::Nobody, "a.spc != 1 - Alpha.spc\n"},
    {"FolderNotWritableButPermissionsOverridden", alphaInSub(0555), {"sub/a.spc"}, Who::NobodyOverridingPermissions,
     "a.spc -> 1 - Alpha.spc\n"},
    {"ImmutableFile", alphaAndBetaWith(FS_IMMUTABLE_FL, "+i"), {"a.spc", "b.spc"}, Who::Root,
     "b.spc -> 2 - Beta.spc\n"
     "a.spc != 1 - Alpha.spc\n"},
    {"AppendOnlyFile", alphaAndBetaWith(FS_APPEND_FL, "+a"), {"a.spc", "b.spc"}, Who::Root,
     "b.spc -> 2 - Beta.spc\n"
     "a.spc != 1 - Alpha.spc\n"},
    {"AppendOnlyFolder", alphaInSub(0755, FS_APPEND_FL), {"sub/a.spc"}, Who::Root, "a.spc != 1 - Alpha.spc\n"},
    {"ReadOnlyFileSystem", oneFolderTwoPaths(SecondPath::ReadOnlyBindMount, false), {"other/a.spc"}, Who::Root,
     "a.spc != 1 - Alpha.spc\n"},
};

std::string caseName(const ::testing::TestParamInfo<Case>& info) { return info.param.name; }

INSTANTIATE_TEST_SUITE_P(Names, DryRunFixture, ::testing::ValuesIn(NAME_CASES), caseName);
INSTANTIATE_TEST_SUITE_P(Kernel, DryRunFixture, ::testing::ValuesIn(KERNEL_CASES), caseName);

}  // namespace
