// Every rename run keeps a journal, and --undo gives the names back: after
// a whole run, after a run killed at any point, and never by replacing.

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <set>
#include <sstream>
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
    // The journals of the journal folder (not the pruning's mark), oldest first.
    std::vector<std::string> journals() {
        std::vector<std::string> found;
        for (const std::string& name : names("state/brindlemark/journal")) {
            if (name.size() > 8 && name.compare(name.size() - 8, 8, ".journal") == 0) found.push_back(name);
        }
        return found;
    }
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

    // Marked gone through, not undone: a plain --undo takes the run before
    // it (there is none), and the journal named by its path, as the message
    // says, retries only what is left.
    const std::string journal = (dir + "/state/brindlemark/journal/") + journals().front();
    EXPECT_NE(undo.err.find("2 files keep their new name; to try again: brindlemark --undo " + journal), std::string::npos)
        << undo.err;
    EXPECT_EQ(run({"--undo"}).out, "");
    fs::remove(dir + "/files/a.spc");
    const Outcome again = run({"--undo", journal});
    EXPECT_EQ(again.out, "1 - Alpha.spc -> a.spc\n2 - Beta.spc is no longer the renamed file\n");
    EXPECT_EQ(again.exitCode, 1);
    fs::rename(dir + "/files/mine.spc", dir + "/files/2 - Beta.spc");
    const Outcome last = run({"--undo", journal});
    EXPECT_EQ(last.out, "2 - Beta.spc -> b.spc\n");
    EXPECT_EQ(last.exitCode, 0) << last.err;
    EXPECT_EQ(journals().size(), 1u);
    EXPECT_EQ(run({"--undo", journal}).out, "") << "marked undone once nothing was left";
}

TEST_F(Undo, EachPlainUndoStepsBackOneRunAndPassesOverARunItWentThrough) {
    struct Step {
        const char* what;
        std::function<void()> before;
        std::vector<std::string> args;
        const char* out;
        int exitCode;
    };
    put("files/a.spc", spc("Alpha", 1));
    put("files/b.spc", spc("Beta", 2));
    put("files/c.spc", spc("Gamma", 3));
    for (const Step& step : std::vector<Step>{
             {"the first run", [] {}, {"a.spc"}, "a.spc -> 1 - Alpha.spc\n", 0},
             {"the second run", [] {}, {"b.spc", "c.spc"}, "c.spc -> 3 - Gamma.spc\nb.spc -> 2 - Beta.spc\n", 0},
             {"the second run, one file moved by hand",
              [&] { fs::rename(dir + "/files/3 - Gamma.spc", dir + "/files/away.spc"); }, {"--undo"},
              "2 - Beta.spc -> b.spc\n3 - Gamma.spc is no longer the renamed file\n", 1},
             {"the first run", [] {}, {"--undo"}, "1 - Alpha.spc -> a.spc\n", 0},
             {"nothing left", [] {}, {"--undo"}, "", 1},
         }) {
        step.before();
        const Outcome r = run(step.args);
        EXPECT_EQ(r.out, step.out) << step.what << ": " << r.err;
        EXPECT_EQ(r.exitCode, step.exitCode) << step.what << ": " << r.err;
    }
    // Pruning keeps the journal gone through, as one not undone.
    put("files/d.spc", spc("Delta", 4));
    ASSERT_EQ(run({"d.spc"}).exitCode, 0);
    EXPECT_EQ(journals().size(), 2u);
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
    full.inChild = [room] {  // SIGXFSZ as the shell leaves it: it would end the run
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
    constexpr int FILES = 6000;
    for (int i = 0; i < FILES; ++i) put("files/t-" + std::to_string(1000 + i) + ".spc", spc("Song"));
    const auto before = names("files");  // a rename changes no byte
    std::mt19937 random(std::random_device{}());
    for (int round = 0; round < 3; ++round) {
        RunSetup kill = setup;
        kill.stopAfterMs = std::uniform_int_distribution<int>(5, 40)(random);
        const Outcome killed = e2e::run(dir + "/files", {"-r", "."}, kill);
        EXPECT_EQ(killed.signal, SIGKILL) << "the run ended before it was killed; give it more files";
        const Outcome undo = run({"--undo"});
        EXPECT_EQ(names("files"), before) << "killed after " << kill.stopAfterMs << " ms; undo said " << undo.err;
    }
}

TEST_F(Undo, ARunWhoseEveryMoveWasRefusedLeavesNoJournalAndUndoTakesTheRunBefore) {
    put("files/a.spc", spc("Alpha", 1));
    ASSERT_EQ(run({"a.spc"}).exitCode, 0);
    put("files/b.spc", spc("Alpha", 1));  // its new name is taken
    ASSERT_EQ(run({"b.spc"}).out, "b.spc != 1 - Alpha.spc\n");
    const Outcome undo = run({"--undo"});
    EXPECT_EQ(undo.out, "1 - Alpha.spc -> a.spc\n");
    EXPECT_EQ(undo.exitCode, 0);
    EXPECT_EQ(journals().size(), 1u);  // the first run's, marked undone
}

TEST_F(Undo, RunsAreListedNewestFirstAndUndoTakesARunByItsNumber) {
    fs::create_directories(dir + "/files/sub");
    put("files/a.spc", spc("Alpha", 1));
    put("files/b.spc", spc("Beta", 2));
    put("files/c.spc", spc("Gamma", 3));
    put("files/sub/d.spc", spc("Delta", 4));
    put("files/2", std::string("no journal"));
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"a.spc"}, {"b.spc"}, {"c.spc", "sub/d.spc"}}) {
        ASSERT_EQ(run(args).exitCode, 0);
    }
    const std::string folder = dir + "/state/brindlemark/journal/";
    std::vector<std::string> journals;
    for (const std::string& name : this->journals()) journals.insert(journals.begin(), folder + name);
    ASSERT_EQ(journals.size(), 3u);
    struct Case {
        std::vector<std::string> args;
        const char* out;
        int exitCode;
        const char* says;  // on standard error
    };
    for (const Case& c : std::vector<Case>{
             {{"--undo", "02"}, "2 - Beta.spc -> b.spc\n", 0, ""},
             {{"--undo", "2"}, "", 0, "nothing is left to undo"},
             {{"--undo", "4"}, "", 1, "holds 3 runs"},
             {{"--undo", "0"}, "", 2, "numbered from 1"},
             {{"--undo", "00"}, "", 2, "numbered from 1"},
             {{"--undo", "./2"}, "", 1, "./2 is not a brindlemark journal"},
             {{"--runs", "a.spc"}, "", 2, "--runs takes no other option"},
         }) {
        const Outcome r = run(c.args);
        EXPECT_EQ(r.out, c.out) << c.args[1] << ": " << r.err;
        EXPECT_EQ(r.exitCode, c.exitCode) << c.args[1] << ": " << r.err;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << c.args[1] << ": " << r.err;
    }
    const Outcome listed = run({"--runs"});
    EXPECT_EQ(listed.exitCode, 0) << listed.err;
    // Each line: its number, the run's time ("2026-12-09 01:14:12"), then the rest.
    const struct {
        std::string before, after;
    } expected[] = {
        {"1  ", "  2 moves, 0 undone  2 folders  " + journals[0]},
        {"2  ", "  1 move, 1 undone  " + dir + "/files  " + journals[1]},
        {"3  ", "  1 move, 0 undone  " + dir + "/files  " + journals[2]},
    };
    const auto isTime = [](const std::string& text) {
        const std::string shape = "dddd-dd-dd dd:dd:dd";
        if (text.size() != shape.size()) return false;
        for (std::size_t i = 0; i < shape.size(); ++i) {
            const bool digit = text[i] >= '0' && text[i] <= '9';
            if (shape[i] == 'd' ? !digit : text[i] != shape[i]) return false;
        }
        return true;
    };
    std::istringstream lines(listed.out);
    std::string line;
    for (const auto& e : expected) {
        ASSERT_TRUE(std::getline(lines, line)) << listed.out;
        const std::size_t timeLength = 19;
        const bool matches = line.size() == e.before.size() + timeLength + e.after.size() &&
                             line.compare(0, e.before.size(), e.before) == 0 &&
                             isTime(line.substr(e.before.size(), timeLength)) &&
                             line.compare(e.before.size() + timeLength, std::string::npos, e.after) == 0;
        EXPECT_TRUE(matches) << line << "\n" << e.before << "TIME" << e.after;
    }
    EXPECT_FALSE(std::getline(lines, line)) << listed.out;
}

// A journal written by hand, record by record, and what undo makes of it
// (how its text is read, torn lines and refused moves among it, is tested
// with the journal reader).
class HandWritten : public Undo {
protected:
    std::string path(const std::string& name) { return dir + "/files/" + name; }
    // A journal of one record, as a run of that format writes it, of the move
    // of the file now at newName (or, if none is, at oldName) from oldName;
    // its device number moved by shift.
    std::string journal(const std::string& oldName, const std::string& newName, int format = 2, unsigned shift = 0) {
        struct statx info {};
        const std::string file = fs::exists(path(newName)) ? path(newName) : path(oldName);
        EXPECT_EQ(statx(AT_FDCWD, file.c_str(), AT_SYMLINK_NOFOLLOW, STATX_BASIC_STATS | STATX_BTIME, &info), 0);
        const auto device = static_cast<unsigned long long>(makedev(info.stx_dev_major, info.stx_dev_minor) + shift);
        const auto inode = static_cast<unsigned long long>(info.stx_ino);
        char birth[48] = "-", text[200];
        if ((info.stx_mask & STATX_BTIME) != 0) {
            std::snprintf(birth, sizeof birth, "%lld.%09u", static_cast<long long>(info.stx_btime.tv_sec), info.stx_btime.tv_nsec);
        }
        if (format == 1) {
            std::snprintf(text, sizeof text, "brindlemark journal 1\nmove\t%llu\t%llu\t", device, inode);
        } else {
            std::snprintf(text, sizeof text, "brindlemark journal 2\nmove\t%llu\t%llu\t%s\t%lld.%09u\t%llu\t", device, inode,
                          birth, static_cast<long long>(info.stx_mtime.tv_sec), info.stx_mtime.tv_nsec,
                          static_cast<unsigned long long>(info.stx_size));
        }
        return text + path(oldName) + "\t" + path(newName) + "\n";
    }
};

TEST_F(HandWritten, UndoMovesBackOnlyTheFileTheRunMovedWithinItsFolder) {
    struct Case {
        const char* what;
        std::function<std::string()> journal;  // called with b.spc in files/
        const char* out;
        int exitCode;
        std::set<std::string> names;  // of files/ afterwards
    };
    // Where the file system keeps birth times, the file written to since is
    // still the one the run moved.
    struct statx birth {};
    statx(AT_FDCWD, dir.c_str(), 0, STATX_BTIME, &birth);
    const bool birthKept = (birth.stx_mask & STATX_BTIME) != 0;
    for (const Case& c : std::vector<Case>{
             {"as written", [&] { return journal("a.spc", "b.spc"); }, "b.spc -> a.spc\n", 0, {"a.spc"}},
             {"new device number", [&] { return journal("a.spc", "b.spc", 2, 1); }, "b.spc -> a.spc\n", 0, {"a.spc"}},
             {"format 1", [&] { return journal("a.spc", "b.spc", 1); }, "b.spc -> a.spc\n", 0, {"a.spc"}},
             {"format 1, another device", [&] { return journal("a.spc", "b.spc", 1, 1); },
              "b.spc is no longer the renamed file\n", 1, {"b.spc"}},
             {"written to since",
              [&] {
                  const std::string text = journal("a.spc", "b.spc");
                  std::fstream(path("b.spc"), std::ios::in | std::ios::out | std::ios::binary) << "x";  // same size
                  return text;
              },
              birthKept ? "b.spc -> a.spc\n" : "b.spc is no longer the renamed file\n", birthKept ? 0 : 1,
              {birthKept ? "a.spc" : "b.spc"}},
             {"another file under the new name",
              [&] {
                  const std::string text = journal("a.spc", "b.spc");
                  const auto written = fs::last_write_time(path("b.spc"));
                  fs::remove(path("b.spc"));  // its inode number free for the next file
                  put("files/b.spc", spc("Beta", 2));  // the same bytes, the same time: only its birth differs
                  fs::last_write_time(path("b.spc"), written);
                  return text;
              },
              "b.spc is no longer the renamed file\n", 1, {"b.spc"}},
             {"a move never made",
              [&] {
                  fs::rename(path("b.spc"), path("a.spc"));
                  return journal("a.spc", "b.spc");
              },
              "a.spc still bears its old name\n", 0, {"a.spc"}},
             {"paths in two folders", [&] { return journal("../a.spc", "b.spc", 1); }, "b.spc != a.spc\n", 1, {"b.spc"}},
             {"both names: killed between link and unlink",
              [&] {
                  fs::create_hard_link(path("b.spc"), path("a.spc"));
                  return journal("a.spc", "b.spc", 1);
              },
              "b.spc -> a.spc\n", 0, {"a.spc"}},
         }) {
        fs::remove_all(dir + "/files");
        fs::create_directories(dir + "/files");
        put("files/b.spc", spc("Beta", 2));
        const std::string text = c.journal();
        fs::remove(dir + "/hand.journal");
        put("hand.journal", text);
        chmod((dir + "/hand.journal").c_str(), 0600);
        const Outcome undo = run({"--undo", dir + "/hand.journal"});
        EXPECT_EQ(undo.out, c.out) << c.what << "; " << undo.err;
        EXPECT_EQ(undo.exitCode, c.exitCode) << c.what << "; " << undo.err;
        EXPECT_EQ(names("files"), c.names) << c.what;
    }
}

TEST_F(Undo, PlainUndoPassesOverRunsWithNothingToUndoAndStopsAtAJournalItMayNotUse) {
    const std::string folder = dir + "/state/brindlemark/journal";
    int held = -1;
    struct Case {
        const char* what;
        std::function<void(const std::string& newest)> change;
        const char* undoSays;  // nullptr: the run before is undone
        bool runRenames;
    };
    const auto rewrite = [](const char* text) {
        return [text](const std::string& newest) { std::ofstream(newest, std::ios::trunc) << text; };
    };
    for (const Case& c : std::vector<Case>{
             {"newest without moves", rewrite("brindlemark journal 2\n"), nullptr, true},
             {"newest undone", [](const std::string& p) { std::ofstream(p, std::ios::app) << "undone\n"; }, nullptr, true},
             {"newest no journal", rewrite("hello\n"), "is not a brindlemark journal", true},
             {"newest others may write", [](const std::string& p) { chmod(p.c_str(), 0666); }, "may be written by other users",
              true},
             {"newest in use",
              [&held](const std::string& newest) {
                  held = open(newest.c_str(), O_RDONLY | O_CLOEXEC);  // as a running run holds it
                  flock(held, LOCK_EX);
              },
              "in use", true},
             {"folder others may write", [&](const std::string&) { chmod(folder.c_str(), 0777); },
              "may be written by other users", false},
             {"folder of another user",
              [&](const std::string&) {
                  if (geteuid() != 0) return (void)chmod(folder.c_str(), 0720);
                  chown(folder.c_str(), 65534, 65534);
              },
              geteuid() == 0 ? "belongs to user 65534" : "may be written", false},
         }) {
        fs::remove_all(dir + "/state");
        fs::remove_all(dir + "/files");
        fs::create_directories(dir + "/files");
        put("files/a.spc", spc("Alpha", 1));
        put("files/b.spc", spc("Beta", 2));
        ASSERT_EQ(run({"a.spc"}).exitCode, 0);
        ASSERT_EQ(run({"b.spc"}).exitCode, 0);
        for (const std::string& made : {dir + "/state", dir + "/state/brindlemark", folder}) {
            EXPECT_EQ(fs::status(made).permissions(), fs::perms::owner_all) << made;
        }
        std::set<std::string> journals;
        for (const auto& entry : fs::directory_iterator(folder)) journals.insert(entry.path().string());
        c.change(*journals.rbegin());

        const Outcome undo = run({"--undo"});
        EXPECT_EQ(undo.out, c.undoSays != nullptr ? "" : "1 - Alpha.spc -> a.spc\n") << c.what;
        EXPECT_EQ(undo.exitCode, c.undoSays != nullptr ? 1 : 0) << c.what;
        if (c.undoSays != nullptr) {
            EXPECT_NE(undo.err.find(c.undoSays), std::string::npos) << c.what << ": " << undo.err;
            EXPECT_NE(undo.err.find("nothing was undone"), std::string::npos) << c.what << ": " << undo.err;
        }
        if (held >= 0) close(held);
        held = -1;
        put("files/c.spc", spc("Gamma", 3));
        EXPECT_EQ(run({"c.spc"}).exitCode, c.runRenames ? 0 : 1) << c.what;
        EXPECT_EQ(fs::exists(dir + "/files/c.spc"), !c.runRenames) << c.what;
    }
}

TEST_F(HandWritten, ADryUndoOfAFileThatBearsBothNamesAsksWhetherTheNewOneCanGo) {
    struct Case {
        const char* what;
        mode_t folderMode;
        const char* out;
        int exitCode;
    };
    for (const Case& c : std::vector<Case>{
             {"a folder it may write", 0755, "b.spc -> a.spc\n", 0},
             {"a folder it may not write", 0555, "b.spc != a.spc\n", 1},
         }) {
        fs::remove_all(dir + "/files");
        fs::create_directories(dir + "/files");
        put("files/b.spc", spc("Beta", 2));
        fs::create_hard_link(path("b.spc"), path("a.spc"));  // killed between link and unlink
        put("hand.journal", journal("a.spc", "b.spc"));
        chmod(dir.c_str(), 0755);
        chmod((dir + "/hand.journal").c_str(), 0600);
        chmod((dir + "/files").c_str(), c.folderMode);
        RunSetup nobody = setup;
        nobody.asNobody = true;
        if (geteuid() == 0) {
            for (const char* owned : {"hand.journal", "files"}) chown((dir + "/" + owned).c_str(), 65534, 65534);
        }
        const Outcome asked = e2e::run(dir + "/files", {"--undo", "--dry-run", dir + "/hand.journal"}, nobody);
        const Outcome real = e2e::run(dir + "/files", {"--undo", dir + "/hand.journal"}, nobody);
        chmod((dir + "/files").c_str(), 0755);
        EXPECT_EQ(asked.out, c.out) << c.what << ": " << asked.err;
        EXPECT_EQ(real.out, c.out) << c.what << ": " << real.err;
        EXPECT_EQ(asked.exitCode, c.exitCode) << c.what;
        EXPECT_EQ(real.exitCode, c.exitCode) << c.what;
    }
}

TEST_F(HandWritten, ADryRunAsksOfTheJournalWhatTheRealRunWillFind) {
    struct Case {
        const char* what;
        std::function<void()> prepare;
        std::vector<std::string> args;
        int exitCode;
        bool asNobody = false;  // when run by root: as the unprivileged user, whose state folder is state/nobody
    };
    const std::string named = dir + "/named.journal", state = dir + "/state";
    const std::string nobodyState = geteuid() == 0 ? state + "/nobody" : state;
    // The journal folder of the user who runs, private to that user and of the given mode.
    const auto privateFolder = [&](mode_t mode) {
        fs::create_directories(nobodyState + "/brindlemark/journal");
        chmod(dir.c_str(), 0755);
        chmod(state.c_str(), 0755);
        if (geteuid() == 0) {
            for (const std::string& owned : {nobodyState, nobodyState + "/brindlemark", nobodyState + "/brindlemark/journal",
                                             dir + "/files", dir + "/files/a.spc"}) {
                chown(owned.c_str(), 65534, 65534);
            }
        }
        chmod((nobodyState + "/brindlemark/journal").c_str(), mode);
    };
    for (const Case& c : std::vector<Case>{
             {"a journal folder to make", [] {}, {"a.spc"}, 0},
             {"a file in its place", [&] { fs::create_directories(state), put("state/brindlemark", std::string("x")); }, {"a.spc"}, 1},
             {"a journal folder others may write",
              [&] {
                  fs::create_directories(state + "/brindlemark/journal");
                  chmod((state + "/brindlemark/journal").c_str(), 0777);
              },
              {"a.spc"}, 1},
             {"a journal folder its group may write",
              [&] {
                  fs::create_directories(state + "/brindlemark/journal");
                  chmod((state + "/brindlemark/journal").c_str(), 0770);
              },
              {"a.spc"}, 1},
             {"a journal folder through a dangling link (an unmounted drive)",
              [&] {
                  fs::create_directories(state + "/brindlemark");
                  fs::create_directory_symlink(dir + "/unmounted", state + "/brindlemark/journal");
              },
              {"a.spc"}, 1},
             {"a private journal folder it may not list", [&] { privateFolder(0300); }, {"a.spc"}, 1, true},
             {"a private journal folder", [&] { privateFolder(0700); }, {"a.spc"}, 0, true},
             {"--journal FILE", [] {}, {"--journal", named, "a.spc"}, 0},
             {"--journal FILE taken", [&] { put("named.journal", std::string("mine")); }, {"--journal", named, "a.spc"}, 1},
             {"--journal FILE in no folder", [] {}, {"--journal", dir + "/none/x.journal", "a.spc"}, 1},
         }) {
        fs::remove_all(state);
        fs::remove(named);
        fs::remove_all(dir + "/files");
        fs::create_directories(dir + "/files");
        put("files/a.spc", spc("Alpha", 1));
        c.prepare();
        std::vector<std::string> dry{"--dry-run"};
        dry.insert(dry.end(), c.args.begin(), c.args.end());
        RunSetup who = setup;
        who.asNobody = c.asNobody;
        const Outcome asked = e2e::run(dir + "/files", dry, who), real = e2e::run(dir + "/files", c.args, who);
        EXPECT_EQ(asked.out, real.out) << c.what;
        EXPECT_EQ(asked.exitCode, c.exitCode) << c.what << ": " << asked.err;
        EXPECT_EQ(real.exitCode, c.exitCode) << c.what << ": " << real.err;
    }

    // An undo that could not mark its journal undone undoes nothing; its dry run says so.
    if (geteuid() != 0) GTEST_SKIP() << "a journal its owner may not write needs root to set up";
    chmod(dir.c_str(), 0755);
    put("files/b.spc", spc("Beta", 2));
    put("readonly.journal", journal("a.spc", "b.spc"));
    for (const char* name : {"files", "files/b.spc", "readonly.journal"}) chown((dir + "/" + name).c_str(), 65534, 65534);
    chmod((dir + "/readonly.journal").c_str(), 0400);
    RunSetup nobody = setup;
    nobody.asNobody = true;
    const Outcome asked = e2e::run(dir + "/files", {"--undo", "--dry-run", dir + "/readonly.journal"}, nobody);
    const Outcome real = e2e::run(dir + "/files", {"--undo", dir + "/readonly.journal"}, nobody);
    EXPECT_EQ(asked.out, real.out);
    EXPECT_EQ(asked.exitCode, 1) << asked.err;
    EXPECT_EQ(real.exitCode, 1) << real.err;
    EXPECT_NE(real.err.find("cannot mark the journal"), std::string::npos) << real.err;
    EXPECT_TRUE(fs::exists(dir + "/files/b.spc"));
}

}  // namespace
