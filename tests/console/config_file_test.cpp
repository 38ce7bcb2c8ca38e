#include "ui/console/config_file.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace brindlemark::console;

TEST(ConfigFile, ReadsKeyValueLinesAndNamesTheLineOfAnyFault) {
    const struct {
        const char* text;
        const char* error;  // "" when read
    } cases[] = {
        {"", ""},
        {"# a comment\n\n   \n  # indented comment\n", ""},
        {"format = %2N - %S\n", ""},
        {"format=%2N - %S\r\n", ""},
        {"unicode = yes\ntag-encoding = shift_jis\n", ""},
        {"unicode = no", ""},
        {"tag-encoding = auto\n", ""},
        {"format = %N # %S\n", ""},
        {"fix-conflicts = yes\n", ""},
        {"\nfix = yes\n", "/c:2: unknown key \"fix\" (format, unicode, tag-encoding, fix-conflicts)"},
        {"format %N\n", "/c:1: \"format %N\" is no \"key = value\""},
        {"unicode = true\n", "/c:1: unicode is yes or no, not \"true\""},
        {"fix-conflicts = 1\n", "/c:1: fix-conflicts is yes or no, not \"1\""},
        {"tag-encoding = latin1\n", "/c:1: unknown tag-encoding \"latin1\" (auto, utf-8, shift_jis or windows-1252)"},
        {"# fine\nformat = %Q - %S\n", "/c:2: unknown template code %Q (\"%%\" writes a percent sign)"},
        {"format = {%D-%N\n", "/c:1: the template \"{%D-%N\" leaves a \"{\" open"},
        {"format =\n", "/c:1: format needs a template"},
        {"Format = %S\n", "/c:1: unknown key \"Format\" (format, unicode, tag-encoding, fix-conflicts)"},
    };
    for (const auto& c : cases) {
        ConfigSettings settings;
        std::string error;
        EXPECT_EQ(parseConfig(c.text, "/c", settings, error), c.error[0] == '\0') << c.text;
        EXPECT_EQ(error, c.error) << c.text;
    }
    ConfigSettings settings;
    std::string error;
    ASSERT_TRUE(parseConfig("format = %N # %S  \nunicode = yes\nunicode = no\ntag-encoding = utf-8\nfix-conflicts = yes\n", "/c",
                            settings, error));
    EXPECT_EQ(settings.format, std::optional<std::string>("%N # %S"));  // a "#" in a value is part of it
    EXPECT_EQ(settings.unicode, std::optional<bool>(false));            // the last line wins
    EXPECT_TRUE(settings.tagEncodingSet);
    EXPECT_EQ(settings.tagEncoding, std::optional<TextEncoding>(ENCODING_UTF8));
    EXPECT_EQ(settings.fixConflicts, std::optional<bool>(true));
}

}  // namespace
