// The real main dialog in code page 932, as a Japanese Windows before 10
// version 1903 runs brindlemark.exe (those versions do not know the
// manifest's UTF-8 setting). This program carries no manifest, and ctest
// starts it under a Japanese locale, from which Wine takes the code page.
// There many characters end in byte 0x5C, the byte of "\": "ソ" is 83 5C,
// "表" 95 5C, "能" 94 5C. A path is split only between characters.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/windows/dialog_fixture.h"

namespace {

using dialog_test::ansi;
using dialog_test::Lines;
using dialog_test::MainDialogTest;
using dialog_test::song;

TEST(CodePage932Program, HasNoManifestAndRunsInCodePage932) {
    EXPECT_EQ(FindResourceA(nullptr, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24) /* RT_MANIFEST */), nullptr);
    EXPECT_EQ(GetACP(), 932u);
}

std::string utf8(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &bytes[0], size, nullptr, nullptr);
    return bytes.c_str();
}

TEST_F(MainDialogTest, SplitsADroppedPathOnlyBetweenCharactersOfCodePage932) {
    const std::wstring so = L"\u30BD";  // ソ: 83 5C
    ASSERT_EQ(ansi(so), "\x83\x5C");
    CreateDirectoryW((folder_.wstring() + L"\\" + so).c_str(), nullptr);
    const struct {
        std::wstring dropped;  // relative to the test's folder
        bool wide;
        const char* title;
        std::wstring renamed;
    } drops[] = {
        {so + L"\u30F3\u30B0-01.spc", true, "Song", L"01 - Song.spc"},         // ソング-01.spc
        {L"\u8868-02.spc", false, "Table", L"02 - Table.spc"},                   // 表-02.spc, 8-bit
        {so + L"\\\u80FD-03.spc", true, "Ability", so + L"\\03 - Ability.spc"},  // in folder ソ
        {so + L"\\a-04.spc", false, "Four", so + L"\\04 - Four.spc"},
    };
    for (const auto& d : drops) {
        SCOPED_TRACE(utf8(d.dropped));
        write(utf8(d.dropped), song(d.title));
        drop({utf8(d.dropped)}, d.wide);
        const std::wstring oldName = d.dropped.substr(d.dropped.rfind(L'\\') + 1);
        const std::wstring newName = d.renamed.substr(d.renamed.rfind(L'\\') + 1);
        EXPECT_EQ(logLines(), Lines{ansi(oldName + L" -> " + newName)});
        EXPECT_EQ(contents(utf8(d.renamed)), song(d.title));
    }
    EXPECT_EQ(files(), (Lines{"01 - Song.spc", "02 - Table.spc", utf8(so)}));
}

// The template is counted once, in characters, where it is read from its
// box: 30 characters of code page 932 may be 60 bytes, and none is cut.
TEST_F(MainDialogTest, CountsTheTemplateInCharactersOfCodePage932) {
    std::wstring thirty;
    for (int i = 0; i < 28; ++i) thirty += L"\u8868";  // 表: 95 5C
    setTemplate(ansi(thirty + L"%S"));
    write("a.spc", song("Song"));
    drop({"a.spc"});
    // Every byte from 0x80 up becomes "_", as in any code page.
    EXPECT_EQ(logLines(), Lines{"a.spc -> " + std::string(56, '_') + "Song.spc"});
    // One character more, and the "S" of "%S" is past the thirtieth.
    setTemplate(ansi(thirty + L"\u8868%S"));
    write("b.spc", song("Song"));
    drop({"b.spc"});
    EXPECT_EQ(logLines(), Lines{"Rename format is invalid"});
}

}  // namespace
