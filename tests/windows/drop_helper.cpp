// Drives the unmodified brindlemark.exe from outside, as a user would:
//
//   drop_helper make FOLDER         writes the sample files of the end-to-end test
//   drop_helper make-names FOLDER   writes the sample of names outside code page 1252
//   drop_helper show                waits for the dialog and prints its state
//   drop_helper drop PATH...        drops the files onto it as Explorer does
//                                   (UTF-16 paths) and prints the log lines
//   drop_helper drop-8bit PATH...   the same in its 8-bit code page, as older
//                                   programs drop
//   drop_helper close               sends WM_CLOSE
//
// Everything it learns is printed in UTF-8, one fact a line, for the test
// script to compare; the exit code only says whether it could talk to the
// dialog. Its arguments are read in UTF-16, so that any name reaches it.

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <shellapi.h>

#include "spcbuild/spc_builder.h"
#include "tests/windows/drop_hook.h"

namespace {

constexpr char kDialogClass[] = "#32770";
constexpr char kCaption[] = "Brindlemark 2.0";
constexpr int kLogId = 1000;
constexpr int kFormatId = 1007;
constexpr UINT kAnswerMs = 5000;

HWND findDialog(DWORD waitMs) {
    for (DWORD waited = 0;; waited += 100) {
        if (HWND dialog = FindWindowA(kDialogClass, kCaption)) return dialog;
        if (waited >= waitMs) return nullptr;
        Sleep(100);
    }
}

// Sends a message with a time limit, so that a hung or crashed dialog makes
// the helper fail instead of blocking for ever. -1 when there was no answer.
LRESULT ask(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kAnswerMs, &result)) return -1;
    return static_cast<LRESULT>(result);
}

// Text crosses the process boundary as UTF-16: ANSI list-box reads from
// another process are not dependable.
std::string toUtf8(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size > 0 ? size : 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &utf8[0], size, nullptr, nullptr);
    utf8.resize(std::strlen(utf8.c_str()));
    return utf8;
}

std::wstring fromUtf8(const std::string& text) {
    const int size = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size > 0 ? size : 1), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, &wide[0], size);
    wide.resize(std::wcslen(wide.c_str()));
    return wide;
}

std::string windowText(HWND window) {
    const LRESULT length = ask(window, WM_GETTEXTLENGTH, 0, 0);
    if (length < 0) return "(no answer)";
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    ask(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]));
    return toUtf8(text);
}

bool printLogLines(HWND dialog) {
    HWND list = GetDlgItem(dialog, kLogId);
    const LRESULT count = ask(list, LB_GETCOUNT, 0, 0);
    if (count < 0) return false;
    std::printf("line count: %ld\n", static_cast<long>(count));
    for (LRESULT i = 0; i < count; ++i) {
        const auto index = static_cast<WPARAM>(i);
        const LRESULT length = ask(list, LB_GETTEXTLEN, index, 0);
        if (length < 0) return false;
        std::wstring line(static_cast<std::size_t>(length) + 1, L'\0');
        ask(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(&line[0]));
        std::printf("line: %s\n", toUtf8(line).c_str());
    }
    return true;
}

int show() {
    HWND dialog = findDialog(30000);
    if (dialog == nullptr) {
        std::printf("dialog: not found\n");
        return 1;
    }
    std::printf("dialog: %s\n", windowText(dialog).c_str());
    const auto exStyle = static_cast<DWORD>(GetWindowLongA(dialog, GWL_EXSTYLE));
    std::printf("accepts files: %s\n", (exStyle & WS_EX_ACCEPTFILES) ? "yes" : "no");
    std::printf("template: %s\n", windowText(GetDlgItem(dialog, kFormatId)).c_str());
    if (!printLogLines(dialog)) return 1;
    RECT rect;
    GetWindowRect(dialog, &rect);
    std::printf("window: %ldx%ld+%ld+%ld\n", rect.right - rect.left, rect.bottom - rect.top, rect.left, rect.top);
    return 0;
}

template <typename Fn>
Fn exported(HMODULE dll, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(dll, name)));
}

HMODULE loadHookDll() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    std::string dll(path);
    dll.replace(dll.rfind('\\') + 1, std::string::npos, "drop_hook.dll");
    return LoadLibraryA(dll.c_str());
}

int drop(const std::vector<std::string>& paths, bool wide) {
    HWND dialog = findDialog(30000);
    HMODULE dll = loadHookDll();
    if (dialog == nullptr || dll == nullptr) {
        std::printf("drop: %s\n", dialog == nullptr ? "dialog not found" : "drop_hook.dll not loaded");
        return 1;
    }
    auto setDropList = exported<SetDropListFn>(dll, BRINDLEMARK_SET_DROP_LIST);
    auto deliveredDrops = exported<DeliveredDropsFn>(dll, BRINDLEMARK_DELIVERED_DROPS);
    auto hookProc = exported<HOOKPROC>(dll, BRINDLEMARK_DROP_HOOK_PROC);
    if (setDropList == nullptr || deliveredDrops == nullptr || hookProc == nullptr) {
        std::printf("drop: drop_hook.dll lacks its exports\n");
        return 1;
    }

    std::string list;
    for (const std::string& path : paths) list.append(path).push_back('\0');
    list.push_back('\0');
    if (!setDropList(list.data(), static_cast<UINT>(list.size()), wide ? TRUE : FALSE)) {
        std::printf("drop: the list of paths is too long\n");
        return 1;
    }

    const DWORD thread = GetWindowThreadProcessId(dialog, nullptr);
    HHOOK hook = SetWindowsHookExA(WH_GETMESSAGE, hookProc, dll, thread);
    if (hook == nullptr) {
        std::printf("drop: hook not set (error %lu)\n", GetLastError());
        return 1;
    }
    const LONG before = deliveredDrops();
    PostMessageA(dialog, RegisterWindowMessageA(BRINDLEMARK_DROP_REQUEST_MESSAGE), 0, 0);
    DWORD waited = 0;
    while (deliveredDrops() == before && waited < 10000) {
        Sleep(5);
        waited += 5;
    }
    const bool delivered = deliveredDrops() != before;
    // The drop is handled within its message; the dialog answers this one
    // only once that is done.
    const bool answered = delivered && ask(dialog, WM_NULL, 0, 0) != -1;
    UnhookWindowsHookEx(hook);
    std::printf("delivered: %s\n", delivered ? (answered ? "yes" : "yes, then no answer") : "no");
    if (!answered) return 1;
    return printLogLines(dialog) ? 0 : 1;
}

int closeDialog() {
    HWND dialog = findDialog(0);
    if (dialog == nullptr) {
        std::printf("close: dialog not found\n");
        return 1;
    }
    PostMessageA(dialog, WM_CLOSE, 0, 0);
    std::printf("close: sent\n");
    return 0;
}

spcbuild::Bytes song(const std::string& title, const std::string& game = "Sample Game") {
    spcbuild::TextTag tag;
    tag.song = title;
    tag.game = game;
    return spcbuild::spcWithTextTag(tag);
}

// The end-to-end sample: each file meets another outcome of a drop onto the
// default template "%N - %S".
int make(const std::string& folder) {
    using namespace spcbuild;
    Bytes intro = song("Opening");
    appendExtendedTag(intro, chunkBlock({valueChunk(0x12, 12 << 8)}));  // track 12
    const std::string notes = "not a sound file\n";
    const struct {
        const char* name;
        Bytes bytes;
    } files[] = {
        {"game-03.spc", song("Title")},
        {"notes.txt", Bytes(notes.begin(), notes.end())},
        {"boss-07.spc", song("Boss?")},
        {"intro.spc", intro},
        {"other-03.spc", song("Title", "Other Game")},  // same new name as game-03.spc
        {"blank-05.spc", song("")},
    };
    for (const auto& file : files) {
        if (!writeFile(folder + "\\" + file.name, file.bytes)) {
            std::printf("make: cannot write %s\n", file.name);
            return 1;
        }
        std::printf("made: %s\n", file.name);
    }
    return 0;
}

// The sample of names beyond code page 1252, written by their UTF-16 names:
// a folder named in Japanese, names with "é" and "è" (both in 1252), and
// "Ōkami" (Ō is not) beside its 8-bit look-alike "Okami".
int makeNames(const std::string& folder) {
    const std::string japanese = "\xE8\x81\x96\xE5\x89\xA3\xE4\xBC\x9D\xE8\xAA\xAC";  // 聖剣伝説
    const std::wstring inside = fromUtf8(folder + "\\" + japanese);
    if (!CreateDirectoryW(inside.c_str(), nullptr)) {
        std::printf("make-names: cannot make the folder (error %lu)\n", GetLastError());
        return 1;
    }
    const struct {
        std::string name;
        spcbuild::Bytes bytes;
    } files[] = {
        {japanese + "\\\xE5\xBA\x8F\xE6\x9B\xB2-03.spc", song("Overture")},  // 序曲-03.spc
        {japanese + "\\boss-09.spc", song("Boss")},
        {"Caf\xC3\xA9-07.spc", song("Menu")},       // Café-07.spc
        {"Cr\xC3\xA8me-08.spc", song("Dessert")},   // Crème-08.spc
        {"\xC5\x8Ckami-04.spc", song("Wolf")},       // Ōkami-04.spc
        {"Okami-04.spc", song("Look-alike")},
    };
    for (const auto& file : files) {
        FILE* out = _wfopen(fromUtf8(folder + "\\" + file.name).c_str(), L"wb");
        const bool written = out != nullptr && std::fwrite(file.bytes.data(), 1, file.bytes.size(), out) == file.bytes.size();
        if (out == nullptr || std::fclose(out) != 0 || !written) {
            std::printf("make-names: cannot write %s\n", file.name.c_str());
            return 1;
        }
        std::printf("made: %s\n", file.name.c_str());
    }
    return 0;
}

// The arguments in UTF-8, read from the UTF-16 command line.
std::vector<std::string> arguments() {
    std::vector<std::string> args;
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    for (int i = 0; wide != nullptr && i < count; ++i) args.push_back(toUtf8(wide[i]));
    LocalFree(wide);
    return args;
}

}  // namespace

int main() {
    const std::vector<std::string> args = arguments();
    const std::size_t count = args.size();
    const std::string command = count > 1 ? args[1] : "";
    std::vector<std::string> paths;
    if (count > 2) paths.assign(args.begin() + 2, args.end());
    if (command == "make" && count == 3) return make(args[2]);
    if (command == "make-names" && count == 3) return makeNames(args[2]);
    if (command == "show" && count == 2) return show();
    if (command == "drop" && count > 2) return drop(paths, true);
    if (command == "drop-8bit" && count > 2) return drop(paths, false);
    if (command == "close" && count == 2) return closeDialog();
    std::fprintf(stderr, "usage: drop_helper make FOLDER | make-names FOLDER | show | drop PATH... | drop-8bit PATH... | close\n");
    return 2;
}
