// The rename batch on real files, at the edge of what one dropped path can
// carry: a drop holds at most 254 characters of a path, so a longer path
// arrives cut and may name another file of the folder.

#include "rename/rename_batch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/real_file_system.h"
#include "spcbuild/spc_builder.h"
#include "tests/support/temp_folder.h"

namespace {

using spcbuild::Bytes;
using Lines = std::vector<std::string>;
namespace rename = brindlemark::rename;

// Runs the batch on real files and gives its lines.
Lines renameAll(const char* nameTemplate, const std::vector<rename::DroppedFile>& drop) {
    brindlemark::platform::RealFileSystem fileSystem;
    Lines lines;
    rename::renameDroppedFiles(nameTemplate, drop, fileSystem, rename::NameStyle(),
                               [&lines](const rename::FileOutcome& outcome) {
                                   lines.push_back(rename::outcomeLine(outcome));
                                   return true;
                               });
    return lines;
}

Bytes song(const std::string& title) {
    spcbuild::TextTag tag;
    tag.song = title;
    tag.game = "Game";
    return spcbuild::spcWithTextTag(tag);
}

Bytes contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Lines files(const std::string& folder) {
    Lines names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(RenameBatchDroppedPath, IsUsedUpTo254CharactersAndNeverOpenedCutAlteredOrADevice) {
    const TempDir folder;
    ASSERT_FALSE(folder.path().empty());
    const std::size_t folderLength = folder.path().size() + 1;  // with its final "/"
    ASSERT_LT(folderLength, 200u) << "the temporary folder lies too deep for this test";
    const std::string used = std::string(254 - folderLength - 4, 'U') + ".spc";
    const std::string cut = std::string(254 - folderLength - 4, 'C') + ".spc";
    const std::string uncut = cut + "x";  // 255 characters, cut to the name above
    const Bytes usedSong = song("Used"), cutSong = song("Cut"), uncutSong = song("Uncut");
    ASSERT_FALSE(folder.write(used, usedSong).empty());
    ASSERT_FALSE(folder.write(cut, cutSong).empty());
    ASSERT_FALSE(folder.write(uncut, uncutSong).empty());
    ASSERT_FALSE(folder.write("aux.spc", usedSong).empty());
    ASSERT_EQ(folder.pathOf(used).size(), 254u);
    ASSERT_EQ(folder.pathOf(uncut).size(), 255u);

    const struct {
        const char* what;
        std::string dropped;
        bool altered;  // not exactly the name that was dropped
        std::string line;
    } drops[] = {
        {"255 characters, cut to another SPC's path", uncut, false, uncut + " is not an SPC"},
        {"an SPC's path, altered on its way", cut, true, cut + " is not an SPC"},
        {"a Windows device name, which opens the device there", "aux.spc", false, "aux.spc is not an SPC"},
        {"254 characters", used, false, used + " -> Used.spc"},
    };
    for (const auto& d : drops) {
        SCOPED_TRACE(d.what);
        EXPECT_EQ(renameAll("%S", {{folder.pathOf(d.dropped), d.altered}}), Lines{d.line});
    }

    EXPECT_EQ(files(folder.path()), (Lines{cut, uncut, "Used.spc", "aux.spc"}));
    EXPECT_EQ(contents(folder.pathOf(cut)), cutSong);
    EXPECT_EQ(contents(folder.pathOf(uncut)), uncutSong);
    EXPECT_EQ(contents(folder.pathOf("Used.spc")), usedSong);
}

// Windows takes these names for devices (a move there can hand the file to
// the device and delete it), and a POSIX file system takes them for plain
// names: here only the batch's own refusal stands between the file and the
// name, so the batch is seen refusing it on every system.
TEST(RenameBatchNewName, IsNeverAWindowsDeviceName) {
    const TempDir folder;
    ASSERT_FALSE(folder.path().empty());
    const struct {
        const char* title;
        bool device;
    } songs[] = {
        {"Nul", true},   {"con", true},     {"AUX", true},     {"Prn", true},   {"com9", true},
        {"LPT1", true},  {"CONIN$", true},  {"conout$", true}, {"nul. .", true}, {"Con.spc", true},
        {"Nully", false}, {"COM10", false}, {"LPT", false},    {"CONOUT", false}, {"COM0", false}, {"lpt0", false},
    };
    std::vector<rename::DroppedFile> drop;
    Lines expected;
    for (std::size_t i = 0; i < std::size(songs); ++i) {
        const std::string name = "s" + std::to_string(i) + ".spc";
        drop.push_back({folder.write(name, song(songs[i].title)), false});
        ASSERT_FALSE(drop.back().path.empty());
        expected.insert(expected.begin(), name + (songs[i].device ? " != " : " -> ") + songs[i].title + ".spc");
    }
    EXPECT_EQ(renameAll("%S", drop), expected);
    for (std::size_t i = 0; i < std::size(songs); ++i) {
        SCOPED_TRACE(songs[i].title);
        const std::string kept = songs[i].device ? "s" + std::to_string(i) + ".spc" : std::string(songs[i].title) + ".spc";
        EXPECT_EQ(contents(folder.pathOf(kept)), song(songs[i].title));
    }
    EXPECT_EQ(files(folder.path()).size(), std::size(songs));
}

}  // namespace
