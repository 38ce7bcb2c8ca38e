// The journal: its escaping and where it lives.

#include "ui/console/journal.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

TEST(JournalPath, EveryByteButNulRoundTripsOnOneLine) {
    std::string everyByte;
    for (int byte = 1; byte < 256; ++byte) everyByte += static_cast<char>(byte);
    for (const std::string& path : {std::string("/a/plain name.spc"), std::string("/a/x -> fake.spc\nb.spc"),
                                    std::string("/a/tab\there\\x41\\n.spc"), std::string("/a/\xe8\x81\x96 \xe9.spc"),
                                    std::string("/a/\r\x01\x7f"), everyByte}) {
        const std::string escaped = escapeJournalPath(path);
        EXPECT_EQ(escaped.find_first_of(std::string("\t\n\r\0", 4)), std::string::npos) << escaped;
        std::string back;
        ASSERT_TRUE(unescapeJournalPath(escaped, back)) << escaped;
        EXPECT_EQ(back, path);
    }
    EXPECT_EQ(escapeJournalPath("a\tb\\c\nd\x01\xe9"), "a\\tb\\\\c\\nd\\x01\xe9");
}

TEST(JournalPath, TextNoEscapingGivesIsRefused) {
    std::string path;
    for (const char* text : {"", "a\\", "a\\q", "a\\x4", "a\\xZZ", "a\\x00b", "raw\ttab"}) {
        EXPECT_FALSE(unescapeJournalPath(text, path)) << text;
    }
}

TEST(JournalLocation, FollowsTheXdgStateRules) {
    const char* savedState = std::getenv("XDG_STATE_HOME");
    const std::string saved = savedState != nullptr ? savedState : "";
    setenv("HOME", "/home/someone", 1);
    struct Case {
        const char* state;  // nullptr: unset
        const char* folder;
    };
    for (const Case& c : {Case{nullptr, "/home/someone/.local/state/brindlemark/journal"},
                          Case{"", "/home/someone/.local/state/brindlemark/journal"},
                          Case{"relative/state", "/home/someone/.local/state/brindlemark/journal"},
                          Case{"/var/state", "/var/state/brindlemark/journal"}}) {
        if (c.state == nullptr) {
            unsetenv("XDG_STATE_HOME");
        } else {
            setenv("XDG_STATE_HOME", c.state, 1);
        }
        EXPECT_EQ(journalFolder(), c.folder) << (c.state != nullptr ? c.state : "(unset)");
    }
    setenv("XDG_STATE_HOME", saved.c_str(), 1);
}

}  // namespace
