// Every rename run keeps a journal, and --undo gives the names back: after
// a whole run, after a run killed at any point, and never by replacing.

#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "tests/e2e/console_support.h"

namespace {

namespace fs = std::filesystem;
using e2e::Outcome;
using e2e::RunSetup;
using e2e::spc;

class Undo : public e2e::Folder {
protected:
    void SetUp() override {
        e2e::Folder::SetUp();
        fs::create_directories(dir + "/files");
        setup.environment = {{"XDG_STATE_HOME", dir + "/state"}};
    }
    Outcome run(const std::vector<std::string>& args) { return e2e::run(dir + "/files", args, setup); }
    RunSetup setup;
};

TEST_F(Undo, GivesBackEveryNameAndEveryByteAndTakesTheRunsLastFirst) {
    const std::vector<std::string> odd{"new\nline-01.spc", "tab\there-02.spc", "back\\slash-03.spc",
                                       "\xe8\x81\x96\xe5\x89\xa3-04.spc"};
    for (const std::string& name : odd) put("files/" + name, spc("Odd"));
    const auto before = snapshot("files");
    ASSERT_EQ(run({"--format", "%S %N"}).exitCode, 2);  // no FILE: usage
    std::vector<std::string> args{"--format", "%S %N"};
    args.insert(args.end(), odd.begin(), odd.end());
    ASSERT_EQ(run(args).exitCode, 0);

    put("files/second.spc", spc("Second", 7));
    ASSERT_EQ(run({"second.spc"}).out, "second.spc -> 7 - Second.spc\n");

    const Outcome first = run({"--undo"});  // the newest run first
    EXPECT_EQ(first.out, "7 - Second.spc -> second.spc\n");
    EXPECT_EQ(first.exitCode, 0);
    const Outcome dry = run({"--undo", "--dry-run"});
    EXPECT_EQ(dry.out, "Odd 01.spc -> new\nline-01.spc\nOdd 02.spc -> tab\there-02.spc\n"
                       "Odd 03.spc -> back\\slash-03.spc\nOdd 04.spc -> \xe8\x81\x96\xe5\x89\xa3-04.spc\n");
    const Outcome second = run({"--undo"});
    EXPECT_EQ(second.out, dry.out);
    EXPECT_EQ(second.exitCode, 0);
    fs::remove(dir + "/files/second.spc");
    EXPECT_EQ(snapshot("files"), before);

    const Outcome none = run({"--undo"});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_NE(none.err.find("no run to undo"), std::string::npos);
}

TEST_F(Undo, NeverReplacesAndLeavesAFileRenamedSinceAlone) {
    put("files/a.spc", spc("Alpha", 1));
    put("files/b.spc", spc("Beta", 2));
    put("files/c.spc", spc("Gamma", 3));
    ASSERT_EQ(run({"a.spc", "b.spc", "c.spc"}).exitCode, 0);
    put("files/a.spc", std::string("a newer a.spc"));   // a file created at an old name
    fs::rename(dir + "/files/2 - Beta.spc", dir + "/files/mine.spc");  // renamed again by the user

    const Outcome undo = run({"--undo"});
    // The batch renamed c.spc first, so its undo takes a.spc first.
    EXPECT_EQ(undo.out, "1 - Alpha.spc != a.spc\n2 - Beta.spc is no longer the renamed file\n"
                        "3 - Gamma.spc -> c.spc\n");
    EXPECT_EQ(undo.exitCode, 1);
    EXPECT_EQ(read("files/a.spc"), spcbuild::Bytes({'a', ' ', 'n', 'e', 'w', 'e', 'r', ' ', 'a', '.', 's', 'p', 'c'}));
    EXPECT_EQ(read("files/1 - Alpha.spc"), spc("Alpha", 1));
    EXPECT_EQ(read("files/mine.spc"), spc("Beta", 2));

    // Not marked undone: the same run again does only what is left.
    fs::remove(dir + "/files/a.spc");
    const Outcome again = run({"--undo"});
    EXPECT_EQ(again.out, "1 - Alpha.spc -> a.spc\n2 - Beta.spc is no longer the renamed file\n"
                         "c.spc still bears its old name\n");
}

TEST_F(Undo, ANameFreedAndTakenAgainInOneRunIsGivenBackInTurn) {
    put("files/a.spc", spc("b"));
    put("files/c.spc", spc("a"));
    ASSERT_EQ(run({"--format", "%S", "c.spc", "a.spc"}).out, "a.spc -> b.spc\nc.spc -> a.spc\n");
    const Outcome dry = run({"--undo", "--dry-run"});
    EXPECT_EQ(dry.out, "a.spc -> c.spc\nb.spc -> a.spc\n");
    EXPECT_EQ(run({"--undo"}).out, dry.out);
    EXPECT_EQ(read("files/a.spc"), spc("b"));
    EXPECT_EQ(read("files/c.spc"), spc("a"));
}

TEST_F(Undo, AJournalThatCannotBeWrittenRenamesNothingFurther) {
    put("files/a.spc", spc("Alpha", 1));
    put("files/b.spc", spc("Beta", 2));
    put("state", std::string("a file where the state folder should be"));
    const Outcome noFolder = run({"a.spc", "b.spc"});
    EXPECT_EQ(noFolder.out, "");
    EXPECT_NE(noFolder.err.find("nothing was renamed"), std::string::npos) << noFolder.err;
    EXPECT_EQ(noFolder.exitCode, 1);
    EXPECT_TRUE(fs::exists(dir + "/files/a.spc") && fs::exists(dir + "/files/b.spc"));
    put("taken.journal", std::string("someone's file"));
    EXPECT_EQ(run({"--journal", dir + "/taken.journal", "a.spc"}).exitCode, 1);  // never written over
    EXPECT_EQ(read("taken.journal"), spcbuild::Bytes({'s', 'o', 'm', 'e', 'o', 'n', 'e', '\'', 's', ' ', 'f', 'i', 'l', 'e'}));

    // A full disk after the first record: that move is made, none after it.
    RunSetup full = setup;
    // Room for the header and the first record (some 80 bytes and its two
    // paths), not for the second.
    const rlim_t room = 150 + 2 * (dir.size() + 7) + 19;
    full.inChild = [room] {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{room, room};
        setrlimit(RLIMIT_FSIZE, &limit);
    };
    const Outcome cut = e2e::run(dir + "/files", {"--journal", dir + "/run.journal", "a.spc", "b.spc"}, full);
    EXPECT_EQ(cut.out, "b.spc -> 2 - Beta.spc\na.spc != 1 - Alpha.spc\n");
    EXPECT_NE(cut.err.find("cannot write the journal"), std::string::npos) << cut.err;
    EXPECT_EQ(cut.exitCode, 1);
    EXPECT_EQ(run({"--undo", dir + "/run.journal"}).out, "2 - Beta.spc -> b.spc\n");
}

TEST_F(Undo, ARunKilledAtAnyPointIsUndoneWhole) {
    constexpr int kFiles = 2000;
    for (int i = 0; i < kFiles; ++i) put("files/t-" + std::to_string(1000 + i) + ".spc", spc("Song"));
    const auto before = names("files");  // a rename changes no byte
    std::mt19937 random(std::random_device{}());
    for (int round = 0; round < 3; ++round) {
        RunSetup kill = setup;
        kill.stopAfterMs = std::uniform_int_distribution<int>(5, 60)(random);
        const Outcome killed = e2e::run(dir + "/files", {"-r", "."}, kill);
        EXPECT_EQ(killed.signal, SIGKILL) << "the run ended before it was killed; give it more files";
        const Outcome undo = run({"--undo"});
        EXPECT_EQ(names("files"), before) << "killed after " << kill.stopAfterMs << " ms; undo said " << undo.err;
    }
}

}  // namespace
