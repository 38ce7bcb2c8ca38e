// The journal: its escaping, where it lives, and the rules its writer, its
// reader and undo keep.

#include "ui/console/journal/format.h"
#include "ui/console/journal/location.h"
#include "ui/console/journal/read_ahead.h"
#include "ui/console/journal/reader.h"
#include "ui/console/journal/system.h"
#include "ui/console/journal/writer.h"

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "tests/support/temp_folder.h"
#include "ui/console/folder_walk.h"

namespace fs = std::filesystem;

namespace {

using namespace brindlemark::console;

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

const std::string HEADER2 = "brindlemark journal 2\n";
std::string move(const char* from, const char* to) {
    return std::string("move\t1\t2\t3.000000004\t5.000000006\t7\t") + from + "\t" + to + "\n";
}
std::string refusal(const char* from, const char* to) { return std::string("refused\t") + from + "\t" + to + "\n"; }

TEST(JournalText, OnlyWholeRecordsCountAndMarksCoverWhatIsAboveThem) {
    const std::string ab = move("/f/a", "/f/b"), cd = move("/f/c", "/f/d"), torn = cd.substr(0, cd.size() - 3);
    struct Case {
        std::string text;
        bool isJournal;
        std::vector<bool> refused;  // of each record read
        std::size_t undone;
        bool movesToUndo;
        bool goneThrough = false;
    };
    const auto back = [](const std::string& from, const std::string& to) { return "back\t" + from + "\t" + to + "\n"; };
    for (const Case& c : std::vector<Case>{
             {ab, false, {}, 0, false},  // no header line
             {"brindlemark journal 3\n" + ab, false, {}, 0, false},
             {"brindlemark journal 1\nmove\t8\t9\t/f/a\t/f/b\n", true, {false}, 0, true},
             {HEADER2, true, {}, 0, false},
             {HEADER2 + ab + torn, true, {false}, 0, true},  // a last line cut short
             {HEADER2 + ab + cd + refusal("/f/c", "/f/d"), true, {false, true}, 0, true},
             {HEADER2 + ab + refusal("/f/a", "/f/b"), true, {true}, 0, false},
             {HEADER2 + ab + "undone\n" + cd, true, {false, false}, 1, true},
             {HEADER2 + ab + torn + "\nundone\n", true, {false, false}, 2, false},
             {HEADER2 + ab + "undone\n" + cd + refusal("/f/a", "/f/b"), true, {false, false}, 1, true},
             {HEADER2 + ab + cd + back("/f/c", "/f/d") + "tried\n", true, {false, false}, 0, true, true},
             {HEADER2 + ab + back("/f/a", "/f/b") + "tried\n" + cd, true, {false, false}, 0, true, false},
             {HEADER2 + ab + back("/f/a", "/f/b") + "tried\nundone\n", true, {false}, 1, false, false},
         }) {
        Journal journal;
        ASSERT_EQ(parseJournal(c.text, journal), c.isJournal) << c.text;
        std::vector<bool> refused;
        for (const JournalRecord& r : journal.records) refused.push_back(r.refused);
        EXPECT_EQ(refused, c.refused) << c.text;
        EXPECT_EQ(journal.undone, c.undone) << c.text;
        EXPECT_EQ(journal.hasMovesToUndo(), c.movesToUndo) << c.text;
        EXPECT_EQ(journal.goneThrough, c.goneThrough) << c.text;
    }
}

TEST(JournalIdentity, TheSameFileIsTheSameInodeBornAtTheSameTimeOrElseOfTheSameSizeAndTime) {
    FileIdentity recorded;
    recorded.device = 8;
    recorded.inode = 9;
    recorded.timesKnown = true;
    recorded.birthKnown = true;
    recorded.birth = {100, 1};
    recorded.modified = {200, 2};
    recorded.size = 300;
    FileIdentity noBirth = recorded;
    noBirth.birthKnown = false;
    noBirth.birth = {};
    FileIdentity format1;
    format1.device = 8;
    format1.inode = 9;
    struct Case {
        const char* what;
        const FileIdentity& recorded;
        std::function<void(FileIdentity&)> change;
        bool same;
    };
    const auto none = [](FileIdentity&) {};
    for (const Case& c : std::vector<Case>{
             {"unchanged", recorded, none, true},
             {"another device (a new mount)", recorded, [](FileIdentity& f) { f.device = 1; }, true},
             {"written to since", recorded, [](FileIdentity& f) { f.modified = {250, 0}, f.size = 301; }, true},
             {"a reused inode", recorded, [](FileIdentity& f) { f.birth = {150, 0}; }, false},
             {"another inode", recorded, [](FileIdentity& f) { f.inode = 10; }, false},
             {"now without birth time", recorded, [](FileIdentity& f) { f.birthKnown = false; }, false},
             {"no birth time, unchanged", noBirth, none, true},
             {"no birth time, touched", noBirth, [](FileIdentity& f) { f.modified = {200, 3}; }, false},
             {"no birth time, another size", noBirth, [](FileIdentity& f) { f.size = 299; }, false},
             {"no birth time, another device", noBirth, [](FileIdentity& f) { f.device = 1; }, true},
             {"format 1, the same device and inode", format1, [](FileIdentity& f) { f.size = 1; }, true},
             {"format 1, another device", format1, [](FileIdentity& f) { f.device = 1; }, false},
         }) {
        FileIdentity now = c.recorded;
        now.timesKnown = true;
        c.change(now);
        EXPECT_EQ(isSameFile(c.recorded, now), c.same) << c.what;
    }
}

class JournalSeam : public TempFolderTest {
protected:
    void TearDown() override { journalSync = ::fsync; }
};

TEST_F(JournalSeam, EachFailureNamesItsStepAndTheSystemsCode) {
    const std::string file = dir + "/j.journal";
    std::ofstream(file) << "brindlemark journal 2\n";
    const int held = open(file.c_str(), O_RDONLY | O_CLOEXEC), other = open(file.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_TRUE(held >= 0 && other >= 0);
    ASSERT_FALSE(lockJournal(held, true));
    struct Case {
        const char* what;
        int (*sync)(int);
        std::function<brindlemark::platform::SystemError()> call;
        const char* step;  // nullptr: success
        int code;
    };
    const auto failing = [](int) { return errno = EIO, -1; };
    const auto unflushable = [](int) { return errno = EINVAL, -1; };
    FileIdentity identity;
    for (const Case& c : std::vector<Case>{
             {"a flush that fails", failing, [&] { return flushToDisk(held); }, "fsync", EIO},
             {"a folder that cannot be flushed", unflushable, [&] { return flushFolder(dir); }, nullptr, 0},
             {"a folder that fails to flush", failing, [&] { return flushFolder(dir); }, "fsync", EIO},
             {"no folder", ::fsync, [&] { return flushFolder(dir + "/none"); }, "open", ENOENT},
             {"a lock held", ::fsync, [&] { return lockJournal(other, false); }, "lock", EWOULDBLOCK},
             {"a write to a file open for reading", ::fsync, [&] { return writeWhole(other, "x"); }, "write", EBADF},
             {"no file", ::fsync, [&] { return identityAt((dir + "/none").c_str(), identity); }, "statx", ENOENT},
             {"a file", ::fsync, [&] { return identityAt(file.c_str(), identity); }, nullptr, 0},
         }) {
        journalSync = c.sync;
        const brindlemark::platform::SystemError result = c.call();
        EXPECT_EQ(result.code, c.code) << c.what;
        EXPECT_STREQ(result.step, c.step) << c.what;
    }
    close(held);
    close(other);
}

TEST_F(JournalSeam, ReadAheadFindsWhatUndoWouldFindInTurnAndStopsWhenLeft) {
    // More records than the window, every third file gone since the run.
    constexpr int RECORDS = 3 * static_cast<int>(IdentityReadAhead::WINDOW);
    std::vector<JournalRecord> records(RECORDS);
    for (int i = 0; i < RECORDS; ++i) {
        JournalRecord& record = records[static_cast<std::size_t>(i)];
        record.oldPath = dir + "/old" + std::to_string(i);
        record.newPath = dir + "/new" + std::to_string(i);
        std::ofstream(record.newPath) << i;
        ASSERT_FALSE(identityAt(record.newPath.c_str(), record.file));
        if (i % 3 == 0) std::remove(record.newPath.c_str());
    }
    struct Case {
        const char* what;
        std::size_t taken;  // then the read-ahead is left
    };
    for (const Case& c : std::vector<Case>{{"every record", records.size()}, {"left half way", records.size() / 2}, {"none", 0}}) {
        std::vector<const JournalRecord*> order;
        for (const JournalRecord& record : records) order.push_back(&record);
        IdentityReadAhead readAhead(order);
        for (std::size_t k = 0; k < c.taken; ++k) {
            const IdentityReadAhead::Found found = readAhead.take(k);
            EXPECT_EQ(found.atNewName, k % 3 != 0) << c.what << " " << k;
            EXPECT_FALSE(found.atOldName) << c.what << " " << k;
        }
    }
}

class JournalFiles : public TempFolderTest {
protected:
    void TearDown() override { journalSync = ::fsync; }
    std::string file(const std::string& name, const std::string& text = "content") {
        std::ofstream(dir + "/" + name, std::ios::binary) << text;
        return dir + "/" + name;
    }
};

TEST_F(JournalFiles, AJournalStaysOnlyWhenAMoveMayHaveBeenMadeOrTheUserNamedIt) {
    struct Case {
        const char* what;
        bool named;  // --journal FILE
        int moves, refusedMoves;
        bool syncFails, stays;
    };
    for (const Case& c : std::vector<Case>{
             {"no move", false, 0, 0, false, false},
             {"every move refused", false, 2, 2, false, false},
             {"one move of two made", false, 2, 1, false, true},
             {"--journal FILE without moves", true, 0, 0, false, true},
             {"not flushed to disk", false, 1, 0, true, true},
         }) {
        const std::string folder = dir + "/" + c.what, source = file(std::string(c.what) + ".spc");
        fs::create_directories(folder);
        JournalWriter writer;
        std::string error;
        ASSERT_TRUE(c.named ? writer.create(folder + "/mine.journal", error) : writer.createIn(folder, error)) << error;
        for (int i = 0; i < c.moves; ++i) {
            const std::string target = source + std::to_string(i);
            ASSERT_TRUE(writer.recordMove(source.c_str(), target.c_str())) << c.what;
            EXPECT_TRUE(i >= c.refusedMoves || writer.recordRefused(source.c_str(), target.c_str())) << c.what;
        }
        journalSync = c.syncFails ? [](int) { return errno = EIO, -1; } : ::fsync;
        const std::string path = writer.path();
        EXPECT_EQ(writer.finish(), !c.syncFails) << c.what;
        EXPECT_EQ(writer.failed(), c.syncFails) << c.what;
        EXPECT_EQ(fs::exists(path), c.stays) << c.what;
    }
}

TEST_F(JournalFiles, AnUndoneMarkStartsALineOfItsOwnAndCoversTheJournal) {
    const std::string folder = dir + "/state", source = file("a.spc");
    JournalWriter writer;
    std::string error;
    ASSERT_TRUE(writer.createIn(folder, error)) << error;
    ASSERT_TRUE(writer.recordMove(source.c_str(), (dir + "/b.spc").c_str()));
    writer.finish();
    std::ofstream(writer.path(), std::ios::app) << "move\t1\t2\t-\t5.000000006\t7\t/f/c.spc\t/f/d";  // a full disk
    JournalToUndo journal;
    ASSERT_EQ(journal.openNewest(folder, false, error), JournalToUndo::Found::Journal) << error;
    ASSERT_TRUE(journal.markUndone(error)) << error;
    EXPECT_EQ(JournalToUndo().openNewest(folder, false, error), JournalToUndo::Found::None) << error;
}

TEST_F(JournalFiles, AFolderKeepsItsNewestJournalsAndRecentOnesNotUndone) {
    const std::time_t now = 1800000000;
    struct Journal {
        int daysOld;
        bool undone, kept;
    };
    // count journals of one kind, newest first
    const auto repeat = [](std::vector<Journal>& into, int count, Journal journal) {
        for (int i = 0; i < count; ++i) into.push_back(journal);
    };
    struct Case {
        const char* what;
        std::vector<Journal> journals;
    };
    std::vector<Case> cases(4);
    cases[0].what = "the newest 100 and recent ones stay";
    cases[0].journals = {{0, false, true}, {1, true, false}};
    repeat(cases[0].journals, 98, {30, false, true});
    cases[0].journals.push_back({60, false, true});  // beyond the newest 100, but recent
    repeat(cases[0].journals, 3, {91, false, false});
    cases[1].what = "undone journals removed take no place among the newest";
    repeat(cases[1].journals, 100, {1, true, false});
    cases[1].journals.push_back({200, false, true});
    cases[2].what = "the 100th newest stays";
    repeat(cases[2].journals, 100, {200, false, true});
    cases[3].what = "the 101st newest goes";
    repeat(cases[3].journals, 100, {200, false, true});
    cases[3].journals.push_back({200, false, false});
    for (const Case& c : cases) {
        const std::string folder = std::string("journal ") + c.what;
        fs::create_directories(dir + "/" + folder);
        std::set<std::string> kept{"notes.txt", ".pruned"}, left;  // and the mark of the pruning
        file(folder + "/notes.txt");
        for (std::size_t i = 0; i < c.journals.size(); ++i) {
            const std::time_t start = now - c.journals[i].daysOld * 86400 - static_cast<std::time_t>(i);
            char name[64];
            std::strftime(name, sizeof name, "%Y%m%dT%H%M%S.000000000Z-1.journal", std::gmtime(&start));
            file(folder + "/" + name, HEADER2 + move("/f/a", "/f/b") + (c.journals[i].undone ? "undone\n" : ""));
            if (c.journals[i].kept) kept.insert(name);
        }
        pruneJournals(dir + "/" + folder, now);
        for (const auto& entry : fs::directory_iterator(dir + "/" + folder)) left.insert(entry.path().filename().string());
        EXPECT_EQ(left, kept) << c.what;
    }
}

TEST_F(JournalFiles, APruningOpensOnlyTheJournalsChangedSinceTheLastOne) {
    fs::create_directories(dir + "/journal");
    const std::time_t now = std::time(nullptr);
    struct Case {
        const char* name;
        bool undoneBefore, undoneBetween, kept;
    };
    const std::vector<Case> cases{
        {"20200101T000000.000000000Z-1.journal", false, false, true},
        {"20200101T000001.000000000Z-1.journal", false, true, false},  // undone after the first pruning
        {"20200101T000002.000000000Z-1.journal", true, false, false},
    };
    for (const Case& c : cases) file("journal/" + std::string(c.name), HEADER2 + move("/f/a", "/f/b") + (c.undoneBefore ? "undone\n" : ""));
    pruneJournals(dir + "/journal", now);
    for (const Case& c : cases) {
        if (c.undoneBetween) std::ofstream(dir + "/journal/" + c.name, std::ios::app) << "undone\n";
    }
    pruneJournals(dir + "/journal", now);
    for (const Case& c : cases) EXPECT_EQ(fs::exists(dir + "/journal/" + c.name), c.kept) << c.name;
}

TEST_F(JournalFiles, AWalkNeverLeavesTheTreeThroughAFolderSwappedForALink) {
    for (const char* folder : {"tree/a", "tree/b", "outside/b"}) fs::create_directories(dir + "/" + folder);
    for (const char* name : {"tree/a/1.spc", "tree/b/2.spc", "outside/b/9.spc"}) file(name);
    std::vector<std::string> found;
    const auto onFile = [&](const std::string& path) {
        found.push_back(path.substr(dir.size() + 1));
        if (found.size() > 1) return;
        fs::rename(dir + "/tree", dir + "/moved");  // the top swapped for a link while the walk is in it
        fs::create_directory_symlink(dir + "/outside", dir + "/tree");
    };
    walkFolder(dir + "/tree", onFile, [](const std::string& path, int) { ADD_FAILURE() << path; });
    EXPECT_EQ(found, (std::vector<std::string>{"tree/a/1.spc", "tree/b/2.spc"}));
}

}  // namespace
