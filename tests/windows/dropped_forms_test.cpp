// Dropped path forms that Win32 rewrites before it touches a file, each
// dropped onto a running brindlemark.exe (its UTF-8 code page, as users run
// it) through the drop hook, in UTF-16 as Explorer drops, in 8-bit, or as
// raw bytes from a program of another code page. Each form names the one
// file that must be renamed, if any, and the files beside it that must keep
// their names and bytes; nothing may appear in the program's working folder.
//
// Files are made, read and listed through "\\?\" paths, so that names Win32
// would rewrite (trailing dots and spaces, device names, long paths) are
// the names on disk.
//
// The device names reach COM1 (and AUX, its other name) when the dialog
// opens them: they are dropped only when BRINDLEMARK_SAFE_PORTS=1 says that
// the Wine prefix's COM1..COM9 and LPT1..LPT9 lead to a pseudo-terminal or
// /dev/null (scripts/test-windows.sh sees to that); otherwise they are
// skipped and the program says so. Where the script counts the opens of
// COM1's pseudo-terminal, each device form must leave the count as it was:
// opening a port is harm enough, read or not.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "spcbuild/spc_builder.h"
#include "tests/windows/remote_dialog.h"
#include "ui/resource.h"

namespace {

using spcbuild::Bytes;
using Lines = std::vector<std::string>;
using remote::fromUtf8;
using remote::toUtf8;

// ---- Files by "\\?\" paths ------------------------------------------------------

std::wstring verbatim(const std::wstring& path) { return L"\\\\?\\" + path; }

bool makeFolder(const std::wstring& path) {
    return CreateDirectoryW(verbatim(path).c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

// Makes the folders of a relative name ("sub\a.spc" makes sub) below folder.
bool makeFoldersOf(const std::wstring& folder, const std::wstring& name) {
    for (std::size_t slash = name.find(L'\\'); slash != std::wstring::npos; slash = name.find(L'\\', slash + 1)) {
        if (!makeFolder(folder + L"\\" + name.substr(0, slash))) return false;
    }
    return true;
}

bool writeBytes(const std::wstring& path, const Bytes& bytes) {
    HANDLE file = CreateFileW(verbatim(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                    written == bytes.size();
    return CloseHandle(file) && ok;
}

Bytes readBytes(const std::wstring& path) {
    HANDLE file =
        CreateFileW(verbatim(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    Bytes bytes(static_cast<std::size_t>(GetFileSize(file, nullptr)));
    DWORD read = 0;
    ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(file);
    bytes.resize(read);
    return bytes;
}

// Calls visit(name, isFolder) for each entry of folder but "." and "..".
template <typename Visit>
void forEachEntry(const std::wstring& folder, Visit visit) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(verbatim(folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") visit(name, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

// The files below folder (not the folders), by relative UTF-8 names.
void listFiles(const std::wstring& folder, const std::string& prefix, Lines& names) {
    forEachEntry(folder, [&](const std::wstring& name, bool isFolder) {
        if (isFolder) {
            listFiles(folder + L"\\" + name, prefix + toUtf8(name) + "\\", names);
        } else {
            names.push_back(prefix + toUtf8(name));
        }
    });
}

// Removes all below folder, names Win32 would rewrite included (a plain
// path to con.spc would reach the console).
void removeBelow(const std::wstring& folder) {
    forEachEntry(folder, [&](const std::wstring& name, bool isFolder) {
        const std::wstring path = verbatim(folder + L"\\" + name);
        if (isFolder) {
            removeBelow(folder + L"\\" + name);
            RemoveDirectoryW(path.c_str());
        } else {
            DeleteFileW(path.c_str());
        }
    });
}

void removeTree(const std::wstring& folder) {
    removeBelow(folder);
    RemoveDirectoryW(verbatim(folder).c_str());
}

Lines filesBelow(const std::wstring& folder) {
    Lines names;
    listFiles(folder, "", names);
    std::sort(names.begin(), names.end());
    return names;
}

// ---- The running program ----------------------------------------------------------

std::wstring programPath() {
    std::string path = BRINDLEMARK_EXE;
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
    std::replace(path.begin(), path.end(), '/', '\\');
    return fromUtf8(path);
}

class Program {
public:
    ~Program() { stop(); }

    bool start(const std::wstring& workingFolder) {
        const std::wstring exe = programPath();
        std::wstring commandLine = L"\"" + exe + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        if (!CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, workingFolder.c_str(),
                            &startup, &process_)) {
            return false;
        }
        // Idle once the dialog waits for input: created, its template box
        // filled, its controls there.
        WaitForInputIdle(process_.hProcess, 30000);
        dialog_ = remote::findDialog(process_.dwProcessId, 30000);
        return dialog_ != nullptr && remote::ask(dialog_, WM_NULL, 0, 0) != -1;
    }

    // Closes the dialog, or ends the program where it does not answer.
    void stop() {
        if (process_.hProcess == nullptr) return;
        if (dialog_ != nullptr) PostMessageA(dialog_, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(process_.hProcess, 5000) != WAIT_OBJECT_0) {
            TerminateProcess(process_.hProcess, 1);
            WaitForSingleObject(process_.hProcess, 5000);
        }
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
        process_ = PROCESS_INFORMATION{};
        dialog_ = nullptr;
    }

    HWND dialog() const { return dialog_; }

private:
    PROCESS_INFORMATION process_{};
    HWND dialog_ = nullptr;
};

// ---- The forms ----------------------------------------------------------------------

// What CreateFileA makes of bytes invalid in UTF-8: U+FFFD in their place.
std::string lookAlike(const std::string& bytes) {
    const int size = MultiByteToWideChar(CP_UTF8, 0, bytes.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, bytes.c_str(), -1, &wide[0], size);
    return toUtf8(wide);
}

const std::string E = "\xC3\xA9";  // é in UTF-8

struct Move {
    std::string from, to;  // relative names; empty when nothing may move
};

struct DroppedForm {
    std::string what;  // the rule and the form
    DropForm form;
    // Relative to the form's folder, or beginning with <V> (the folder as a
    // "\\?\" path).
    std::string dropped;
    std::string line;  // the dialog's one line
    Move touched;
    Lines untouched;
    std::string nameTemplate = "%S";
    bool device = false;  // reaches COM1 should the dialog open it
};

// The rules the batch owns (device-name spellings, separators, how the
// template counts, the line of a long path) are tested with the batch; here
// each is seen once through the program, beside the rules of the Win32 layer.
std::vector<DroppedForm> droppedForms() {
    const std::string invalid[] = {"caf\xE9-01.spc", "x\xC0\xAF-02.spc", "s\xED\xA0\x80-03.spc"};

    return {
        // Trailing dots and spaces: Win32 strips them from every component.
        {"1: trailing dot, UTF-16", DROP_UTF16, "a-01.spc.", "a-01.spc. is not an SPC", {},
         {"a-01.spc", "a-01.spc."}},
        {"1: trailing space, UTF-16", DROP_UTF16, "a-01.spc ", "a-01.spc  is not an SPC", {},
         {"a-01.spc", "a-01.spc "}},
        {"1: dot and space, 8-bit", DROP_ANSI, "a-01.spc. .", "a-01.spc. . is not an SPC", {},
         {"a-01.spc", "a-01.spc. ."}},
        {"1: look-alike only, dropped file absent", DROP_UTF16, "b-02.spc..", "b-02.spc.. is not an SPC", {},
         {"b-02.spc"}},
        {"1: folder with a trailing dot", DROP_UTF16, "dir.\\x-03.spc", "x-03.spc is not an SPC", {},
         {"dir\\x-03.spc", "dir.\\x-03.spc"}},
        {"1: folder with a trailing space, 8-bit", DROP_ANSI, "dir \\x-03.spc", "x-03.spc is not an SPC", {},
         {"dir\\x-03.spc", "dir \\x-03.spc"}},
        {"1: \".\" and \"..\" keep their meaning", DROP_UTF16, "sub\\.\\..\\b-02.spc", "b-02.spc -> Dropped.spc",
         {"b-02.spc", "Dropped.spc"}, {"sub\\b-02.spc"}},
        {"1: \\\\?\\ names the file with its dot", DROP_UTF16, "<V>\\a-01.spc.", "a-01.spc. -> Dropped.spc",
         {"a-01.spc.", "Dropped.spc"}, {"a-01.spc"}},
        {"1: \\\\?\\ takes \"..\" as a name", DROP_UTF16, "<V>\\sub\\..\\b-02.spc", "b-02.spc is not an SPC", {},
         {"b-02.spc", "sub\\b-02.spc"}},

        // Device names: never opened (COM1 leads to a pseudo-terminal that
        // never answers; a read of it would hang the dialog).
        {"2: aux.spc, UTF-16", DROP_UTF16, "aux.spc", "aux.spc is not an SPC", {}, {"aux.spc"}, "%S", true},
        {"2: COM1.spc, 8-bit", DROP_ANSI, "COM1.spc", "COM1.spc is not an SPC", {}, {"COM1.spc"}, "%S", true},
        // Win32 also drops a colon that ends the stem: these reach COM1 too.
        {"2: aux:, UTF-16", DROP_UTF16, "aux:", "aux: is not an SPC", {}, {}, "%S", true},
        {"2: COM1:, 8-bit", DROP_ANSI, "COM1:", "COM1: is not an SPC", {}, {}, "%S", true},
        {"2: aux:.spc, UTF-16", DROP_UTF16, "aux:.spc", "aux:.spc is not an SPC", {}, {}, "%S", true},

        // "/" separates as "\" does.
        {"3: sub/name, UTF-16", DROP_UTF16, "sub/a-01.spc", "a-01.spc -> Dropped.spc",
         {"sub\\a-01.spc", "sub\\Dropped.spc"}, {"a-01.spc"}},

        // Bytes invalid in the code page (UTF-8): CreateFileA would reach
        // the name with U+FFFD in their place.
        {"4: caf\\xE9 from code page 1252", DROP_BYTES, invalid[0], lookAlike(invalid[0]) + " is not an SPC", {},
         {"caf" + E + "-01.spc", lookAlike(invalid[0])}},
        {"4: overlong \\xC0\\xAF", DROP_BYTES, invalid[1], lookAlike(invalid[1]) + " is not an SPC", {},
         {lookAlike(invalid[1])}},
        {"4: a surrogate in UTF-8", DROP_BYTES, invalid[2], lookAlike(invalid[2]) + " is not an SPC", {},
         {lookAlike(invalid[2])}},
        {"4: valid UTF-8 bytes", DROP_BYTES, "cr\xC3\xA8me-04.spc", "cr\xC3\xA8me-04.spc -> Dropped.spc",
         {"cr\xC3\xA8me-04.spc", "Dropped.spc"}, {}},

        // The template: 30 characters as the user sees them.
        {"5: a surrogate pair is character 30", DROP_UTF16, "t-01.spc",
         "t-01.spc -> Dropped" + std::string(27, 'x') + "____.spc",
         {"t-01.spc", "Dropped" + std::string(27, 'x') + "____.spc"}, {},
         "%S" + std::string(27, 'x') + "\xF0\x9F\x98\x80%A"},
        {"5: e and a combining accent are character 30", DROP_UTF16, "t-01.spc",
         "t-01.spc -> Dropped" + std::string(27, 'x') + "e__.spc",
         {"t-01.spc", "Dropped" + std::string(27, 'x') + "e__.spc"}, {},
         "%S" + std::string(27, 'x') + "e\xCC\x81%A"},
    };
}

Bytes song(const std::string& title) {
    spcbuild::TextTag tag;
    tag.song = title;
    tag.game = "Game";
    tag.artist = "Artist";
    return spcbuild::spcWithTextTag(tag);
}

// How often COM1's pseudo-terminal has been opened, as the script's holder
// counts it in the file BRINDLEMARK_COM1_OPENS names (a Linux path); -1
// where nobody counts.
long com1Opens() {
    const char* counter = std::getenv("BRINDLEMARK_COM1_OPENS");
    if (counter == nullptr || counter[0] != '/') return -1;
    std::string path = std::string("Z:") + counter;
    std::replace(path.begin(), path.end(), '/', '\\');
    long opens = -1;
    std::ifstream(path) >> opens;
    return opens;
}

std::string droppedPath(const DroppedForm& form, const std::string& folder) {
    const std::string verbatimMark = "<V>";
    if (form.dropped.compare(0, verbatimMark.size(), verbatimMark) == 0) {
        return "\\\\?\\" + folder + form.dropped.substr(verbatimMark.size());
    }
    return folder + "\\" + form.dropped;
}

TEST(DroppedForms, ReachOnlyTheDroppedFileOrNone) {
    const std::wstring root = std::filesystem::current_path().wstring() + L"\\dropped-forms";
    removeTree(root);
    const std::wstring workingFolder = root + L"\\cwd";
    ASSERT_TRUE(makeFolder(root) && makeFolder(workingFolder));
    const std::string rootUtf8 = toUtf8(root);
    ASSERT_TRUE(std::all_of(rootUtf8.begin(), rootUtf8.end(), [](char c) { return c > 0; }))
        << "the 8-bit forms need a build folder of ASCII names";
    const char* safePorts = std::getenv("BRINDLEMARK_SAFE_PORTS");
    const bool portsSafe = safePorts != nullptr && std::string(safePorts) == "1";

    Program program;
    ASSERT_TRUE(program.start(workingFolder)) << "brindlemark.exe did not show its dialog";
    const std::vector<DroppedForm> forms = droppedForms();
    std::size_t skipped = 0;
    for (std::size_t i = 0; i < forms.size(); ++i) {
        const DroppedForm& form = forms[i];
        if (form.device && !portsSafe) {
            ++skipped;
            continue;
        }
        SCOPED_TRACE("form " + std::to_string(i) + " (" + form.what + ")");
        const std::wstring folder = root + L"\\r" + (i < 10 ? L"0" : L"") + std::to_wstring(i);
        ASSERT_TRUE(makeFolder(folder));

        std::map<std::string, Bytes> made;
        Lines names = form.untouched;
        if (!form.touched.from.empty()) names.push_back(form.touched.from);
        for (const std::string& name : names) {
            const Bytes bytes =
                song(name == form.touched.from ? "Dropped" : "Look-alike " + std::to_string(made.size()));
            ASSERT_TRUE(makeFoldersOf(folder, fromUtf8(name)) && writeBytes(folder + L"\\" + fromUtf8(name), bytes))
                << name << ": error " << GetLastError();
            made[name] = bytes;
        }
        ASSERT_TRUE(remote::setWindowText(GetDlgItem(program.dialog(), IDC_FORMAT), form.nameTemplate));

        std::string why;
        const long opensBefore = form.device ? com1Opens() : -1;
        const std::string path = droppedPath(form, toUtf8(folder));
        const remote::Dropped dropped = remote::drop(program.dialog(), {path}, form.form, why);
        if (dropped != remote::Dropped::answered) {
            ADD_FAILURE() << why;
            program.stop();
            ASSERT_TRUE(program.start(workingFolder)) << "brindlemark.exe did not start again";
        } else {
            Lines lines;
            ASSERT_TRUE(remote::logLines(program.dialog(), lines));
            EXPECT_EQ(lines, Lines{form.line});
        }
        if (opensBefore >= 0) {
            // Opening a port raises its control lines, even when nothing is
            // read: the name must never be opened. The holder counts
            // within moments.
            Sleep(300);
            EXPECT_EQ(com1Opens(), opensBefore) << "the dialog opened COM1";
        }

        Lines expected = form.untouched;
        if (!form.touched.to.empty()) expected.push_back(form.touched.to);
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(filesBelow(folder), expected);
        for (const std::string& name : form.untouched) {
            EXPECT_EQ(readBytes(folder + L"\\" + fromUtf8(name)), made[name]) << name;
        }
        if (!form.touched.to.empty()) {
            EXPECT_EQ(readBytes(folder + L"\\" + fromUtf8(form.touched.to)), made[form.touched.from]);
        }
        EXPECT_EQ(filesBelow(workingFolder), Lines{}) << "a file was moved into the program's working folder";
        removeBelow(workingFolder);  // it stays the program's working folder
    }
    program.stop();
    if (!HasFailure()) removeTree(root);
    if (skipped > 0) {
        GTEST_SKIP() << skipped << " device-name forms not dropped: BRINDLEMARK_SAFE_PORTS=1 is not set, so "
                     << "COM1 may lead to a serial port of this machine (scripts/test-windows.sh points it at a "
                     << "pseudo-terminal)";
    }
}

}  // namespace
