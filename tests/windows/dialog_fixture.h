#ifndef BRINDLEMARK_TESTS_WINDOWS_DIALOG_FIXTURE_H
#define BRINDLEMARK_TESTS_WINDOWS_DIALOG_FIXTURE_H

// The real main dialog in this test program's process, a folder of files
// per test, and drops made as the shell makes them: shared by the programs
// that run the dialog in one code page or another.

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "spcbuild/spc_builder.h"
#include "ui/main_dialog.h"
#include "ui/resource.h"

namespace dialog_test {

namespace fs = std::filesystem;
using spcbuild::Bytes;
using Lines = std::vector<std::string>;

// ---- A drop as the shell hands it over --------------------------------------

// The 8-bit form of a name in this program's code page, look-alikes and
// question marks included: what DragQueryFileA gives for it.
inline std::string ansi(const std::wstring& wide) {
    char text[MAX_PATH * 2] = "";
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, text, sizeof text, nullptr, nullptr);
    return text;
}

// A DROPFILES block in moveable global memory, the paths in ANSI (as old
// programs drop) or UTF-16 (as Explorer drops).
inline HDROP makeDrop(const std::vector<std::wstring>& paths, bool wide) {
    std::vector<BYTE> list;
    for (const std::wstring& path : paths) {
        if (wide) {
            const auto* bytes = reinterpret_cast<const BYTE*>(path.c_str());
            list.insert(list.end(), bytes, bytes + (path.size() + 1) * sizeof(wchar_t));
        } else {
            const std::string bytes = ansi(path);
            list.insert(list.end(), bytes.begin(), bytes.end());
            list.push_back(0);
        }
    }
    list.insert(list.end(), wide ? sizeof(wchar_t) : 1, 0);

    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + list.size());
    auto* header = static_cast<DROPFILES*>(GlobalLock(block));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = wide ? TRUE : FALSE;
    std::memcpy(reinterpret_cast<BYTE*>(header) + sizeof(DROPFILES), list.data(), list.size());
    GlobalUnlock(block);
    return static_cast<HDROP>(block);
}

inline Bytes song(const std::string& title, const std::string& game = "Game") {
    spcbuild::TextTag tag;
    tag.song = title;
    tag.game = game;
    return spcbuild::spcWithTextTag(tag);
}

// A song title from the extended tag, which holds up to 255 characters.
inline Bytes longSong(const std::string& title) {
    Bytes spc = song("");
    spcbuild::appendExtendedTag(spc, spcbuild::chunkBlock({spcbuild::textChunk(0x01, title)}));
    return spc;
}

// ---- The fixture: one dialog and one folder of files per test --------------

class MainDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The folder's own name holds a "-" before a letter, so that the
        // track and disc fallbacks never reach a "-" of the folders above.
        folder_ = fs::current_path() / ("drop-" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        dialog_ = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_MAIN), nullptr, brindlemark::ui::mainDialogProc, 0);
        ASSERT_NE(dialog_, nullptr) << "error " << GetLastError();
    }

    void TearDown() override {
        if (dialog_ != nullptr) DestroyWindow(dialog_);
        if (!HasFailure()) fs::remove_all(folder_);
    }

    // Names are given in UTF-8; files are reached by their UTF-16 names, so
    // that any name can be made and read back whatever the code page.
    std::string path(const std::string& name) const { return folder_.string() + "\\" + name; }
    fs::path file(const std::string& name) const { return folder_ / fs::u8path(name); }

    void write(const std::string& name, const Bytes& bytes) const {
        std::ofstream out(file(name), std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        out.close();
        ASSERT_TRUE(out.good()) << name;
    }

    Bytes contents(const std::string& name) const {
        std::ifstream in(file(name), std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    // The folder's names in UTF-8.
    Lines files() const {
        Lines names;
        for (const auto& entry : fs::directory_iterator(folder_)) names.push_back(entry.path().filename().u8string());
        std::sort(names.begin(), names.end());
        return names;
    }

    void setTemplate(const std::string& text) const { SetDlgItemTextA(dialog_, IDC_FORMAT, text.c_str()); }

    std::string templateText() const {
        char text[256] = "";
        GetDlgItemTextA(dialog_, IDC_FORMAT, text, sizeof text);
        return text;
    }

    void drop(const Lines& names, bool wide = false) const {
        std::vector<std::wstring> paths;
        for (const std::string& name : names) paths.push_back(file(name).wstring());
        dropPaths(paths, wide);
    }

    // Whole paths, as they stand.
    void dropPaths(const std::vector<std::wstring>& paths, bool wide) const {
        HDROP handle = makeDrop(paths, wide);
        SendMessageA(dialog_, WM_DROPFILES, reinterpret_cast<WPARAM>(handle), 0);
        // The receiver of a drop releases it (DragFinish) once it is done.
        EXPECT_EQ(GlobalFlags(handle), static_cast<UINT>(GMEM_INVALID_HANDLE)) << "the drop was not released";
    }

    Lines logLines() const {
        Lines lines;
        const auto count = SendDlgItemMessageA(dialog_, IDC_LOG, LB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            const auto index = static_cast<WPARAM>(i);
            std::string line(static_cast<std::size_t>(SendDlgItemMessageA(dialog_, IDC_LOG, LB_GETTEXTLEN, index, 0)) + 1, '\0');
            SendDlgItemMessageA(dialog_, IDC_LOG, LB_GETTEXT, index, reinterpret_cast<LPARAM>(&line[0]));
            lines.push_back(line.c_str());
        }
        return lines;
    }

    fs::path folder_;
    HWND dialog_ = nullptr;
};

}  // namespace dialog_test

#endif
