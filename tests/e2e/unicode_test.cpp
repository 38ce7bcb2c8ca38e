// Names and tags in their own script: -u names from decoded tag text, the
// default names as the dialog makes them, and JSON that loses no byte.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <set>
#include <string>
#include <vector>

#include "tests/e2e/console_support.h"
#include "ui/console/tag_json.h"

namespace {

using brindlemark::console::appendBase64;

using e2e::Outcome;
using e2e::run;
using e2e::spc;

class Unicode : public e2e::Folder {};

// How a text is decoded and a name cleaned is tested with the decoder and
// the name style; here, that the options reach them and the default does not.
TEST_F(Unicode, NamesKeepTheirScriptOnRequestAndStayTheDialogsByDefault) {
    struct Case {
        std::string song;
        std::vector<std::string> options;
        std::string name;
    };
    for (const Case& c : {
             Case{"Pok\xC3\xA9mon Th\xC3\xA9me", {"-u"}, "Pokémon Théme.spc"},
             Case{"\x90\xB9\x8C\x95\x93`\x90\xE0", {"-u"}, "聖剣伝説.spc"},
             Case{"Caf\xE9 del Mar", {"--unicode"}, "Café del Mar.spc"},
             Case{"Pok\xC3\xA9mon", {"-u", "--tag-encoding", "windows-1252"}, "PokÃ©mon.spc"},
             Case{"Pok\xC3\xA9mon Th\xC3\xA9me", {}, "Pok__mon Th__me.spc"},
         }) {
        put("a.spc", spc(c.song));
        std::vector<std::string> args = c.options;
        for (const char* arg : {"--no-journal", "-f", "%S", "a.spc"}) args.emplace_back(arg);
        const Outcome r = run(dir, args);
        EXPECT_EQ(r.out, "a.spc -> " + c.name + "\n") << c.name;
        EXPECT_EQ(names(), std::set<std::string>{c.name}) << c.name;
        std::remove((dir + "/" + c.name).c_str());
    }
}

TEST_F(Unicode, ANameLongerInNfcThanWrittenIsTooLongWhenItPassesTheLimit) {
    const std::string note = "\xF0\x9D\x85\x9E", nfcNote = "\xF0\x9D\x85\x97\xF0\x9D\x85\xA5";  // U+1D15E
    std::string notes;
    for (int i = 0; i < 28; ++i) notes += note;  // and "%S": the 30 characters that count
    const std::size_t written = dir.size() + 1 + notes.size() + std::string("Alpha.spc").size();
    ASSERT_TRUE(written <= 255 && written + notes.size() > 255) << "the test folder's path does not suit the case";
    struct Case {
        std::string nameTemplate, line;
    };
    for (const Case& c : {
             Case{note + " %S", "a.spc -> " + nfcNote + " Alpha.spc"},
             Case{notes + "%S", "a.spc path and filename is more than 255 characters"},
         }) {
        put("a.spc", spc("Alpha"));
        const Outcome r = run(dir, {"--no-journal", "-u", "-f", c.nameTemplate, "a.spc"});
        EXPECT_EQ(r.out, c.line + "\n") << r.err;
        for (const std::string& name : names()) std::remove((dir + "/" + name).c_str());
    }
}

TEST_F(Unicode, DryRunJsonAndUndoTakeUnicodeNamesAsAnyOther) {
    put("caf\xE9-03.spc", spc("Caf\xE9 del Mar"));
    const std::vector<std::string> args{"-u", "--json", "caf\xE9-03.spc"};
    std::vector<std::string> dry{"--dry-run"};
    dry.insert(dry.end(), args.begin(), args.end());
    const Outcome pretended = run(dir, dry);
    const Outcome real = run(dir, args);
    EXPECT_EQ(pretended.out, real.out);
    const std::string path = dir + "/caf\xE9-03.spc";
    std::string pathBase64;
    appendBase64(pathBase64, path.data(), path.size());
    EXPECT_EQ(real.out,
              "{\"path\": \"" + dir + "/caf\\ufffd-03.spc\", \"pathBase64\": \"" + pathBase64 + "\", "
              "\"newPath\": \"" + dir + "/03 - Caf\\u00e9 del Mar.spc\", \"outcome\": \"renamed\", "
              "\"line\": \"caf\\ufffd-03.spc -> 03 - Caf\\u00e9 del Mar.spc\", "
              "\"lineBase64\": \"Y2Fm6S0wMy5zcGMgLT4gMDMgLSBDYWbDqSBkZWwgTWFyLnNwYw==\"}\n");
    EXPECT_EQ(names(), std::set<std::string>{"03 - Café del Mar.spc"});
    EXPECT_EQ(run(dir, {"--undo"}).exitCode, 0);
    EXPECT_EQ(names(), std::set<std::string>{"caf\xE9-03.spc"});
}

TEST_F(Unicode, ShowDecodesEachFilesTextAndKeepsItsBytes) {
    put("a.spc", spc("\x90\xB9\x8C\x95\x93`\x90\xE0", 0, "Seiken Densetsu"));
    const Outcome r = run(dir, {"--show", "a.spc"});
    EXPECT_NE(r.out.find("\"textEncoding\": \"shift_jis\", \"song\": \"\\u8056\\u5263\\u4f1d\\u8aac\", "
                         "\"songBase64\": \"kLmMlZNgkOA=\", \"game\": \"Seiken Densetsu\", "),
              std::string::npos)
        << r.out;
    const Outcome forced = run(dir, {"--show", "--tag-encoding", "windows-1252", "a.spc"});
    EXPECT_NE(forced.out.find("\"textEncoding\": \"windows-1252\", \"song\": \"\\ufffd\\u00b9"), std::string::npos)
        << forced.out;
}

// Consecutive files of one folder are one set: the same one-kanji title
// reads as Shift-JIS beside Japanese titles and as Windows-1252 beside
// Western ones, in --show and in the names -u makes.
TEST_F(Unicode, ShowDecidesTheEncodingOfEachFoldersFilesTogether) {
    ASSERT_EQ(mkdir((dir + "/jp").c_str(), 0755), 0);
    ASSERT_EQ(mkdir((dir + "/en").c_str(), 0755), 0);
    const struct {
        const char* path;
        std::string song;
        const char* encoding;
        const char* line;  // with -u -f %S
    } files[] = {
        {"jp/1.spc", "\x90\xB9\x8C\x95\x93`\x90\xE0", "shift_jis", "1.spc -> 聖剣伝説.spc"},
        {"jp/2.spc", "\xE3\xC4", "shift_jis", "2.spc -> 翔.spc"},
        {"jp/3.spc", "Plain", "ascii", "3.spc -> Plain.spc"},
        {"en/1.spc", "\xE3\xC4", "windows-1252", "1.spc -> ãÄ.spc"},
        {"en/2.spc", "Caf\xE9 del Mar", "windows-1252", "2.spc -> Café del Mar.spc"},
    };
    std::vector<std::string> args{"--show"}, renaming{"-u", "--no-journal", "-f", "%S"};
    std::string lines;
    for (const auto& file : files) {
        put(file.path, spc(file.song));
        args.emplace_back(file.path);
        renaming.emplace_back(file.path);
        lines = file.line + std::string("\n") + lines;  // the last file first
    }
    const Outcome r = run(dir, args);
    EXPECT_EQ(r.exitCode, 0);
    std::size_t at = 0;
    for (const auto& file : files) {
        const std::size_t line = r.out.find(std::string("{\"path\": \"") + file.path + "\"", at);
        ASSERT_NE(line, std::string::npos) << file.path << " in order\n" << r.out;
        at = r.out.find('\n', line);
        EXPECT_NE(r.out.substr(line, at - line).find(std::string("\"textEncoding\": \"") + file.encoding + "\""),
                  std::string::npos)
            << file.path << "\n" << r.out;
    }
    const Outcome renamed = run(dir, renaming);
    EXPECT_EQ(renamed.exitCode, 0) << renamed.err;
    EXPECT_EQ(renamed.out, lines);
}

TEST_F(Unicode, EncodingOptionsOutsideTheirUseAreUsageErrors) {
    put("a.spc", spc("Song"));
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--tag-encoding", "latin1", "-u", "a.spc"},
             {"--tag-encoding", "utf-8", "a.spc"},
             {"--show", "-u", "a.spc"},
             {"--undo", "-u"},
         }) {
        const Outcome r = run(dir, args);
        EXPECT_EQ(r.exitCode, 2) << args.front();
        EXPECT_NE(r.err.find("Usage: brindlemark"), std::string::npos);
    }
    EXPECT_EQ(names(), std::set<std::string>{"a.spc"});
}

}  // namespace
