// brindlemark's naming on real files: the templates the console refuses,
// and runs over names it made.

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "tests/e2e/console_support.h"

namespace {

using e2e::Outcome;
using e2e::run;
using e2e::spc;

class Naming : public e2e::Folder {};

TEST_F(Naming, ATemplateTheConsoleCannotMeanIsAUsageError) {
    put("a.spc", spc("Alpha", 1));
    const struct {
        std::string nameTemplate;
        const char* message;  // on standard error after "brindlemark: "
    } cases[] = {
        {"%Q - %S", "unknown template code %Q (\"%%\" writes a percent sign)"},
        {"%S %x", "unknown template code %x"},
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

}  // namespace
