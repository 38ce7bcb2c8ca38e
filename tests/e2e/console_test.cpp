// Runs the built brindlemark on real files in temporary folders.

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "tests/e2e/console_support.h"

namespace {

namespace fs = std::filesystem;
using e2e::Outcome;
using e2e::run;
using e2e::spc;
using spcbuild::Bytes;

class Console : public e2e::Folder {
protected:
    // A dry run prints what the real run then prints, and changes nothing.
    Outcome dryThenReal(const std::vector<std::string>& args) {
        std::vector<std::string> dry{"--dry-run"};
        dry.insert(dry.end(), args.begin(), args.end());
        const auto before = snapshot();
        const Outcome pretended = run(dir, dry);
        EXPECT_EQ(snapshot(), before);
        const Outcome real = run(dir, args);
        EXPECT_EQ(pretended.out, real.out);
        EXPECT_EQ(pretended.exitCode, real.exitCode);
        return real;
    }
};

TEST_F(Console, TakesTheLastDroppedFileFirst) {
    put("a.spc", spc("Alpha", 1));
    put("b.spc", spc("Beta", 2));
    put("c.spc", spc("Gamma", 3));
    const Bytes beta = read("b.spc");
    const Outcome r = dryThenReal({"a.spc", dir + "/b.spc", "./c.spc"});
    EXPECT_EQ(r.out, "c.spc -> 3 - Gamma.spc\nb.spc -> 2 - Beta.spc\na.spc -> 1 - Alpha.spc\n");
    EXPECT_EQ(names(), (std::set<std::string>{"1 - Alpha.spc", "2 - Beta.spc", "3 - Gamma.spc"}));
    EXPECT_EQ(read("2 - Beta.spc"), beta);
}

TEST_F(Console, EveryOutcomeHasItsLineAndAnExistingTargetIsLeftIntact) {
    put("good.spc", spc("Good", 1));
    put("taken.spc", spc("Dup", 5));
    put("5 - Dup.spc", std::string("keep me"));
    put("partial.spc", spc("Part"));
    put("blank.spc", spc(""));
    put("notes.txt", std::string("not a sound file"));
    put("long.spc", spc(std::string(250, 'L'), 9));
    const Bytes taken = read("taken.spc");
    const Outcome r =
        dryThenReal({"notes.txt", "blank.spc", "partial.spc", "taken.spc", "long.spc", "good.spc"});
    EXPECT_EQ(r.out,
              "good.spc -> 1 - Good.spc\n"
              "long.spc path and filename is more than 255 characters\n"
              "taken.spc != 5 - Dup.spc\n"
              "partial.spc - ID666 tag was missing some items\n"
              "blank.spc - ID666 tag did not contain any information\n"
              "notes.txt is not an SPC\n");
    EXPECT_EQ(read("5 - Dup.spc"), Bytes({'k', 'e', 'e', 'p', ' ', 'm', 'e'}));
    EXPECT_EQ(read("taken.spc"), taken);
    EXPECT_EQ(names(), (std::set<std::string>{"1 - Good.spc", "taken.spc", "5 - Dup.spc", "partial.spc",
                                              "blank.spc", "notes.txt", "long.spc"}));
}

TEST_F(Console, AnUnusableTemplateEndsTheBatch) {
    put("a.spc", spc("Alpha", 1));
    put("b.txt", std::string("text"));
    put("x-07.spc", spc("Seven"));
    EXPECT_EQ(run(dir, {"--format", "literal", "a.spc", "b.txt"}).out,
              "b.txt is not an SPC\nRename format is invalid\n");
    // A track from the file name alone takes nothing from the tag.
    EXPECT_EQ(run(dir, {"--format", "%N", "a.spc", "x-07.spc"}).out, "Rename format is invalid\n");
    EXPECT_EQ(names(), (std::set<std::string>{"a.spc", "b.txt", "x-07.spc"}));
}

TEST_F(Console, NamesTakenAndFreedWithinOneDropCount) {
    put("x.spc", spc("Same", 1));
    put("y.spc", spc("Same", 1));
    const Bytes x = read("x.spc"), y = read("y.spc");
    EXPECT_EQ(dryThenReal({"x.spc", "y.spc"}).out, "y.spc -> 1 - Same.spc\nx.spc != 1 - Same.spc\n");
    EXPECT_EQ(read("x.spc"), x);
    EXPECT_EQ(read("1 - Same.spc"), y);

    // A name given up earlier in the drop can be taken later in it.
    put("1 - A.spc", spc("B", 2));
    put("z.spc", spc("A", 1));
    EXPECT_EQ(dryThenReal({"z.spc", "1 - A.spc"}).out, "1 - A.spc -> 2 - B.spc\nz.spc -> 1 - A.spc\n");
}

TEST_F(Console, NewPathsOfUpTo255CharactersAreUsed) {
    const std::size_t songFor255 = 255 - dir.size() - 1 - 4;
    ASSERT_LE(songFor255 + 4, 255u);
    put("a.spc", spc(std::string(songFor255, 'a'), 1));
    put("b.spc", spc(std::string(songFor255 + 1, 'b'), 1));
    const Outcome r = run(dir, {"--format", "%S", "a.spc", "b.spc"});
    EXPECT_EQ(r.out, "b.spc path and filename is more than 255 characters\n"
                     "a.spc -> " + std::string(songFor255, 'a') + ".spc\n");
    EXPECT_EQ(names(), (std::set<std::string>{std::string(songFor255, 'a') + ".spc", "b.spc"}));
}

TEST_F(Console, ADroppedPathTooLongForTheDropIsNeverTakenForTheFileItWasCutTo) {
    // The drop gives 254 characters of a path; cut there, this path names
    // another SPC file of the folder, which must stay as it is. The line
    // names the file dropped.
    const std::string cutName(254 - dir.size() - 1, 'c');
    put(cutName, spc("Other", 1));
    put(cutName + "x.spc", spc("Dropped", 2));
    EXPECT_EQ(run(dir, {cutName + "x.spc"}).out, cutName + "x.spc is not an SPC\n");
    EXPECT_EQ(names(), (std::set<std::string>{cutName, cutName + "x.spc"}));
}

TEST_F(Console, UnsafeCharactersBecomeUnderscoresAndFilesStayInTheirFolder) {
    put("odd.spc", spc("a/b\\c:d*e?f\"g<h>i|j~\x7f\xe9\x01", 1));
    put("pair.spc", spc("Song", 0, "Game"));
    const Outcome r = run(dir, {"odd.spc"});
    const std::string cleaned = "1 - a_b_c_d_e_f_g_h_i_j~\x7f__.spc";
    EXPECT_EQ(r.out, "odd.spc -> " + cleaned + "\n");
    EXPECT_EQ(run(dir, {"--format", "%S/%G", "pair.spc"}).out, "pair.spc -> Song_Game.spc\n");
    EXPECT_EQ(names(), (std::set<std::string>{cleaned, "Song_Game.spc"}));
}

TEST_F(Console, OnlyTheFirstThirtyTemplateCharactersCount) {
    put("a.spc", spc("Title", 0, "Game"));
    const std::string first30 = "%S" + std::string(28, '+');
    EXPECT_EQ(run(dir, {"--format", first30 + "%G", "a.spc"}).out,
              "a.spc -> Title" + std::string(28, '+') + ".spc\n");
}

TEST_F(Console, FoldersPipesAndMissingOrUnreadableFilesAreNotSpcs) {
    fs::create_directory(dir + "/folder.spc");
    ASSERT_EQ(mkfifo((dir + "/pipe.spc").c_str(), 0666), 0);
    put("locked.spc", spc("Locked", 1));
    chmod((dir + "/locked.spc").c_str(), 0);
    chmod(dir.c_str(), 0777);
    const Outcome r = run(dir, {"folder.spc", "pipe.spc", "gone.spc", "locked.spc"}, true);
    EXPECT_EQ(r.out, "locked.spc is not an SPC\ngone.spc is not an SPC\n"
                     "pipe.spc is not an SPC\nfolder.spc is not an SPC\n");
    EXPECT_EQ(names(), (std::set<std::string>{"folder.spc", "pipe.spc", "locked.spc"}));
}

TEST_F(Console, ShowPrintsEachRecordAsOneAsciiJsonLine) {
    spcbuild::TextTag tag;
    tag.song = "q\"b\\s\x01\xe9";
    tag.game = "Game";
    tag.artist = "Artist";
    tag.date = "12/25/1999";
    tag.seconds = "180";
    tag.fadeMs = "10000";
    tag.emulator = '2';
    put("a.spc", spcbuild::spcWithTextTag(tag));
    put("notes.txt", std::string("text"));
    const Outcome r = run(dir, {"--show", "a.spc", "notes.txt", "gone.spc"});
    EXPECT_EQ(r.exitCode, 1);  // two FILEs were not recognised
    EXPECT_EQ(run(dir, {"--show", "a.spc"}).exitCode, 0);
    EXPECT_EQ(run(dir, {"--json", "--show", "a.spc", "notes.txt", "gone.spc"}).out, r.out) << "--show prints JSON already";
    EXPECT_EQ(r.out,
              "{\"path\": \"a.spc\", \"kind\": 1, \"binaryFormat\": 0, \"textEncoding\": \"windows-1252\", "
              "\"song\": \"q\\\"b\\\\s\\u0001\\u00e9\", "
              "\"songBase64\": \"cSJiXHMB6Q==\", "
              "\"game\": \"Game\", \"artist\": \"Artist\", \"dumper\": \"\", \"comments\": \"\", "
              "\"ostTitle\": \"\", \"publisher\": \"\", \"dateText\": \"\", "
              "\"date\": {\"year\": 1999, \"month\": 12, \"day\": 25}, \"copyrightYear\": 0, "
              "\"ostTrack\": 0, \"ostDisc\": 0, \"mutedVoices\": 0, \"emulator\": 2, "
              "\"amplification\": 0, \"introLength\": 11520000, \"loopLength\": 0, \"loopCount\": 1, "
              "\"endLength\": 0, \"fadeLength\": 640000}\n"
              "{\"path\": \"notes.txt\", \"kind\": -1}\n"
              "{\"path\": \"gone.spc\", \"kind\": 0}\n");
}

TEST_F(Console, UsageErrorsExitWithTwo) {
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {}, {"--bogus", "a.spc"}, {"--dry-run"}, {"a.spc", "--format"}, {"--show", "--dry-run", "a.spc"},
             {"--show", "--fix-conflicts", "a.spc"}, {"--undo", "--fix-conflicts"}}) {
        const Outcome r = run(dir, args);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find("Usage: brindlemark"), std::string::npos);
    }
    const struct {
        std::vector<std::string> args;
        const char* message;
    } named[] = {
        {{"-x", "a.spc"}, "unknown option -x"},
        {{"-rx", "a.spc"}, "unknown option -x"},
        {{"--bogus=1", "a.spc"}, "unknown option --bogus"},
        {{"a.spc", "-f"}, "-f needs a value"},
        {{"a.spc", "--journal="}, "--journal needs a FILE"},
    };
    for (const auto& n : named) {
        const Outcome r = run(dir, n.args);
        EXPECT_EQ(r.exitCode, 2) << n.message;
        EXPECT_NE(r.err.find(std::string("brindlemark: ") + n.message + "\n"), std::string::npos) << r.err;
    }
    const Outcome version = run(dir, {"--version"});
    EXPECT_EQ(version.out, "Brindlemark 2.0\n");
    EXPECT_EQ(version.exitCode, 0);
    const Outcome help = run(dir, {"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("%N - Track Number"), std::string::npos);
}

// Short options bundle and take their values as getopt_long gives them;
// options may follow the files; after "--" every argument is a file.
TEST_F(Console, OptionsInEveryFormTheShellUsersWrite) {
    put("a.spc", spc("Alpha", 1));
    put("-n", spc("Dash", 2));
    const struct {
        std::vector<std::string> args;
        std::string out;
    } forms[] = {
        {{"-rn", "a.spc"}, "a.spc -> 1 - Alpha.spc\n"},
        {{"-nf", "%S", "a.spc"}, "a.spc -> Alpha.spc\n"},
        {{"-nf%S", "a.spc"}, "a.spc -> Alpha.spc\n"},
        {{"a.spc", "--format=%S", "-n"}, "a.spc -> Alpha.spc\n"},
        {{"-n", "--", "-n"}, "-n -> 2 - Dash.spc\n"},
    };
    for (const auto& f : forms) {
        const Outcome r = run(dir, f.args);
        EXPECT_EQ(r.out, f.out) << f.args.front();
        EXPECT_EQ(r.exitCode, 0) << r.err;
    }
    EXPECT_EQ(names(), (std::set<std::string>{"a.spc", "-n"}));  // every run was a dry run
    EXPECT_EQ(run(dir, {"-V"}).out, "Brindlemark 2.0\n");
    EXPECT_EQ(run(dir, {"-h"}).out, run(dir, {"--help"}).out);
}

}  // namespace
