// brindlemark's naming on real files: the templates the console refuses,
// and runs over names it made.

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "tests/e2e/console_support.h"

namespace {

using e2e::Outcome;
using e2e::run;
using e2e::spc;
using spcbuild::Bytes;

// An SPC file whose extended tag holds its disc and its track with a letter.
Bytes spcOnDisc(const std::string& song, std::uint8_t disc, std::uint16_t track, char letter) {
    Bytes bytes = spc(song);
    spcbuild::appendExtendedTag(bytes, spcbuild::chunkBlock({spcbuild::valueChunk(0x11, disc),
                                                             spcbuild::valueChunk(0x12, static_cast<std::uint16_t>(
                                                                                            track << 8 | letter))}));
    return bytes;
}

class Naming : public e2e::Folder {};

TEST_F(Naming, ATemplateTheConsoleCannotMeanIsAUsageError) {
    put("a.spc", spc("Alpha", 1));
    const struct {
        std::string nameTemplate;
        const char* message;  // on standard error after "brindlemark: "
    } cases[] = {
        {"%Q - %S", "unknown template code %Q (\"%%\" writes a percent sign)"},
        {"{%D-%N", "the template \"{%D-%N\" leaves a \"{\" open"},
        {"%D-}%N", "the template \"%D-}%N\" has a \"}\" that closes no \"{\" (\"%}\" writes a brace)"},
        {"{{%S}}", "the template \"{{%S}}\" opens a \"{\" inside another (\"%{\" writes a brace)"},
        {"%S {and a much longer tail of text}",
         "leaves a \"{\" open; only its first 30 characters count: \"%S {and a much longer tail of \"\n"},
    };
    for (const auto& c : cases) {
        const Outcome r = run(dir, {"-f", c.nameTemplate, "a.spc"});
        EXPECT_EQ(r.exitCode, 2) << c.nameTemplate;
        EXPECT_EQ(r.out, "") << c.nameTemplate;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("Usage: brindlemark"), std::string::npos) << r.err;
    }
    EXPECT_EQ(names(), (std::set<std::string>{"a.spc"}));

    // Anything else after "%" stays literal; a long template is warned of.
    const struct {
        std::string nameTemplate, out, err;
    } kept[] = {
        {"100% %S", "a.spc -> 100% Alpha.spc\n", ""},
        {"%S %2Q %[x]", "a.spc -> Alpha %2Q %[x].spc\n", ""},
        {"%S" + std::string(28, '+') + "%G", "a.spc -> Alpha" + std::string(28, '+') + ".spc\n",
         "brindlemark: the template is long: only its first 30 characters count: \"%S" + std::string(28, '+') +
             "\"\n"},
    };
    for (const auto& k : kept) {
        const Outcome r = run(dir, {"-n", "-f", k.nameTemplate, "a.spc"});
        EXPECT_EQ(r.exitCode, 0) << k.nameTemplate;
        EXPECT_EQ(r.out, k.out);
        EXPECT_EQ(r.err, k.err);
    }
}

TEST_F(Naming, AnInvalidTemplateNamesTheFileItWasFoundOn) {
    put("a.spc", spc("Alpha", 1));
    put("x-07.spc", spc("Seven"));
    const Outcome r = run(dir, {"-f", "%N", "a.spc", "x-07.spc"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "Rename format is invalid\n");
    EXPECT_EQ(r.err,
              "brindlemark: Rename format is invalid for " + dir +
                  "/x-07.spc: the template takes no item from its tag "
              "(numbers read from the file's name do not count)\n");
    EXPECT_EQ(names(), (std::set<std::string>{"a.spc", "x-07.spc"}));
}

// A collection renamed once, whether its numbers came from the tags or from
// the names, is renamed to the very same names by a second run: every line
// "->" to the name the file bears, exit status 0.
TEST_F(Naming, ARunOverItsOwnOutputRenamesNothing) {
    const struct {
        std::string file;
        Bytes bytes;
    } collection[] = {
        {"a.spc", spc("Castle Gate", 7)},
        {"b.spc", spcOnDisc("Boss", 2, 12, 'b')},
        {"castle-07.spc", spc("Gate")},
        {"game1-04.spc", spc("Four")},
        {"03.spc", spc("Three")},
        {"5 Intro.spc", spc("Intro")},
        {"9_x.spc", spc("Nine")},
    };
    const struct {
        const char* nameTemplate;
        std::set<std::string> names;
    } templates[] = {
        {"%N - %S",
         {"7 - Castle Gate.spc", "12b - Boss.spc", "07 - Gate.spc", "04 - Four.spc", "03 - Three.spc",
          "5 - Intro.spc", "9 - Nine.spc"}},
        {"%2N - %S",
         {"07 - Castle Gate.spc", "12b - Boss.spc", "07 - Gate.spc", "04 - Four.spc", "03 - Three.spc",
          "05 - Intro.spc", "09 - Nine.spc"}},
        {"{%D-}%2N - %S",
         {"07 - Castle Gate.spc", "2-12b - Boss.spc", "07 - Gate.spc", "1-04 - Four.spc", "03 - Three.spc",
          "05 - Intro.spc", "09 - Nine.spc"}},
    };
    for (const auto& t : templates) {
        const std::string sub = std::to_string(&t - templates);
        std::filesystem::create_directory(dir + "/" + sub);
        std::vector<std::string> args{"--no-journal", "-f", t.nameTemplate};
        for (const auto& file : collection) {
            put(sub + "/" + file.file, file.bytes);
            args.push_back(file.file);
        }
        const Outcome first = run(dir + "/" + sub, args);
        EXPECT_EQ(first.exitCode, 0) << t.nameTemplate << "\n" << first.out << first.err;
        EXPECT_EQ(names(sub), t.names) << t.nameTemplate << "\n" << first.out;

        std::vector<std::string> again{"--no-journal", "-f", t.nameTemplate};
        std::string lines;
        for (const std::string& name : t.names) {
            again.push_back(name);
            lines = name + " -> " + name + "\n" + lines;  // the last file first
        }
        const Outcome second = run(dir + "/" + sub, again);
        EXPECT_EQ(second.exitCode, 0) << t.nameTemplate << "\n" << second.err;
        EXPECT_EQ(second.out, lines) << t.nameTemplate;
        EXPECT_EQ(names(sub), t.names) << t.nameTemplate;
    }
}

// --fix-conflicts numbers the names a set would give twice in the order the
// files were given; the dry run shows what the real run does, and undo moves
// the numbered files back like any other.
TEST_F(Naming, FixConflictsNumbersClashingNamesAndUndoPutsThemBack) {
    put("Song.spc", spc("Kept", 1));  // outside the drop
    for (const char* name : {"a.spc", "b.spc", "c.spc"}) put(name, spc("Song", 2));
    const std::vector<std::string> args{"--fix-conflicts", "-f", "%S", "a.spc", "b.spc", "c.spc"};
    const std::string lines = "c.spc -> Song (4).spc\nb.spc -> Song (3).spc\na.spc -> Song (2).spc\n";
    const auto before = snapshot();
    std::vector<std::string> dryRun{"-n"};
    dryRun.insert(dryRun.end(), args.begin(), args.end());
    for (const auto& runArgs : {dryRun, args}) {
        const Outcome r = run(dir, runArgs);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.out, lines) << runArgs.front();
    }
    EXPECT_EQ(names(), (std::set<std::string>{"Song.spc", "Song (2).spc", "Song (3).spc", "Song (4).spc"}));
    EXPECT_EQ(run(dir, {"--undo"}).exitCode, 0);
    EXPECT_EQ(snapshot(), before);
}

// Options set once in $XDG_CONFIG_HOME/brindlemark/config fill in for those
// the command line does not give, in every mode.
TEST_F(Naming, TheConfigFileSetsTheOptionsAUserAlwaysWants) {
    put("a.spc", spc("Alpha", 1));
    put("cafe.spc", spc("Caf\xC3\xA9", 2));
    std::filesystem::create_directories(dir + "/cfg/brindlemark");
    const std::string config = dir + "/cfg/brindlemark/config";
    e2e::RunSetup setup;
    setup.environment = {{"XDG_CONFIG_HOME", dir + "/cfg"}};
    const struct {
        const char* config;
        std::vector<std::string> args;
        int exitCode;
        std::string out;
    } cases[] = {
        {"# mine\nformat = %2N - %S\n", {"-n", "a.spc"}, 0, "a.spc -> 01 - Alpha.spc\n"},
        {"format = %2N - %S\n", {"-n", "-f", "%S", "a.spc"}, 0, "a.spc -> Alpha.spc\n"},
        {"unicode = yes\n", {"-n", "cafe.spc"}, 0, "cafe.spc -> 2 - Caf\xC3\xA9.spc\n"},
        {"unicode = yes\ntag-encoding = windows-1252\n", {"-n", "cafe.spc"}, 0, "cafe.spc -> 2 - Caf\xC3\x83\xC2\xA9.spc\n"},
        {"fix-conflicts = yes\n", {"-n", "-f", "%G", "a.spc", "cafe.spc"}, 0,
         "cafe.spc -> Game (2).spc\na.spc -> Game.spc\n"},
        // Options the command line could not take together are no usage error from the file.
        {"unicode = yes\nformat = %S\n", {"--show", "missing.spc"}, 1, "{\"path\": \"missing.spc\", \"kind\": 0}\n"},
    };
    for (const auto& c : cases) {
        put("cfg/brindlemark/config", std::string(c.config));
        const Outcome r = run(dir, c.args, setup);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.config << r.err;
        EXPECT_EQ(r.out, c.out) << c.config;
    }

    // A fault in the file is a usage error in every mode, naming its line.
    put("cfg/brindlemark/config", std::string("format = %N\nfix = yes\n"));
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"a.spc"}, {"--show", "a.spc"}, {"--undo"}, {"--help"}, {"-f", "%S", "a.spc"}}) {
        const Outcome r = run(dir, args, setup);
        EXPECT_EQ(r.exitCode, 2) << args.front();
        EXPECT_EQ(r.out, "") << args.front();
        EXPECT_EQ(r.err.rfind("brindlemark: " + config + ":2: unknown key \"fix\"", 0), 0u) << r.err;
    }
    EXPECT_EQ(names(), (std::set<std::string>{"a.spc", "cafe.spc", "cfg"}));

    // --help names the file it read.
    put("cfg/brindlemark/config", std::string("format = %S\n"));
    EXPECT_NE(run(dir, {"--help"}, setup).out.find("The options set in " + config + " apply"), std::string::npos);
    EXPECT_EQ(run(dir, {"--help"}).out.find("The options set in"), std::string::npos);
}

}  // namespace
