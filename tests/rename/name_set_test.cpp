// The batch's set step on real files: %*N padded to the set's largest track
// number, and names a set would give twice told apart.

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/real_file_system.h"
#include "rename/rename_batch.h"
#include "spcbuild/spc_builder.h"
#include "tests/support/temp_folder.h"

namespace {

using Lines = std::vector<std::string>;
namespace rename = brindlemark::rename;
namespace platform = brindlemark::platform;

// An SPC file with the title (and, when given, the track of its extended tag).
spcbuild::Bytes spc(const std::string& title, std::uint16_t track = 0) {
    spcbuild::TextTag tag;
    tag.song = title;
    spcbuild::Bytes bytes = spcbuild::spcWithTextTag(tag);
    if (track != 0) {
        spcbuild::appendExtendedTag(bytes, spcbuild::chunkBlock({spcbuild::valueChunk(0x12, track << 8)}));
    }
    return bytes;
}

// A file of a table row: its name in the folder (perhaps in a sub-folder)
// and its tag's title and track.
struct File {
    std::string name, title;
    std::uint16_t track;
};

// Writes the files, drops them in the row's order and gives the batch's
// lines.
Lines renameAll(const TempDir& folder, const char* nameTemplate, const std::vector<File>& files,
                platform::FileSystem& fileSystem, const rename::BatchSettings& settings = rename::BatchSettings()) {
    std::vector<rename::DroppedFile> drop;
    for (const File& file : files) {
        const std::size_t slash = file.name.find('/');
        if (slash != std::string::npos) mkdir(folder.pathOf(file.name.substr(0, slash)).c_str(), 0755);
        drop.push_back({folder.write(file.name, spc(file.title, file.track)), false});
    }
    Lines lines;
    rename::renameDroppedFiles(rename::NameTemplate(nameTemplate, rename::TemplateDialect::Console), drop, fileSystem,
                               rename::NameStyle(), [&lines](const rename::FileOutcome& outcome) {
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
        EXPECT_EQ(renameAll(folder, "%*N - %S", c.files, fileSystem), c.lines);
    }
}

}  // namespace
