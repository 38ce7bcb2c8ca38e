// The batch's set step on real files: %*N padded to the set's largest track
// number, and names a set would give twice told apart.

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/real_file_system.h"
#include "rename/rename_batch.h"
#include "tests/support/temp_folder.h"

namespace {

using Lines = std::vector<std::string>;
namespace rename = brindlemark::rename;

// Writes each file of drop, "name=Title" or "name=Title#track", and each
// name of outside with the title "Kept", drops the former in their order
// and gives the batch's lines (the last dropped first).
Lines renameAll(const char* nameTemplate, const Lines& drop, const Lines& outside = {}, bool fixConflicts = false) {
    const TempDir folder;
    for (const std::string& name : outside) folder.write(name, titledSpc("Kept"));
    std::vector<rename::DroppedFile> dropped;
    for (const std::string& file : drop) {
        const std::size_t title = file.find('='), track = file.find('#'), slash = file.find('/');
        if (slash != std::string::npos) mkdir(folder.pathOf(file.substr(0, slash)).c_str(), 0755);
        const int number = track == std::string::npos ? 0 : std::stoi(file.substr(track + 1));
        const spcbuild::Bytes bytes = titledSpc(file.substr(title + 1, track - title - 1), static_cast<std::uint16_t>(number));
        dropped.push_back({folder.write(file.substr(0, title), bytes), false});
    }
    rename::BatchSettings settings;
    settings.fixConflicts = fixConflicts;
    brindlemark::platform::RealFileSystem fileSystem;
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
        Lines drop, lines;
    } cases[] = {
        {"after the name's last dash", {"a.spc=A#7", "x-120.spc=X"}, {"x-120.spc -> 120 - X.spc", "a.spc -> 007 - A.spc"}},
        {"beginning the name", {"100 Y.spc=Y", "b.spc=B#9"}, {"b.spc -> 009 - B.spc", "100 Y.spc -> 100 - Y.spc"}},
        {"the console's own form", {"2-100 - Z.spc=Z", "x-7.spc=X"}, {"x-7.spc -> 007 - X.spc", "2-100 - Z.spc -> 100 - Z.spc"}},
        {"a letter is no digit", {"12b - Z.spc=Z", "c.spc=C#5"}, {"c.spc -> 05 - C.spc", "12b - Z.spc -> 12b - Z.spc"}},
        {"a folder is a set", {"a/x-100.spc=X", "b/y.spc=Y#7"}, {"y.spc -> 07 - Y.spc", "x-100.spc -> 100 - X.spc"}},
    };
    for (const auto& c : cases) EXPECT_EQ(renameAll("%*N - %S", c.drop), c.lines) << c.what;
}

TEST(NameClash, FilesOfASetGivenOneNameAreNumberedInTheOrderGiven) {
    const struct {
        const char* what;
        Lines drop, outside;
        bool fix;
        Lines lines;
    } cases[] = {
        {"without the option", {"a.spc=S", "b.spc=S"}, {}, false, {"b.spc -> S.spc", "a.spc != S.spc"}},
        {"two files of one set", {"a.spc=S", "b.spc=S"}, {}, true, {"b.spc -> S (2).spc", "a.spc -> S.spc"}},
        {"a file outside the drop", {"a.spc=S", "b.spc=S"}, {"S.spc"}, true, {"b.spc -> S (3).spc", "a.spc -> S (2).spc"}},
        {"a taken (2)", {"a.spc=S", "b.spc=S"}, {"S (2).spc"}, true, {"b.spc -> S (3).spc", "a.spc -> S.spc"}},
        {"another file's plain name", {"a.spc=S", "b.spc=S", "c.spc=S (2)"}, {}, true,
         {"c.spc -> S (2).spc", "b.spc -> S (3).spc", "a.spc -> S.spc"}},
        {"a file that keeps its name", {"S.spc=", "a.spc=S"}, {}, true,
         {"a.spc -> S (2).spc", "S.spc - ID666 tag did not contain any information"}},
        {"a file that moves away first", {"a.spc=S", "S.spc=T"}, {}, true, {"S.spc -> T.spc", "a.spc -> S.spc"}},
        {"numbered names again, in a shell's order", {"S (2).spc=S", "S (4).spc=S", "S.spc=S", "a.spc=S"}, {}, true,
         {"a.spc -> S (3).spc", "S.spc -> S.spc", "S (4).spc -> S (4).spc", "S (2).spc -> S (2).spc"}},
        {"one file dropped twice", {"a.spc=S", "a.spc=S"}, {}, true, {"a.spc -> S.spc", "a.spc is not an SPC"}},
    };
    for (const auto& c : cases) EXPECT_EQ(renameAll("%S", c.drop, c.outside, c.fix), c.lines) << c.what;
}

}  // namespace
