// The batch's set step on real files: %*N padded to the set's largest track
// number, and names a set would give twice told apart.

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/real_file_system.h"
#include "rename/rename_batch.h"
#include "tests/support/temp_folder.h"
#include "tests/support/titled_spc.h"

namespace {

using Lines = std::vector<std::string>;
namespace rename = brindlemark::rename;
namespace platform = brindlemark::platform;

// A file of a table row: its name in the folder (perhaps in a sub-folder)
// and its tag's title and track.
struct File {
    std::string name, title;
    std::uint16_t track;
};

// Writes the files, drops those named in drop in its order and gives the
// batch's lines.
Lines renameAll(const TempDir& folder, const char* nameTemplate, const std::vector<File>& files, const Lines& drop,
                platform::FileSystem& fileSystem, const rename::BatchSettings& settings = rename::BatchSettings()) {
    for (const File& file : files) {
        const std::size_t slash = file.name.find('/');
        if (slash != std::string::npos) mkdir(folder.pathOf(file.name.substr(0, slash)).c_str(), 0755);
        folder.write(file.name, titledSpc(file.title, file.track));
    }
    std::vector<rename::DroppedFile> dropped;
    for (const std::string& name : drop) dropped.push_back({folder.pathOf(name), false});
    Lines lines;
    rename::renameDroppedFiles(rename::NameTemplate(nameTemplate, rename::TemplateDialect::Console), dropped,
                               fileSystem, rename::NameStyle(), [&lines](const rename::FileOutcome& outcome) {
                                   lines.push_back(rename::outcomeLine(outcome));
                                   return true;
                               }, settings);
    return lines;
}

TEST(SetWidth, PadsEveryTrackOfASetToItsLargestNumber) {
    const struct {
        const char* what;
        std::vector<File> files;
        Lines lines;  // the last dropped first
    } cases[] = {
        {"tracks below 10 take two digits", {{"a.spc", "A", 3}, {"b.spc", "B", 7}},
         {"b.spc -> 07 - B.spc", "a.spc -> 03 - A.spc"}},
        {"the number after the name's last dash", {{"a.spc", "A", 7}, {"castle-120.spc", "Gate", 0}},
         {"castle-120.spc -> 120 - Gate.spc", "a.spc -> 007 - A.spc"}},
        {"a number that begins the name", {{"100 Finale.spc", "Finale", 0}, {"b.spc", "B", 9}},
         {"b.spc -> 009 - B.spc", "100 Finale.spc -> 100 - Finale.spc"}},
        {"a name in the console's own form, its disc left out",
         {{"2-100 - Old.spc", "Old", 0}, {"x-7.spc", "Seven", 0}},
         {"x-7.spc -> 007 - Seven.spc", "2-100 - Old.spc -> 100 - Old.spc"}},
        {"a track's letter is no digit", {{"12b - Boss.spc", "Boss", 0}, {"c.spc", "C", 5}},
         {"c.spc -> 05 - C.spc", "12b - Boss.spc -> 12b - Boss.spc"}},
        {"each folder is its own set", {{"a/x-100.spc", "X", 0}, {"b/y.spc", "Y", 7}},
         {"y.spc -> 07 - Y.spc", "x-100.spc -> 100 - X.spc"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const TempDir folder;
        platform::RealFileSystem fileSystem;
        Lines drop;
        for (const File& file : c.files) drop.push_back(file.name);
        EXPECT_EQ(renameAll(folder, "%*N - %S", c.files, drop, fileSystem), c.lines);
    }
}

TEST(NameClash, FilesOfASetGivenOneNameAreNumberedInTheOrderGiven) {
    const struct {
        const char* what;
        std::vector<File> files;  // in the folder
        Lines drop;
        bool fix;
        Lines lines;  // the last dropped first
    } cases[] = {
        {"without --fix-conflicts the second move is refused", {{"a.spc", "Song", 0}, {"b.spc", "Song", 0}},
         {"a.spc", "b.spc"}, false, {"b.spc -> Song.spc", "a.spc != Song.spc"}},
        {"two files of one set", {{"a.spc", "Song", 0}, {"b.spc", "Song", 0}}, {"a.spc", "b.spc"}, true,
         {"b.spc -> Song (2).spc", "a.spc -> Song.spc"}},
        {"a file outside the drop bears the name",
         {{"Song.spc", "Kept", 0}, {"a.spc", "Song", 0}, {"b.spc", "Song", 0}}, {"a.spc", "b.spc"}, true,
         {"b.spc -> Song (3).spc", "a.spc -> Song (2).spc"}},
        {"a numbered name that is taken moves on",
         {{"Song (2).spc", "Kept", 0}, {"a.spc", "Song", 0}, {"b.spc", "Song", 0}}, {"a.spc", "b.spc"}, true,
         {"b.spc -> Song (3).spc", "a.spc -> Song.spc"}},
        {"a numbered name another file of the set gets plain",
         {{"a.spc", "Song", 0}, {"b.spc", "Song", 0}, {"c.spc", "Song (2)", 0}}, {"a.spc", "b.spc", "c.spc"}, true,
         {"c.spc -> Song (2).spc", "b.spc -> Song (3).spc", "a.spc -> Song.spc"}},
        {"a file of the drop that keeps its name bears it", {{"Song.spc", "", 0}, {"a.spc", "Song", 0}},
         {"Song.spc", "a.spc"}, true, {"a.spc -> Song (2).spc", "Song.spc - ID666 tag did not contain any information"}},
        {"a file given later moves away first", {{"a.spc", "Song", 0}, {"Song.spc", "Other", 0}},
         {"a.spc", "Song.spc"}, true, {"Song.spc -> Other.spc", "a.spc -> Song.spc"}},
        {"numbered names run again", {{"Song.spc", "Song", 0}, {"Song (2).spc", "Song", 0}},
         {"Song.spc", "Song (2).spc"}, true, {"Song (2).spc -> Song (2).spc", "Song.spc -> Song.spc"}},
        {"numbered names run again in the order a shell sorts them",
         {{"Song.spc", "Song", 0}, {"Song (2).spc", "Song", 0}, {"Song (4).spc", "Song", 0}, {"a.spc", "Song", 0}},
         {"Song (2).spc", "Song (4).spc", "Song.spc", "a.spc"}, true,
         {"a.spc -> Song (3).spc", "Song.spc -> Song.spc", "Song (4).spc -> Song (4).spc",
          "Song (2).spc -> Song (2).spc"}},
        {"one file dropped twice moves once", {{"a.spc", "Song", 0}}, {"a.spc", "a.spc"}, true,
         {"a.spc -> Song.spc", "a.spc is not an SPC"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const TempDir folder;
        platform::RealFileSystem fileSystem;
        rename::BatchSettings settings;
        settings.fixConflicts = c.fix;
        EXPECT_EQ(renameAll(folder, "%S", c.files, c.drop, fileSystem, settings), c.lines);
    }
}

}  // namespace
