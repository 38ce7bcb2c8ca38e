// brindlemark over whole collections: folder trees, the exit status of each
// outcome, JSON outcomes, and runs that are stopped or cannot write.

#include <fcntl.h>
#include <signal.h>
#include <pty.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/e2e/console_support.h"

namespace {

namespace fs = std::filesystem;
using e2e::Outcome;
using e2e::run;
using e2e::RunSetup;
using e2e::spc;

class Collection : public e2e::Folder {
protected:
    void putIn(const std::string& name, const spcbuild::Bytes& bytes) {
        fs::create_directories(fs::path(dir + "/" + name).parent_path());
        put(name, bytes);
    }
    void putIn(const std::string& name, const std::string& text) { putIn(name, spcbuild::Bytes(text.begin(), text.end())); }
    // Runs with standard error on a terminal; what it showed there goes to shown.
    Outcome runOnTerminal(const std::vector<std::string>& args, std::function<void()> inChild, std::string& shown) {
        int terminal = -1, side = -1;
        if (openpty(&terminal, &side, nullptr, nullptr, nullptr) != 0) {
            ADD_FAILURE() << "openpty";
            return {};
        }
        RunSetup onTerminal;
        onTerminal.inChild = [side, inChild] {
            dup2(side, 2);
            inChild();
        };
        const Outcome r = run(dir, args, onTerminal);
        close(side);
        char buffer[4096];
        for (ssize_t n; (n = ::read(terminal, buffer, sizeof buffer)) > 0;) shown.append(buffer, static_cast<std::size_t>(n));
        close(terminal);
        return r;
    }
    std::set<std::string> tree() {
        std::set<std::string> out;
        for (const auto& entry : fs::recursive_directory_iterator(dir)) {
            out.insert(entry.path().string().substr(dir.size() + 1));
        }
        return out;
    }
};

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST_F(Collection, AFolderTreeIsTheDropOfItsSpcFilesInByteOrder) {
    putIn("game/ff-02.spc", spc("Two"));
    putIn("game/ff-01.SPC", spc("One"));
    putIn("game/disc-2/ff-03.spc", spc("Three"));
    fs::create_directories(dir + "/game");
    put("game/notes.txt", std::string("not taken"));
    put("game/ff-04.spc.bak", std::string("not taken either"));
    putIn("loose.spc", spc("Loose", 9));
    fs::create_symlink(dir + "/loose.spc", dir + "/game/link.spc");
    fs::create_directory_symlink(dir + "/game", dir + "/game/loop");
    ASSERT_EQ(mkfifo((dir + "/game/pipe.spc").c_str(), 0600), 0);

    // The same lines as the files named one by one, in walk order.
    const std::vector<std::string> named{"game/disc-2/ff-03.spc", "game/ff-01.SPC", "game/ff-02.spc", "loose.spc"};
    std::vector<std::string> dry{"--dry-run"};
    dry.insert(dry.end(), named.begin(), named.end());
    const Outcome oneByOne = run(dir, dry);
    const Outcome walked = run(dir, {"-r", "game", "loose.spc"});
    EXPECT_EQ(walked.out, oneByOne.out);
    EXPECT_EQ(walked.out,
              "loose.spc -> 9 - Loose.spc\nff-02.spc -> 02 - Two.spc\nff-01.SPC -> 01 - One.spc\n"
              "ff-03.spc -> 03 - Three.spc\n");
    EXPECT_EQ(walked.err, "");
    EXPECT_EQ(walked.exitCode, 0);
    EXPECT_EQ(tree(), (std::set<std::string>{"game", "game/disc-2", "game/disc-2/03 - Three.spc", "game/01 - One.spc",
                                             "game/02 - Two.spc", "game/notes.txt", "game/ff-04.spc.bak", "game/link.spc", "game/loop",
                                             "game/pipe.spc", "9 - Loose.spc"}));
}

// Makes a chain of levels folders of the given name below the open folder
// at, by descriptor: the whole path is far beyond PATH_MAX.
void makeChain(int at, const std::string& name, int levels) {
    if (levels == 0) return;
    ASSERT_EQ(mkdirat(at, name.c_str(), 0755), 0);
    const int below = openat(at, name.c_str(), O_RDONLY | O_DIRECTORY);
    makeChain(below, name, levels - 1);
    close(below);
}

void removeChain(int at, const std::string& name) {
    const int below = openat(at, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
    if (below < 0) return;
    removeChain(below, name);
    close(below);
    unlinkat(at, name.c_str(), AT_REMOVEDIR);
}

TEST_F(Collection, AWalkHoldsMemoryInProportionToTheDepthOfTheTree) {
    const std::string name(250, 'd');
    const int top = open(dir.c_str(), O_RDONLY | O_DIRECTORY);
    struct Case {
        const char* what;
        int levels;
        long peakKiB = 0;
    };
    std::vector<Case> cases{{"one level", 1}, {"600 levels", 600}};
    for (Case& c : cases) {
        makeChain(top, name, c.levels);
        const Outcome walked = run(dir, {"-r", "--dry-run", "--no-journal", name});
        EXPECT_EQ(walked.exitCode, 0) << c.what << ": " << walked.err;
        c.peakKiB = walked.peakMemoryKiB;
        removeChain(top, name);
    }
    close(top);
    // Each level holding its whole path twice would take about 600 * 600 * 251 bytes (86 MiB).
    EXPECT_LT(cases[1].peakKiB - cases[0].peakKiB, 8 * 1024) << cases[0].peakKiB << " KiB, then " << cases[1].peakKiB;
}

TEST_F(Collection, AFolderWithoutRecursiveIsNotAnSpcAndAHintSaysWhy) {
    putIn("game/a.spc", spc("A", 1));
    const Outcome r = run(dir, {"game"});
    EXPECT_EQ(r.out, "game is not an SPC\n");
    EXPECT_NE(r.err.find("--recursive"), std::string::npos);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(fs::exists(dir + "/game/a.spc"));
}

TEST_F(Collection, AnUnreadableSubFolderIsNamedTheWalkGoesOnAndTheRunExitsOne) {
    putIn("set/a.spc", spc("A", 1));
    putIn("set/locked/b.spc", spc("B", 2));
    chmod(dir.c_str(), 0755);
    chmod((dir + "/set").c_str(), 0777);
    chmod((dir + "/set/a.spc").c_str(), 0666);
    chmod((dir + "/set/locked").c_str(), 0);
    const Outcome r = run(dir, {"-r", "set"}, /*asNobody=*/true);
    if (geteuid() != 0 && access((dir + "/set/locked").c_str(), R_OK) == 0) GTEST_SKIP() << "cannot lock a folder";
    EXPECT_EQ(r.out, "a.spc -> 1 - A.spc\n");
    EXPECT_NE(r.err.find("cannot read folder " + dir + "/set/locked"), std::string::npos) << r.err;
    EXPECT_EQ(r.exitCode, 1);
}

TEST_F(Collection, JsonSaysWhyAMoveFailedWhereTheSystemSaid) {
    put("taken.spc", spc("Dup", 5));
    put("5 - Dup.spc", std::string("keep me"));
    put("device.spc", spc("Con", 0));
    put("fresh.spc", spc("Fresh", 3));
    struct Case {
        std::vector<std::string> args;
        const char* ending;  // of the JSON line
    };
    const std::string why = ", \"error\": \"File exists\", \"errno\": \"EEXIST\"}\n";
    for (const Case& c : std::vector<Case>{
             {{"--json", "taken.spc"}, why.c_str()},
             {{"--json", "--dry-run", "taken.spc"}, why.c_str()},
             {{"--json", "--format", "%S", "device.spc"}, "\"line\": \"device.spc != Con.spc\"}\n"},  // refused by the batch
             {{"--json", "--dry-run", "fresh.spc"}, "\"line\": \"fresh.spc -> 3 - Fresh.spc\"}\n"},
         }) {
        const Outcome r = run(dir, c.args);
        const std::string ending = c.ending;
        ASSERT_GE(r.out.size(), ending.size()) << c.args.back();
        EXPECT_EQ(r.out.substr(r.out.size() - ending.size()), ending) << r.out;
    }
}

TEST_F(Collection, HintsOnStandardErrorSayWhatToDoOncePerRun) {
    spcbuild::TextTag accented;
    accented.song = "Caf\xE9";
    accented.game = "Game";
    put("latin1.spc", spcbuild::spcWithTextTag(accented));
    put("latin1-02.spc", spcbuild::spcWithTextTag(accented));
    putIn("packed/set.RSN", std::string("rar"));
    putIn("packed/more/b.zip", std::string("zip"));
    putIn("mixed/a.spc", spc("Alpha", 1));
    putIn("mixed/b.7z", std::string("7z"));
    put("locked.spc", spc("Locked", 1));
    chmod((dir + "/locked.spc").c_str(), 0);
    chmod(dir.c_str(), 0755);
    struct Case {
        std::vector<std::string> args;
        std::string says;  // on standard error, once; empty: nothing at all
        int exitCode;
        bool asNobody = false;
    };
    for (const Case& c : std::vector<Case>{
             {{"--dry-run", "-f", "%S", "latin1.spc", "latin1-02.spc"},
              "tag text with bytes from 0x80 up became \"_\" in the new names; -u (--unicode) keeps them", 1},  // one name for both
             {{"--dry-run", "-u", "-f", "%S", "latin1.spc"}, "", 0},
             {{"--dry-run", "-r", "packed"}, "no SPC file under packed, but 2 archives (.rsn, .rar, .7z, .zip): they must be unpacked first", 0},
             {{"--dry-run", "-r", "mixed"}, "", 0},
             {{"--dry-run", "gone.spc"}, dir + "/gone.spc: No such file or directory", 1},
             {{"--show", "mixed"}, "mixed is a folder; with -r (--recursive) the SPC files inside it are shown", 1},
             {{"--show", "gone.spc"}, "gone.spc: No such file or directory", 1},
             {{"--show", "locked.spc"}, "cannot read locked.spc: Permission denied", 1, true},
         }) {
        const Outcome r = run(dir, c.args, c.asNobody);
        if (c.asNobody && geteuid() != 0 && access((dir + "/locked.spc").c_str(), R_OK) == 0) continue;
        const std::string line = "brindlemark: " + c.says + "\n";
        EXPECT_EQ(r.exitCode, c.exitCode) << c.args.back() << ": " << r.err;
        if (c.says.empty()) {
            EXPECT_EQ(r.err, "") << c.args.back();
            continue;
        }
        const std::size_t at = r.err.find(line);
        EXPECT_NE(at, std::string::npos) << c.args.back() << ": " << r.err;
        EXPECT_EQ(r.err.find(line, at + 1), std::string::npos) << "said twice: " << r.err;
    }
    EXPECT_EQ(run(dir, {"--show", "mixed"}).out.find("{\"path\": \"mixed\""), 0u) << "its JSON line as before";
}

TEST_F(Collection, EveryOutcomeOtherThanARenameExitsOneDryRunsToo) {
    put("good.spc", spc("Good", 1));
    put("1 - Good.spc", spc("Good", 1));  // already bears its new name
    put("taken.spc", spc("Dup", 5));
    put("5 - Dup.spc", std::string("keep me"));
    put("partial.spc", spc("Part"));
    put("blank.spc", spc(""));
    put("notes.txt", std::string("text"));
    put("long.spc", spc(std::string(250, 'L'), 9));
    put("nul.spc", spc("Nul", 0));
    put("fresh.spc", spc("Fresh", 3));
    struct Case {
        std::vector<std::string> args;
        int exitCode;
    };
    for (const Case& c : {Case{{"1 - Good.spc"}, 0}, Case{{"taken.spc"}, 1}, Case{{"partial.spc"}, 1},
                          Case{{"blank.spc"}, 1}, Case{{"notes.txt"}, 1}, Case{{"long.spc"}, 1},
                          Case{{"--format", "%S", "nul.spc"}, 1}, Case{{"--format", "text", "good.spc"}, 1},
                          Case{{"gone.spc"}, 1}, Case{{"fresh.spc"}, 0}}) {
        std::vector<std::string> dry{"--dry-run"};
        dry.insert(dry.end(), c.args.begin(), c.args.end());
        EXPECT_EQ(run(dir, dry).exitCode, c.exitCode) << c.args.back();
        EXPECT_EQ(run(dir, c.args).exitCode, c.exitCode) << c.args.back();
    }
    EXPECT_TRUE(fs::exists(dir + "/nul.spc"));  // a device name is never a new name
}

TEST_F(Collection, JsonGivesEachOutcomeWithPathsThatANewlineCannotFake) {
    const std::string tricky = "x -> fake.spc\nb.spc";
    put(tricky, spc("Real", 2));
    put("notes.txt", std::string("text"));
    const Outcome r = run(dir, {"--json", "notes.txt", tricky});
    EXPECT_EQ(r.out, "{\"path\": \"" + dir + "/x -> fake.spc\\u000ab.spc\", \"newPath\": \"" + dir +
                         "/2 - Real.spc\", \"outcome\": \"renamed\", \"line\": \"x -> fake.spc\\u000ab.spc -> 2 - "
                         "Real.spc\"}\n"
                         "{\"path\": \"" + dir + "/notes.txt\", \"newPath\": null, \"outcome\": \"not-spc\", "
                         "\"line\": \"notes.txt is not an SPC\"}\n");
    EXPECT_EQ(r.exitCode, 1);
}

TEST_F(Collection, APathWithATrailingSlashNamesNoFile) {
    put("a.spc", spc("A", 1));
    const Outcome r = run(dir, {"a.spc/", "a.spc/."});
    EXPECT_EQ(r.out, "a.spc is not an SPC\na.spc is not an SPC\n");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(fs::exists(dir + "/a.spc"));
}

TEST_F(Collection, OutputThatCannotBeWrittenEndsTheRunWithAMessage) {
    put("a.spc", spc("A", 1));
    RunSetup toFull;
    toFull.inChild = [] {
        const int full = open("/dev/full", O_WRONLY);
        if (full < 0 || dup2(full, 1) < 0) _exit(125);
    };
    const Outcome full = run(dir, {"a.spc"}, toFull);
    EXPECT_EQ(full.exitCode, 1);
    EXPECT_NE(full.err.find("cannot write standard output"), std::string::npos) << full.err;
    EXPECT_TRUE(fs::exists(dir + "/1 - A.spc"));  // done before the output failed, and journaled

    put("b.spc", spc("B", 2));
    RunSetup closed;
    closed.inChild = [] { close(1); };
    const Outcome shut = run(dir, {"b.spc"}, closed);
    EXPECT_EQ(shut.exitCode, 1);
    EXPECT_NE(shut.err.find("standard output is closed"), std::string::npos) << shut.err;
    EXPECT_TRUE(fs::exists(dir + "/b.spc"));

    // A reader that went away (`| head`): SIGPIPE ends the run without a
    // word, as it ends every Unix tool, after the file it was on.
    RunSetup readerGone;
    readerGone.inChild = [] {
        int ends[2];
        if (pipe(ends) != 0 || dup2(ends[1], 1) < 0) _exit(125);
        close(ends[0]);
        close(ends[1]);
    };
    const Outcome gone = run(dir, {"b.spc"}, readerGone);
    EXPECT_EQ(gone.signal, SIGPIPE);
    EXPECT_EQ(gone.err, "");
    EXPECT_TRUE(fs::exists(dir + "/2 - B.spc"));
}

TEST_F(Collection, ProgressShowsOnATerminalOnlyWhenTheLinesGoElsewhereAndIsErasedAtTheEnd) {
    const spcbuild::Bytes song = spc("Song");
    for (int i = 0; i < 1500; ++i) putIn("set/p-" + std::to_string(10000 + i) + ".spc", song);
    std::string shown;
    const Outcome r = runOnTerminal({"-r", "--dry-run", "set"}, [] {}, shown);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(shown.find(" of 1500 files"), std::string::npos) << shown;
    // Erased before the summary, the one line that stays.
    const std::string ending = "\r\033[Kbrindlemark: 1500 would be renamed\r\n";
    ASSERT_GE(shown.size(), ending.size()) << shown;
    EXPECT_EQ(shown.substr(shown.size() - ending.size()), ending) << shown;
    EXPECT_EQ(r.err, "");
}

TEST_F(Collection, ARunOfMoreThanOneFileEndsWithASummaryOnATerminal) {
    putIn("set/good1.spc", spc("A", 1));
    putIn("set/good2.spc", spc("B", 2));
    putIn("set/3 - C.spc", spc("C", 3));  // already so named
    putIn("set/taken.spc", spc("Dup", 5));
    put("set/5 - Dup.spc", std::string("keep me"));
    putIn("set/partial.spc", spc("Part"));
    const std::string kept = "1 missing items, 1 name taken, 1 not SPC";
    struct Case {
        std::vector<std::string> args;
        bool onTerminal;
        std::string summary;  // empty: none
    };
    for (const Case& c : std::vector<Case>{
             {{"-r", "--dry-run", "set"}, true, "2 would be renamed, 1 already so named, 3 would keep their names: " + kept},
             {{"-r", "--dry-run", "set"}, false, ""},
             {{"--dry-run", "set/good1.spc"}, true, ""},
             {{"-r", "--json", "--dry-run", "set"}, true, "2 would be renamed, 1 already so named, 3 would keep their names: " + kept},
             {{"-r", "set"}, true, "2 renamed, 1 already so named, 3 kept their names: " + kept},
             {{"--undo"}, true, "2 moved back"},
         }) {
        std::string shown;
        const Outcome r = c.onTerminal ? runOnTerminal(c.args, [] {}, shown) : run(dir, c.args);
        const std::string stderrText = c.onTerminal ? shown : r.err;
        const std::size_t at = stderrText.find("brindlemark: ");
        if (c.summary.empty()) {
            EXPECT_EQ(at, std::string::npos) << c.args.back() << ": " << stderrText;
        } else {
            EXPECT_NE(stderrText.find("brindlemark: " + c.summary + "\r\n"), std::string::npos) << stderrText;
        }
        EXPECT_EQ(r.out.find(c.summary.empty() ? "brindlemark: " : c.summary), std::string::npos) << r.out;
    }
}

TEST_F(Collection, ARunStoppedHalfWayByAnySignalHasPrintedALineForEveryFileItRenamed) {
    constexpr int FILES = 3000;
    const spcbuild::Bytes song = spc("Song");
    for (const int signal : {SIGTERM, SIGHUP, SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM, SIGRTMIN + 1}) {
        const std::string set = "set" + std::to_string(signal);
        for (int i = 0; i < FILES; ++i) putIn(set + "/s-" + std::to_string(10000 + i) + ".spc", song);
        RunSetup stop;
        stop.stopOnOutput = true;  // some 120 lines in
        stop.stopSignal = signal;
        stop.inChild = [] {
            const rlimit noCore{0, 0};
            setrlimit(RLIMIT_CORE, &noCore);
        };
        const Outcome r = run(dir, {"-r", "--no-journal", set}, stop);
        EXPECT_EQ(r.signal, signal);

        std::set<std::string> printed;
        for (const std::string& line : linesOf(r.out)) {
            const std::size_t arrow = line.find(" -> ");
            ASSERT_NE(arrow, std::string::npos) << line;
            EXPECT_EQ(line.substr(arrow + 4), line.substr(2, 5) + " - Song.spc");
            printed.insert(line.substr(arrow + 4));
        }
        std::set<std::string> renamed;
        int untouched = 0;
        for (const auto& entry : fs::directory_iterator(dir + "/" + set)) {
            const std::string name = entry.path().filename().string();
            if (name.compare(0, 2, "s-") == 0) {
                ++untouched;
            } else {
                renamed.insert(name);
            }
        }
        EXPECT_EQ(renamed, printed) << "signal " << signal;
        EXPECT_EQ(untouched + static_cast<int>(renamed.size()), FILES) << "signal " << signal;
        EXPECT_GT(untouched, 0) << "the run ended before the signal; give it more files";
    }
}

TEST_F(Collection, AMessageOnStandardErrorNeverLandsOnTheProgressLine) {
    for (int i = 0; i < 200; ++i) putIn("set/p-" + std::to_string(10000 + i) + ".spc", spc("Song"));
    std::string shown;
    const Outcome r = runOnTerminal({"-r", "set"},
                                    [] {
                                        const rlimit limit{8000, 8000};  // the journal is cut some 40 records in
                                        setrlimit(RLIMIT_FSIZE, &limit);
                                    },
                                    shown);
    EXPECT_EQ(r.exitCode, 1);
    const std::size_t message = shown.find("brindlemark: cannot write the journal");
    ASSERT_NE(message, std::string::npos) << shown;
    ASSERT_NE(shown.find(" of 200 files"), std::string::npos) << "no progress line was drawn: " << shown;
    ASSERT_GE(message, 4u) << shown;
    EXPECT_EQ(shown.substr(message - 4, 4), "\r\033[K") << "the progress line was not taken away first: " << shown;
}

}  // namespace
