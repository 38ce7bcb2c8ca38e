// The journal: its escaping, where it lives, and records read back.

#include "ui/console/journal.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

using JournalFolderTest = TempFolderTest;

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

TEST_F(JournalFolderTest, RecordsAreReadBackAndACutLineNamesNoMove) {
    const std::string source = dir + "/a\tb\n.spc";
    std::ofstream(source) << "x";
    struct stat info;
    ASSERT_EQ(lstat(source.c_str(), &info), 0);

    JournalWriter writer;
    std::string error;
    ASSERT_TRUE(writer.createIn(dir + "/state/journal", error)) << error;
    ASSERT_TRUE(writer.recordMove(source.c_str(), (dir + "/1 - A.spc").c_str()));
    EXPECT_FALSE(writer.recordMove((dir + "/missing.spc").c_str(), (dir + "/2.spc").c_str()));
    EXPECT_FALSE(writer.failed());  // a missing source is no journal failure
    const std::string path = writer.path();
    writer.finish();
    std::ofstream(path, std::ios::app) << "move\t1\t2\t/cut short";

    Journal journal;
    ASSERT_TRUE(readJournal(path, journal, error)) << error;
    ASSERT_EQ(journal.records.size(), 1u);
    EXPECT_EQ(journal.records[0].oldPath, source);
    EXPECT_EQ(journal.records[0].newPath, dir + "/1 - A.spc");
    EXPECT_EQ(journal.records[0].device, static_cast<unsigned long long>(info.st_dev));
    EXPECT_EQ(journal.records[0].inode, static_cast<unsigned long long>(info.st_ino));
    EXPECT_FALSE(journal.undone);

    JournalWriter existing;
    EXPECT_FALSE(existing.create(path, error));  // never replaces a journal
}

TEST_F(JournalFolderTest, TheNewestRunNotUndoneIsTakenAndEmptyRunsLeaveNoJournal) {
    const std::string folder = dir + "/journal";
    const std::string file = dir + "/f.spc";
    std::ofstream(file) << "x";
    std::vector<std::string> paths;
    for (int run = 0; run < 3; ++run) {
        JournalWriter writer;
        std::string error;
        ASSERT_TRUE(writer.createIn(folder, error)) << error;
        ASSERT_TRUE(writer.recordMove(file.c_str(), (dir + "/g.spc").c_str()));
        paths.push_back(writer.path());
    }
    JournalWriter empty;
    std::string error;
    ASSERT_TRUE(empty.createIn(folder, error));
    const std::string emptyPath = empty.path();
    empty.finish();
    EXPECT_FALSE(fs::exists(emptyPath));

    EXPECT_EQ(newestJournalToUndo(folder), paths[2]);
    ASSERT_TRUE(markJournalUndone(paths[2], error)) << error;
    EXPECT_EQ(newestJournalToUndo(folder), paths[1]);
    ASSERT_TRUE(markJournalUndone(paths[1], error));
    ASSERT_TRUE(markJournalUndone(paths[0], error));
    EXPECT_EQ(newestJournalToUndo(folder), "");
}

}  // namespace
