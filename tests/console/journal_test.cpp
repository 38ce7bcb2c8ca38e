// The journal: its escaping, where it lives, and the rules its writer, its
// reader and undo keep.

#include "ui/console/journal.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "tests/support/temp_folder.h"
#include "ui/console/folder_walk.h"

namespace fs = std::filesystem;

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

// ---- The journal's rules, as the writer, the reader and undo apply them ----

namespace {

std::string record(const std::string& oldPath, const std::string& newPath, const char* birth = "3.000000004") {
    return std::string("move\t1\t2\t") + birth + "\t5.000000006\t7\t" + oldPath + "\t" + newPath + "\n";
}
std::string refused(const std::string& oldPath, const std::string& newPath) {
    return "refused\t" + oldPath + "\t" + newPath + "\n";
}
const std::string kHeader2 = "brindlemark journal 2\n";
const std::string kTorn = "move\t1\t2\t3.000000004\t5.000000006\t7\t/f/c.spc\t/f/d";

TEST(JournalText, OnlyWholeRecordsCountAndMarksCoverWhatIsAboveThem) {
    struct Case {
        const char* what;
        std::string text;
        bool isJournal;
        std::vector<bool> refused;  // one per record read
        std::size_t undone;
        bool movesToUndo;
    };
    const std::string ab = record("/f/a.spc", "/f/b.spc"), cd = record("/f/c.spc", "/f/d.spc");
    for (const Case& c : std::vector<Case>{
             {"no header line", ab, false, {}, 0, false},
             {"a format to come", "brindlemark journal 3\n" + ab, false, {}, 0, false},
             {"header cut short", "brindlemark journal 2", false, {}, 0, false},
             {"format 1", "brindlemark journal 1\nmove\t8\t9\t/f/a.spc\t/f/b.spc\n", true, {false}, 0, true},
             {"header only", kHeader2, true, {}, 0, false},
             {"a last line cut short", kHeader2 + ab + kTorn, true, {false}, 0, true},
             {"a refused move", kHeader2 + ab + cd + refused("/f/c.spc", "/f/d.spc"), true, {false, true}, 0, true},
             {"every move refused", kHeader2 + ab + refused("/f/a.spc", "/f/b.spc"), true, {true}, 0, false},
             {"undone, then a later record", kHeader2 + ab + "undone\n" + cd, true, {false, false}, 1, true},
             {"undone at the end", kHeader2 + ab + cd + "undone\n", true, {false, false}, 2, false},
             {"mark after a cut line", kHeader2 + ab + kTorn + "\nundone\n", true, {false, false}, 2, false},
         }) {
        Journal journal;
        ASSERT_EQ(parseJournal(c.text, journal), c.isJournal) << c.what;
        if (!c.isJournal) continue;
        std::vector<bool> refusedRead;
        for (const JournalRecord& r : journal.records) refusedRead.push_back(r.refused);
        EXPECT_EQ(refusedRead, c.refused) << c.what;
        EXPECT_EQ(journal.undone, c.undone) << c.what;
        EXPECT_EQ(journal.hasMovesToUndo(), c.movesToUndo) << c.what;
    }
    Journal one, two;
    ASSERT_TRUE(parseJournal("brindlemark journal 1\nmove\t8\t9\t/f/a.spc\t/f/b.spc\n", one));
    EXPECT_EQ(one.records[0].file.device, 8u);
    EXPECT_EQ(one.records[0].file.inode, 9u);
    EXPECT_FALSE(one.records[0].file.timesKnown);
    ASSERT_TRUE(parseJournal(kHeader2 + record("/f/a.spc", "/f/b\\tc.spc", "-"), two));
    EXPECT_FALSE(two.records[0].file.birthKnown);
    EXPECT_EQ(two.records[0].file.modified, (FileTime{5, 6}));
    EXPECT_EQ(two.records[0].file.size, 7u);
    EXPECT_EQ(two.records[0].newPath, "/f/b\tc.spc");
}

TEST(FileIdentityOverTime, AFileIsTheRecordedOneOnlyWhenAllThatWasRecordedMatches) {
    FileIdentity recorded;
    recorded.device = 10;
    recorded.inode = 20;
    recorded.timesKnown = recorded.birthKnown = true;
    recorded.birth = {100, 1};
    recorded.modified = {200, 2};
    recorded.size = 300;
    FileIdentity formatOne;
    formatOne.device = 10;
    formatOne.inode = 20;
    struct Case {
        const char* what;
        const FileIdentity& recorded;
        std::function<void(FileIdentity&)> change;
        bool same;
    };
    for (const Case& c : std::vector<Case>{
             {"unchanged", recorded, [](FileIdentity&) {}, true},
             {"inode number handed to a new file", recorded, [](FileIdentity& f) { f.birth = {150, 0}; }, false},
             {"new file without birth times", recorded, [](FileIdentity& f) { f.birthKnown = false; }, false},
             {"written since", recorded, [](FileIdentity& f) { f.modified = {200, 3}; }, false},
             {"other size", recorded, [](FileIdentity& f) { f.size = 301; }, false},
             {"other inode", recorded, [](FileIdentity& f) { f.inode = 21; }, false},
             {"mounted again: new device number", recorded, [](FileIdentity& f) { f.device = 11; }, true},
             {"format 1, same device and inode", formatOne, [](FileIdentity&) {}, true},
             {"format 1, other device", formatOne, [](FileIdentity& f) { f.device = 11; }, false},
             {"format 1, other inode", formatOne, [](FileIdentity& f) { f.inode = 21; }, false},
         }) {
        FileIdentity now = recorded;
        now.device = 10;
        now.inode = 20;
        c.change(now);
        EXPECT_EQ(isSameFile(c.recorded, now), c.same) << c.what;
    }
    FileIdentity noBirth = recorded;
    noBirth.birthKnown = false;
    EXPECT_TRUE(isSameFile(noBirth, recorded)) << "a file system without birth times";
}

class JournalFiles : public TempFolderTest {
protected:
    void TearDown() override { journalSync = ::fsync; }
    std::string file(const std::string& name, const std::string& text = "content") {
        const std::string path = dir + "/" + name;
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    static std::string read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    static mode_t modeOf(const std::string& path) {
        struct stat info;
        return stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
    }
    static std::vector<std::string> journalsIn(const std::string& folder) {
        std::vector<std::string> names;
        if (!fs::exists(folder)) return names;
        for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(JournalFiles, AJournalStaysOnlyWhenAMoveMayHaveBeenMadeOrTheUserNamedIt) {
    struct Case {
        const char* what;
        bool named;       // --journal FILE
        int moves, refusedMoves;
        bool syncFails;
        bool stays, finished;
    };
    for (const Case& c : std::vector<Case>{
             {"no move", false, 0, 0, false, false, true},
             {"every move refused", false, 2, 2, false, false, true},
             {"one move made of two", false, 2, 1, false, true, true},
             {"--journal FILE without moves", true, 0, 0, false, true, true},
             {"--journal FILE, every move refused", true, 1, 1, false, true, true},
             {"not flushed to disk", false, 1, 0, true, true, false},
         }) {
        const std::string folder = dir + "/" + c.what;
        fs::create_directories(folder);
        const std::string source = file(std::string(c.what) + ".spc");
        JournalWriter writer;
        std::string error;
        ASSERT_TRUE(c.named ? writer.create(folder + "/mine.journal", error) : writer.createIn(folder, error)) << error;
        for (int i = 0; i < c.moves; ++i) {
            ASSERT_TRUE(writer.recordMove(source.c_str(), (source + std::to_string(i)).c_str())) << c.what;
            if (i < c.refusedMoves) {
                ASSERT_TRUE(writer.recordRefused(source.c_str(), (source + std::to_string(i)).c_str()));
            }
        }
        journalSync = c.syncFails ? [](int) { return errno = EIO, -1; } : ::fsync;
        const std::string path = writer.path();
        EXPECT_EQ(writer.finish(), c.finished) << c.what;
        EXPECT_EQ(writer.failed(), !c.finished) << c.what;
        EXPECT_EQ(fs::exists(path), c.stays) << c.what;
        journalSync = ::fsync;
    }
}

TEST_F(JournalFiles, TheJournalFolderIsPrivateAndTheDryRunAsksWhatTheRunWillFind) {
    struct Case {
        const char* what;
        std::function<void(const std::string& state)> prepare;
        const char* refusal;  // nullptr: usable
    };
    const auto folderWithMode = [](mode_t mode) {
        return [mode](const std::string& state) {
            fs::create_directories(state + "/brindlemark/journal");
            chmod((state + "/brindlemark/journal").c_str(), mode);
        };
    };
    for (const Case& c : std::vector<Case>{
             {"missing", [](const std::string&) {}, nullptr},
             {"there, 0755", folderWithMode(0755), nullptr},
             {"a file in its place",
              [](const std::string& state) {
                  fs::create_directories(state);
                  std::ofstream(state + "/brindlemark") << "x";
              },
              "Not a directory"},
             {"writable by others", folderWithMode(0777), "may be written by other users (mode 0777)"},
             {"writable by the group", folderWithMode(0770), "may be written by other users (mode 0770)"},
             {"another user's",
              [](const std::string& state) {
                  fs::create_directories(state + "/brindlemark/journal");
                  if (geteuid() == 0) chown((state + "/brindlemark/journal").c_str(), 65534, 65534);
              },
              geteuid() == 0 ? "belongs to user 65534" : nullptr},
         }) {
        const std::string state = dir + "/" + c.what;
        const std::string folder = state + "/brindlemark/journal";
        c.prepare(state);
        std::string asked, found;
        const bool usable = journalFolderUsable(folder, asked);
        JournalWriter writer;
        EXPECT_EQ(writer.createIn(folder, found), usable) << c.what << ": the dry run says " << asked;
        EXPECT_EQ(usable, c.refusal == nullptr) << c.what;
        if (c.refusal != nullptr) {
            EXPECT_NE(asked.find(c.refusal), std::string::npos) << c.what << ": " << asked;
            EXPECT_NE(found.find(c.refusal), std::string::npos) << c.what << ": " << found;
        }
    }
    const std::string made = dir + "/missing";
    for (const std::string& folder : {made, made + "/brindlemark", made + "/brindlemark/journal"}) {
        EXPECT_EQ(modeOf(folder), 0700u) << folder;
    }

    std::string error;
    const std::string taken = file("taken.journal");
    for (const std::string& path : {taken, dir + "/no folder/run.journal", taken + "/run.journal"}) {
        JournalWriter writer;
        EXPECT_FALSE(journalFileCreatable(path, error)) << path;
        EXPECT_FALSE(writer.create(path, error)) << path;
    }
    EXPECT_EQ(read(taken), "content");
    EXPECT_TRUE(journalFileCreatable(dir + "/new.journal", error)) << error;
}

TEST_F(JournalFiles, UndoTakesTheNewestUsableRunAndStopsAtOneItMayNotUse) {
    struct Case {
        const char* what;
        std::string newest;
        std::function<void(const std::string& path)> change;
        const char* refusal;  // nullptr: the older run is taken
    };
    const auto none = [](const std::string&) {};
    const std::string move = record("/f/a.spc", "/f/b.spc");
    for (const Case& c : std::vector<Case>{
             {"without moves", kHeader2, none, nullptr},
             {"every move refused", kHeader2 + move + refused("/f/a.spc", "/f/b.spc"), none, nullptr},
             {"undone", kHeader2 + move + "undone\n", none, nullptr},
             {"not a journal", "move\t1\t2\t/f/a\t/f/b\n", none, "is not a brindlemark journal"},
             {"unreadable", kHeader2 + move, [](const std::string& p) { fs::remove(p); fs::create_directory(p); },
              "cannot read the journal"},
             {"writable by the group", kHeader2 + move, [](const std::string& p) { chmod(p.c_str(), 0620); },
              "may be written by other users"},
             {"another user's", kHeader2 + move,
              [](const std::string& p) {
                  if (geteuid() == 0) chown(p.c_str(), 65534, 65534);
              },
              geteuid() == 0 ? "belongs to user 65534" : "may be written"},
         }) {
        const std::string folder = dir + "/" + c.what;
        fs::create_directories(folder);
        chmod(folder.c_str(), 0700);
        file(std::string(c.what) + "/20260101T000000.000000000Z-1.journal", kHeader2 + move);
        const std::string newest = file(std::string(c.what) + "/20260102T000000.000000000Z-1.journal", c.newest);
        chmod(newest.c_str(), 0600);
        if (geteuid() != 0 && std::string(c.what) == "another user's") chmod(newest.c_str(), 0602);
        c.change(newest);
        JournalToUndo journal;
        std::string error;
        const JournalToUndo::Found found = journal.openNewest(folder, false, error);
        if (c.refusal == nullptr) {
            EXPECT_EQ(found, JournalToUndo::Found::Journal) << c.what << ": " << error;
            EXPECT_EQ(journal.path(), folder + "/20260101T000000.000000000Z-1.journal") << c.what;
        } else {
            EXPECT_EQ(found, JournalToUndo::Found::Refused) << c.what;
            EXPECT_NE(error.find(newest), std::string::npos) << c.what << ": " << error;
            EXPECT_NE(error.find(c.refusal), std::string::npos) << c.what << ": " << error;
        }
    }
}

TEST_F(JournalFiles, ARunningRunsJournalIsNotUndoneAndAnUndoneMarkStartsItsOwnLine) {
    const std::string folder = dir + "/state";
    const std::string source = file("a.spc");
    JournalWriter running;
    std::string error;
    ASSERT_TRUE(running.createIn(folder, error)) << error;
    ASSERT_TRUE(running.recordMove(source.c_str(), (dir + "/b.spc").c_str()));
    JournalToUndo journal;
    EXPECT_EQ(journal.openNewest(folder, false, error), JournalToUndo::Found::Refused);
    EXPECT_NE(error.find("in use"), std::string::npos) << error;
    EXPECT_FALSE(JournalToUndo().open(running.path(), true, error)) << "a dry run too";
    const std::string path = running.path();
    running.finish();

    // A last record cut short by a full disk: the mark goes on a line of its own.
    std::ofstream(path, std::ios::app) << "move\t1\t2\t-\t5.000000006\t7\t/f/c.spc\t/f/d";
    ASSERT_EQ(journal.openNewest(folder, false, error), JournalToUndo::Found::Journal) << error;
    EXPECT_EQ(journal.journal().records.size(), 1u);
    ASSERT_TRUE(journal.markUndone(error)) << error;
    Journal back;
    ASSERT_TRUE(parseJournal(read(path), back));
    EXPECT_FALSE(back.hasMovesToUndo());
    EXPECT_EQ(JournalToUndo().openNewest(folder, false, error), JournalToUndo::Found::None) << error;
}

TEST_F(JournalFiles, AFolderKeepsItsNewestJournalsAndRecentOnesNotUndone) {
    const std::string folder = dir + "/journal";
    fs::create_directories(folder);
    const std::time_t now = 1800000000;
    struct Journal {
        int daysOld;
        bool undone;
        bool kept;
    };
    std::vector<Journal> journals{{0, false, true}, {1, true, false}};
    for (int i = 0; i < 98; ++i) journals.push_back({30, false, true});  // the newest 100 stay
    journals.push_back({60, false, true});  // beyond the newest 100, but recent
    for (int i = 0; i < 3; ++i) journals.push_back({91 + i, false, false});
    std::vector<std::string> kept;
    for (std::size_t i = 0; i < journals.size(); ++i) {
        const std::time_t start = now - journals[i].daysOld * 86400 - static_cast<std::time_t>(i);
        tm utc{};
        gmtime_r(&start, &utc);
        char name[64];
        std::strftime(name, sizeof name, "%Y%m%dT%H%M%S.000000000Z-1.journal", &utc);
        file("journal/" + std::string(name), kHeader2 + record("/f/a", "/f/b") + (journals[i].undone ? "undone\n" : ""));
        if (journals[i].kept) kept.push_back(name);
    }
    file("journal/notes.txt");
    kept.push_back("notes.txt");
    std::sort(kept.begin(), kept.end());
    pruneJournals(folder, now);
    EXPECT_EQ(journalsIn(folder), kept);
}

TEST_F(JournalFiles, AWalkNeverLeavesTheTreeThroughAFolderSwappedForALink) {
    for (const char* folder : {"tree/a", "tree/b", "outside/b"}) fs::create_directories(dir + "/" + folder);
    file("tree/a/1.spc");
    file("tree/b/2.spc");
    file("outside/b/9.spc");
    std::vector<std::string> found;
    walkFolder(
        dir + "/tree",
        [&](const std::string& path) {
            found.push_back(path.substr(dir.size() + 1));
            if (found.size() == 1) {  // the tree's top swapped for a link while the walk is in it
                fs::rename(dir + "/tree", dir + "/moved");
                fs::create_directory_symlink(dir + "/outside", dir + "/tree");
            }
        },
        [](const std::string& path, int) { ADD_FAILURE() << path; });
    EXPECT_EQ(found, (std::vector<std::string>{"tree/a/1.spc", "tree/b/2.spc"}));
}

}  // namespace
