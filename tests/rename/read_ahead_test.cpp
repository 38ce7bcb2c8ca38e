// The rename batch reading ahead: whatever the window's bound, each file is
// named as if its tag were read just before it moves, a failed read stays
// its own file's, and each set is named as a whole before any of it moves.

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/real_file_system.h"
#include "rename/rename_batch.h"
#include "spcbuild/spc_builder.h"
#include "tests/support/temp_folder.h"

namespace {

using Lines = std::vector<std::string>;
namespace rename = brindlemark::rename;
namespace platform = brindlemark::platform;
namespace spctag = brindlemark::spctag;

// An SPC file with the title (and, when given, the track of its extended tag).
spcbuild::Bytes spc(const std::string& title, std::uint16_t track = 0) { return titledSpc(title, track); }

// The real file system, but the file at one path cannot be opened.
class OneUnreadable final : public platform::FileSystem {
public:
    explicit OneUnreadable(std::string path) : path_(std::move(path)) {}
    platform::ReadOnlyFile openForReading(const char* path) override {
        return path_ == path ? platform::ReadOnlyFile() : real_.openForReading(path);
    }

protected:
    platform::SystemError entryAt(const char* path) override { return real_.moveNoReplace(path, path); }
    platform::SystemError moveEntry(const char* source, const char* target) override {
        return real_.moveNoReplace(source, target);
    }

private:
    std::string path_;
    platform::RealFileSystem real_;
};

// Runs the batch with "%S" and gives its lines, in the folder's own names.
Lines renameAll(const TempDir& folder, const Lines& names, std::size_t windowFiles, platform::FileSystem& fileSystem,
                const rename::NameStyle& style = rename::NameStyle(), const rename::SetReport& sets = nullptr) {
    std::vector<rename::DroppedFile> drop;
    for (const std::string& name : names) drop.push_back({folder.pathOf(name), false});
    rename::BatchSettings settings;
    settings.readAhead.files = windowFiles;
    settings.setNamed = sets;
    Lines lines;
    rename::renameDroppedFiles("%S", drop, fileSystem, style, [&lines](const rename::FileOutcome& outcome) {
        lines.push_back(rename::outcomeLine(outcome));
        return true;
    }, settings);
    return lines;
}

TEST(ReadAheadBatch, NamesEachFileAsIfReadJustBeforeItMoves) {
    const struct {
        const char* what;
        std::function<void(const TempDir&)> make;
        Lines drop;  // the batch takes the last first
        Lines lines;
    } cases[] = {
        {"a later file names the path an earlier move filled",
         [](const TempDir& f) { f.write("a.spc", spc("Alpha")); }, {"Alpha.spc", "a.spc"},
         {"a.spc -> Alpha.spc", "Alpha.spc -> Alpha.spc"}},
        {"one file dropped twice", [](const TempDir& f) { f.write("a.spc", spc("Alpha")); }, {"a.spc", "a.spc"},
         {"a.spc -> Alpha.spc", "a.spc is not an SPC"}},
        {"a symlink to a file moved earlier",
         [](const TempDir& f) {
             f.write("a.spc", spc("Alpha"));
             ASSERT_EQ(symlink("a.spc", f.pathOf("link.spc").c_str()), 0);
         },
         {"link.spc", "a.spc"}, {"a.spc -> Alpha.spc", "link.spc is not an SPC"}},
        {"a hard link of a file moved earlier",
         [](const TempDir& f) {
             f.write("a.spc", spc("Alpha"));
             ASSERT_EQ(link(f.pathOf("a.spc").c_str(), f.pathOf("b.spc").c_str()), 0);
         },
         {"b.spc", "a.spc"}, {"a.spc -> Alpha.spc", "b.spc != Alpha.spc"}},
        {"a chain of names across the sets of one folder",
         [](const TempDir& f) {
             f.write("p.spc", spc("New"));
             f.write("q.spc", spc("p"));
             f.write("r.spc", spc("Q"));
         },
         {"New.spc", "p.spc", "q.spc", "r.spc"},
         {"r.spc -> Q.spc", "q.spc != p.spc", "p.spc -> New.spc", "New.spc -> New.spc"}},
    };
    for (const auto& c : cases) {
        for (const std::size_t windowFiles : {1u, 2u, 1024u}) {
            SCOPED_TRACE(std::string(c.what) + ", sets of " + std::to_string(windowFiles));
            const TempDir folder;
            c.make(folder);
            platform::RealFileSystem fileSystem;
            EXPECT_EQ(renameAll(folder, c.drop, windowFiles, fileSystem), c.lines);
        }
    }
}

TEST(ReadAheadBatch, AFileThatCannotBeReadIsNoSpcAndTheOthersGoOn) {
    const TempDir folder;
    Lines drop, lines;
    for (int i = 0; i < 12; ++i) {
        const std::string name = "f" + std::to_string(i) + ".spc";
        folder.write(name, spc("Song " + std::to_string(i)));
        drop.push_back(name);
        lines.insert(lines.begin(), i == 5 ? name + " is not an SPC" : name + " -> Song " + std::to_string(i) + ".spc");
    }
    OneUnreadable fileSystem(folder.pathOf("f5.spc"));
    EXPECT_EQ(renameAll(folder, drop, 1024, fileSystem), lines);
}

// Records the order of the style's calls: "set N" with the number of tags,
// "tag" for each file named.
class RecordingStyle final : public rename::NameStyle {
public:
    mutable Lines calls;
    void prepareSet(const std::vector<const spctag::ID666Tag*>& tags) const override {
        calls.push_back("set " + std::to_string(tags.size()));
    }
    void prepareTag(spctag::ID666Tag&) const override { calls.push_back("tag"); }
};

TEST(ReadAheadBatch, NamesEachSetWholeBeforeAnyOfItMoves) {
    const struct {
        const char* what;
        Lines drop;
        std::size_t windowFiles;
        Lines sets;  // per set: its files, each with the number sharing its new name, and the largest track
        Lines calls;
    } cases[] = {
        {"one folder in one set", {"a.spc", "b.spc", "c.spc", "x.txt"}, 1024,
         {"x.txt:0 c.spc:1 b.spc:2 a.spc:2 track 12"}, {"set 3", "tag", "tag", "tag"}},
        {"one folder in sets of two", {"a.spc", "b.spc", "c.spc", "x.txt"}, 2,
         {"x.txt:0 c.spc:1 track 12", "b.spc:2 a.spc:2 track 3"}, {"set 1", "tag", "set 2", "tag", "tag"}},
        {"a set ends where the folder changes", {"a.spc", "sub/d.spc", "b.spc"}, 1024,
         {"b.spc:1 track 3", "sub/d.spc:1 track 0", "a.spc:1 track 0"},
         {"set 1", "tag", "set 1", "tag", "set 1", "tag"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const TempDir folder;
        ASSERT_EQ(mkdir(folder.pathOf("sub").c_str(), 0755), 0);
        folder.write("a.spc", spc("Same"));
        folder.write("b.spc", spc("Same", 3));
        folder.write("c.spc", spc("Other", 12));
        folder.write("sub/d.spc", spc("Deep"));
        folder.write("x.txt", {'t', 'e', 'x', 't'});
        Lines sets;
        const auto describe = [&sets, &folder](const rename::NameSet& set) {
            std::string text;
            for (std::size_t i = 0; i < set.files.size(); ++i) {
                text += set.files[i]->path.substr(folder.path().size() + 1) + ":" +
                        std::to_string(set.filesWithSameName[i]) + " ";
            }
            sets.push_back(text + "track " + std::to_string(set.largestTrack));
        };
        RecordingStyle style;
        platform::RealFileSystem fileSystem;
        renameAll(folder, c.drop, c.windowFiles, fileSystem, style, describe);
        EXPECT_EQ(sets, c.sets);
        EXPECT_EQ(style.calls, c.calls);
    }
}

}  // namespace
