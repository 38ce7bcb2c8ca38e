// The real main dialog, created from template IDD_MAIN with mainDialogProc,
// fed WM_DROPFILES as the shell sends it, with the files on a real disk.
// This program carries the dialog template but not brindlemark.exe's
// manifest: it runs in the 8-bit code page of a Windows without the UTF-8
// setting (1252 under Wine), where a dropped name may not survive DragQueryFileA.

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "spcbuild/spc_builder.h"
#include "tests/windows/dialog_fixture.h"
#include "ui/main_dialog.h"
#include "ui/resource.h"

namespace fs = std::filesystem;
using spcbuild::Bytes;
using dialog_test::ansi;
using dialog_test::Lines;
using dialog_test::longSong;
using dialog_test::MainDialogTest;
using dialog_test::song;

namespace {

// ---- The template resource, read back field by field ------------------------

struct ControlTemplate {
    DWORD helpId, exStyle, style;
    short x, y, cx, cy;
    DWORD id;
    std::string windowClass, text;
};

struct DialogTemplate {
    WORD version, signature;
    DWORD helpId, exStyle, style;
    short x, y, cx, cy;
    std::string menu, windowClass, caption;
    WORD pointSize, weight;
    BYTE italic, charset;
    std::string font;
    std::vector<ControlTemplate> controls;
};

class TemplateReader {
public:
    explicit TemplateReader(const BYTE* data) : data_(data) {}
    WORD word() { WORD v; std::memcpy(&v, data_ + pos_, 2); pos_ += 2; return v; }
    DWORD dword() { DWORD v; std::memcpy(&v, data_ + pos_, 4); pos_ += 4; return v; }
    short coordinate() { return static_cast<short>(word()); }
    BYTE byte() { return data_[pos_++]; }
    void alignToDword() { pos_ = (pos_ + 3) & ~static_cast<std::size_t>(3); }
    std::string text() {
        std::string s;
        for (WORD c = word(); c != 0; c = word()) s.push_back(c < 0x80 ? static_cast<char>(c) : '?');
        return s;
    }
    // A text, or an ordinal written as "#n".
    std::string nameOrOrdinal() {
        if (word() != 0xFFFF) {
            pos_ -= 2;
            return text();
        }
        return "#" + std::to_string(word());
    }
    // A window class, the predefined control classes by their names in
    // capitals whether written as ordinals or as names.
    std::string windowClass() {
        std::string name = nameOrOrdinal();
        if (name == "#128") return "BUTTON";
        if (name == "#129") return "EDIT";
        if (name == "#130") return "STATIC";
        if (name == "#131") return "LISTBOX";
        std::transform(name.begin(), name.end(), name.begin(), [](char c) { return static_cast<char>(std::toupper(c)); });
        return name;
    }

private:
    const BYTE* data_;
    std::size_t pos_ = 0;
};

DialogTemplate readDialogTemplate(const BYTE* data) {
    TemplateReader r(data);
    DialogTemplate d{};
    d.version = r.word();
    d.signature = r.word();
    d.helpId = r.dword();
    d.exStyle = r.dword();
    d.style = r.dword();
    const WORD count = r.word();
    d.x = r.coordinate(); d.y = r.coordinate(); d.cx = r.coordinate(); d.cy = r.coordinate();
    d.menu = r.nameOrOrdinal();
    d.windowClass = r.nameOrOrdinal();
    d.caption = r.text();
    d.pointSize = r.word();
    d.weight = r.word();
    d.italic = r.byte();
    d.charset = r.byte();
    d.font = r.text();
    for (WORD i = 0; i < count; ++i) {
        r.alignToDword();
        ControlTemplate c{};
        c.helpId = r.dword();
        c.exStyle = r.dword();
        c.style = r.dword();
        c.x = r.coordinate(); c.y = r.coordinate(); c.cx = r.coordinate(); c.cy = r.coordinate();
        c.id = r.dword();
        c.windowClass = r.windowClass();
        c.text = r.nameOrOrdinal();
        for (WORD extra = r.word(); extra > 0; --extra) r.byte();
        d.controls.push_back(c);
    }
    return d;
}

// ---- The dialog --------------------------------------------------------------

TEST(MainDialogTemplate, IsTheExtendedEnglishTemplate101WithItsTenControls) {
    HRSRC resource = FindResourceExA(nullptr, MAKEINTRESOURCEA(5) /* RT_DIALOG */, MAKEINTRESOURCEA(IDD_MAIN),
                                     MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    ASSERT_NE(resource, nullptr) << "no dialog 101 in language 1033";
    const DialogTemplate d = readDialogTemplate(static_cast<const BYTE*>(LockResource(LoadResource(nullptr, resource))));

    EXPECT_EQ(d.version, 1);
    EXPECT_EQ(d.signature, 0xFFFF);
    EXPECT_EQ(d.helpId, 0u);
    EXPECT_EQ(d.exStyle, static_cast<DWORD>(WS_EX_ACCEPTFILES));
    EXPECT_EQ(d.style, static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT));
    EXPECT_EQ((std::vector<short>{d.x, d.y, d.cx, d.cy}), (std::vector<short>{0, 0, 231, 154}));
    EXPECT_EQ(d.menu, "");
    EXPECT_EQ(d.windowClass, "");
    EXPECT_EQ(d.caption, "Brindlemark 2.0");
    EXPECT_EQ(d.font, "MS Sans Serif");
    EXPECT_EQ(d.pointSize, 9);
    EXPECT_EQ(d.weight, 0);
    EXPECT_EQ(d.italic, 0);
    EXPECT_EQ(d.charset, 1);

    constexpr DWORD CHILD = WS_CHILD | WS_VISIBLE;
    constexpr DWORD LEGEND = CHILD | WS_GROUP | SS_LEFT;
    const struct {
        DWORD id;
        const char* windowClass;
        const char* text;
        short x, y, cx, cy;
        DWORD style;
    } expected[] = {
        {IDC_LOG, "LISTBOX", "", 3, 3, 225, 79,
         CHILD | WS_BORDER | WS_VSCROLL | WS_HSCROLL | LBS_NOSEL | LBS_NOINTEGRALHEIGHT},
        {0xFFFF, "BUTTON", "Rename Format", 3, 87, 225, 52, CHILD | BS_GROUPBOX},
        {IDC_LEGEND_SONG, "STATIC", "%S - Song", 8, 97, 34, 8, LEGEND},
        {IDC_LEGEND_GAME, "STATIC", "%G - Game", 80, 97, 36, 8, LEGEND},
        {IDC_LEGEND_ARTIST, "STATIC", "%A - Artist", 140, 97, 32, 8, LEGEND},
        {IDC_LEGEND_OST_TITLE, "STATIC", "%T - OST Title", 8, 108, 47, 8, LEGEND},
        {IDC_LEGEND_DISC, "STATIC", "%D - Disc", 80, 108, 32, 8, LEGEND},
        {IDC_LEGEND_TRACK, "STATIC", "%N - Track Number", 140, 108, 63, 8, LEGEND},
        {IDC_FORMAT, "EDIT", "", 8, 120, 215, 14, CHILD | WS_BORDER | WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL},
        {IDC_CREDIT, "STATIC", nullptr, 3, 143, 225, 8, CHILD | WS_GROUP | SS_RIGHT},
    };
    ASSERT_EQ(d.controls.size(), std::size(expected));
    for (std::size_t i = 0; i < d.controls.size(); ++i) {
        const ControlTemplate& c = d.controls[i];
        SCOPED_TRACE("control " + std::to_string(i) + " (" + c.text + ")");
        EXPECT_EQ(c.id & 0xFFFF, expected[i].id);  // the group box's -1
        EXPECT_EQ(c.windowClass, expected[i].windowClass);
        if (expected[i].text != nullptr) {
            EXPECT_EQ(c.text, expected[i].text);
        } else {
            EXPECT_FALSE(c.text.empty());  // the credit: any one line
        }
        EXPECT_EQ((std::vector<short>{c.x, c.y, c.cx, c.cy}),
                  (std::vector<short>{expected[i].x, expected[i].y, expected[i].cx, expected[i].cy}));
        EXPECT_EQ(c.style, expected[i].style) << std::hex << "differs in " << (c.style ^ expected[i].style);
        EXPECT_EQ(c.exStyle, 0u);
        EXPECT_EQ(c.helpId, 0u);
    }
}

TEST_F(MainDialogTest, StartsWithTheDefaultTemplateAndOnlyThePrompt) {
    EXPECT_EQ(templateText(), "%N - %S");
    EXPECT_EQ(logLines(), Lines{"Drag and drop files to be renamed"});
    EXPECT_TRUE(GetWindowLongA(dialog_, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    EXPECT_EQ(GetNextDlgTabItem(dialog_, nullptr, FALSE), GetDlgItem(dialog_, IDC_FORMAT));
}

TEST_F(MainDialogTest, EnterAndEscapeLeaveItOpenAndCloseEndsIt) {
    ShowWindow(dialog_, SW_SHOW);
    SendMessageA(dialog_, WM_COMMAND, IDOK, 0);
    SendMessageA(dialog_, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(IsWindowVisible(dialog_));
    SendMessageA(dialog_, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindowVisible(dialog_));  // EndDialog hides a modeless dialog
}

// ---- Drops ---------------------------------------------------------------------

TEST_F(MainDialogTest, LogsTheLastDroppedFileFirstWithEachOutcome) {
    fs::create_directory(folder_ / "sub");
    write("a-01.spc", song("Alpha"));
    write("notes.txt", Bytes{'h', 'i', '\n'});
    Bytes delta = song("Delta");
    spcbuild::appendExtendedTag(delta, spcbuild::chunkBlock({spcbuild::valueChunk(0x12, (3 << 8) | 'b')}));
    write("d.spc", delta);
    write("e-05.spc", song(""));
    write("f.spc", song("Foxtrot"));

    // The shell of Windows NT hands over UTF-16 paths.
    drop({"sub", "a-01.spc", "notes.txt", "d.spc", "e-05.spc", "f.spc", "gone.spc"}, true);

    EXPECT_EQ(logLines(), (Lines{
                              "gone.spc is not an SPC",
                              "f.spc - ID666 tag was missing some items",
                              "e-05.spc - ID666 tag did not contain any information",
                              "d.spc -> 3b - Delta.spc",
                              "notes.txt is not an SPC",
                              "a-01.spc -> 01 - Alpha.spc",
                              "sub is not an SPC",
                          }));
    EXPECT_EQ(files(), (Lines{"01 - Alpha.spc", "3b - Delta.spc", "e-05.spc", "f.spc", "notes.txt", "sub"}));
}

TEST_F(MainDialogTest, AnInvalidTemplateEndsTheBatchAndEachDropStartsAfresh) {
    write("a-02.spc", song("One"));
    drop({"a-02.spc"});
    EXPECT_EQ(logLines(), Lines{"a-02.spc -> 02 - One.spc"});

    write("x.spc", song("Ex"));
    write("y.spc", song("Why"));
    write("b.txt", Bytes{'b'});
    setTemplate("literal");
    drop({"x.spc", "y.spc", "b.txt"});
    EXPECT_EQ(logLines(), (Lines{"b.txt is not an SPC", "Rename format is invalid"}));
    EXPECT_EQ(files(), (Lines{"02 - One.spc", "b.txt", "x.spc", "y.spc"}));
}

TEST_F(MainDialogTest, ReadsOnlyTheFirst30CharactersOfTheTemplate) {
    write("s.spc", song("Song"));
    // Past character 30 a "%A" would ask for the artist, which the tag lacks.
    setTemplate("%S" + std::string(28, 'x') + "%A");
    drop({"s.spc"});
    const std::string stem = "Song" + std::string(28, 'x');
    EXPECT_EQ(logLines(), Lines{"s.spc -> " + stem + ".spc"});
    EXPECT_EQ(files(), Lines{stem + ".spc"});
}

TEST_F(MainDialogTest, NeverReplacesAFileButMayKeepItsOwnName) {
    const Bytes x = song("Same", "X"), y = song("Same", "Y"), keep = song("Keep"), w = song("Taken");
    const Bytes precious{'p', 'r', 'e', 'c', 'i', 'o', 'u', 's'};
    write("x.spc", x);
    write("y.spc", y);
    write("Keep.spc", keep);
    write("w.spc", w);
    write("Taken.spc", precious);
    setTemplate("%S");

    drop({"x.spc", "y.spc", "Keep.spc", "w.spc"});

    EXPECT_EQ(logLines(), (Lines{
                              "w.spc != Taken.spc",
                              "Keep.spc -> Keep.spc",
                              "y.spc -> Same.spc",
                              "x.spc != Same.spc",
                          }));
    EXPECT_EQ(files(), (Lines{"Keep.spc", "Same.spc", "Taken.spc", "w.spc", "x.spc"}));
    EXPECT_EQ(contents("Taken.spc"), precious);
    EXPECT_EQ(contents("w.spc"), w);
    EXPECT_EQ(contents("Same.spc"), y);
    EXPECT_EQ(contents("x.spc"), x);
    EXPECT_EQ(contents("Keep.spc"), keep);
}

TEST_F(MainDialogTest, ReplacesCharactersWindowsRefusesInTheNewName) {
    write("u.spc", song("a/b:c*d?e\"f<g>h|i\\j~\x7F\xE9\x01"));
    setTemplate("%S");
    drop({"u.spc"});
    const std::string name = "a_b_c_d_e_f_g_h_i_j~\x7F__.spc";
    EXPECT_EQ(logLines(), Lines{"u.spc -> " + name});
    EXPECT_EQ(files(), Lines{name});
}

TEST_F(MainDialogTest, UsesNewPathsOfAtMost255Characters) {
    const std::size_t folderLength = path("").size();  // with its final backslash
    ASSERT_LT(folderLength, 240u) << "the build folder lies too deep for this test";
    const std::string longest(255 - folderLength - 4, 'L');
    write("p.spc", longSong(longest));
    write("q.spc", longSong(longest + "Q"));
    setTemplate("%S");

    drop({"p.spc", "q.spc"});

    EXPECT_EQ(logLines(), (Lines{
                              "q.spc path and filename is more than 255 characters",
                              "p.spc -> " + longest + ".spc",
                          }));
    EXPECT_EQ(files(), (Lines{longest + ".spc", "q.spc"}));
}

// Every table below expects the 8-bit lines of code page 1252.
TEST(MainDialogProgram, HasNoManifestAndRunsInCodePage1252) {
    EXPECT_EQ(FindResourceA(nullptr, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24) /* RT_MANIFEST */), nullptr);
    EXPECT_EQ(GetACP(), 1252u);
}

// Explorer drops UTF-16 names; the batch reads them with DragQueryFileA,
// which turns a character code page 1252 lacks into a look-alike ("best
// fit") or a question mark. Such a path is never opened, let alone moved:
// its line is its 8-bit name and " is not an SPC".
TEST_F(MainDialogTest, NeverTakesALookAlikeForANameOutsideTheCodePage) {
    const Bytes wolf = song("Wolf"), lookAlike = song("Look-alike"), last = song("Last"), menu = song("Menu");
    write("\u014Ckami-04.spc", wolf);      // Ōkami: Ō is not in 1252
    write("Okami-04.spc", lookAlike);      // its 8-bit form
    write("\u03A9mega.spc", last);         // Ωmega, with nothing of its 8-bit form beside it
    write("Caf\u00E9-07.spc", menu);       // Café: é is in 1252
    setTemplate("%S");
    ASSERT_EQ(ansi(L"\u014Ckami-04.spc"), "Okami-04.spc");

    const struct {
        const char* dropped;
        std::string line;
    } drops[] = {
        {"\u014Ckami-04.spc", "Okami-04.spc is not an SPC"},
        {"\u03A9mega.spc", ansi(L"\u03A9mega.spc") + " is not an SPC"},
        {"Caf\u00E9-07.spc", "Caf\xE9-07.spc -> Menu.spc"},
    };
    for (const auto& d : drops) {
        SCOPED_TRACE(d.dropped);
        drop({d.dropped}, true);
        EXPECT_EQ(logLines(), Lines{d.line});
    }

    EXPECT_EQ(files(), (Lines{"Menu.spc", "Okami-04.spc", "\u014Ckami-04.spc", "\u03A9mega.spc"}));
    EXPECT_EQ(contents("Okami-04.spc"), lookAlike);
    EXPECT_EQ(contents("\u014Ckami-04.spc"), wolf);
    EXPECT_EQ(contents("\u03A9mega.spc"), last);
    EXPECT_EQ(contents("Menu.spc"), menu);
}

// A move to a device name could hand the file to the device and delete it:
// the batch refuses it as it refuses a taken name, in any case, with
// trailing spaces and dots, and with an extension behind the stem.
TEST_F(MainDialogTest, NeverMovesAFileToADeviceName) {
    const struct {
        const char* title;
        bool device;
    } songs[] = {
        {"Nul", true},     {"Con", true},      {"aux", true},        {"prn", true},
        {"COM1", true},    {"LPT9", true},     {"CONIN$", true},     {"conout$", true},
        {"nUl. .", true},  {"Aux.spc", true},  {"Nully", false},     {"COM10", false},
        {"LPT", false},    {"Conin", false},
    };
    Lines names, expected;
    std::vector<Bytes> bytes;
    for (std::size_t i = 0; i < std::size(songs); ++i) {
        names.push_back("s" + std::to_string(i) + ".spc");
        bytes.push_back(song(songs[i].title));
        write(names.back(), bytes.back());
        const std::string newName = std::string(songs[i].title) + ".spc";
        expected.insert(expected.begin(), names.back() + (songs[i].device ? " != " : " -> ") + newName);
    }
    setTemplate("%S");

    drop(names, true);

    EXPECT_EQ(logLines(), expected);
    for (std::size_t i = 0; i < std::size(songs); ++i) {
        SCOPED_TRACE(songs[i].title);
        const std::string kept = songs[i].device ? names[i] : std::string(songs[i].title) + ".spc";
        EXPECT_EQ(contents(kept), bytes[i]);
    }
    EXPECT_EQ(files().size(), std::size(songs));
}

// A drop carries at most 254 characters of a path. A path of 254 characters
// is used; one of 255 would arrive cut to 254, and the cut path here names
// another SPC file of the folder: neither file is opened or renamed, and the
// line names the file dropped.
TEST_F(MainDialogTest, UsesDroppedPathsUpTo254CharactersAndNoLonger) {
    const std::size_t folderLength = path("").size();  // with its final backslash
    ASSERT_LT(folderLength, 230u) << "the build folder lies too deep for this test";
    const std::string used = std::string(254 - folderLength - 4, 'U') + ".spc";
    const std::string cut = std::string(254 - folderLength - 4, 'C') + ".spc";
    const Bytes usedSong = song("Used"), cutSong = song("Cut"), longSong = song("Long");
    write(used, usedSong);
    write(cut, cutSong);
    write(cut + "x", longSong);  // 255 characters, cut to the name above
    ASSERT_EQ(path(used).size(), 254u);
    ASSERT_EQ(path(cut + "x").size(), 255u);
    setTemplate("%S");

    for (const bool wide : {true, false}) {
        SCOPED_TRACE(wide ? "UTF-16 drop" : "8-bit drop");
        drop({cut + "x"}, wide);
        EXPECT_EQ(logLines(), Lines{cut + "x is not an SPC"});
        EXPECT_EQ(contents(cut), cutSong);
        EXPECT_EQ(contents(cut + "x"), longSong);
    }
    drop({used}, true);
    EXPECT_EQ(logLines(), Lines{used + " -> Used.spc"});
    EXPECT_EQ(files(), (Lines{cut, cut + "x", "Used.spc"}));
    EXPECT_EQ(contents("Used.spc"), usedSong);
}

// A drive-relative path ("Z:a-01.spc", which Explorer never drops but
// another program may) names a file in that drive's current folder. The new
// path keeps the drive prefix, so the file stays in that folder, never in
// the process's current folder on another drive.
TEST_F(MainDialogTest, KeepsADriveRelativeFileInItsOwnFolder) {
    const fs::path elsewhere = fs::path(L"C:\\") / ("elsewhere-" + std::to_string(GetCurrentProcessId()));
    fs::create_directories(elsewhere);
    const fs::path before = fs::current_path();
    const std::wstring folder = folder_.wstring();
    ASSERT_EQ(folder.compare(0, 3, L"Z:\\"), 0) << "the build folder is not on drive Z:";
    // Drive Z's current folder is the test's folder; the process's own
    // current folder is on drive C:.
    ASSERT_TRUE(SetEnvironmentVariableW(L"=Z:", folder.c_str()));
    fs::current_path(elsewhere);
    const struct {
        const char* name;
        bool wide;
        const char* title;
    } drops[] = {{"a-01.spc", true, "Alpha"}, {"b-02.spc", false, "Bravo"}};
    for (const auto& d : drops) {
        SCOPED_TRACE(d.name);
        write(d.name, song(d.title));
        dropPaths({L"Z:" + fs::u8path(d.name).wstring()}, d.wide);
        EXPECT_EQ(logLines(), Lines{std::string(d.name) + " -> " + d.name[2] + d.name[3] + " - " + d.title + ".spc"});
    }
    fs::current_path(before);
    SetEnvironmentVariableW(L"=Z:", nullptr);
    EXPECT_EQ(files(), (Lines{"01 - Alpha.spc", "02 - Bravo.spc"}));
    EXPECT_TRUE(fs::is_empty(elsewhere)) << "a file left its folder for the current one";
    fs::remove_all(elsewhere);
}

}  // namespace
