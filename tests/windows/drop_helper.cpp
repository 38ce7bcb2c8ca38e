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
#include "tests/windows/remote_dialog.h"

namespace {

using remote::fromUtf8;
using remote::toUtf8;
using remote::windowText;

constexpr int FORMAT_ID = 1007;

bool printLogLines(HWND dialog) {
    std::vector<std::string> lines;
    if (!remote::logLines(dialog, lines)) return false;
    std::printf("line count: %ld\n", static_cast<long>(lines.size()));
    for (const std::string& line : lines) std::printf("line: %s\n", line.c_str());
    return true;
}

int show() {
    HWND dialog = remote::findDialog(0, 30000);
    if (dialog == nullptr) {
        std::printf("dialog: not found\n");
        return 1;
    }
    std::printf("dialog: %s\n", windowText(dialog).c_str());
    const auto exStyle = static_cast<DWORD>(GetWindowLongA(dialog, GWL_EXSTYLE));
    std::printf("accepts files: %s\n", (exStyle & WS_EX_ACCEPTFILES) ? "yes" : "no");
    std::printf("template: %s\n", windowText(GetDlgItem(dialog, FORMAT_ID)).c_str());
    if (!printLogLines(dialog)) return 1;
    RECT rect;
    GetWindowRect(dialog, &rect);
    std::printf("window: %ldx%ld+%ld+%ld\n", rect.right - rect.left, rect.bottom - rect.top, rect.left, rect.top);
    return 0;
}

int drop(const std::vector<std::string>& paths, DropForm form) {
    HWND dialog = remote::findDialog(0, 30000);
    if (dialog == nullptr) {
        std::printf("drop: dialog not found\n");
        return 1;
    }
    std::string why;
    switch (remote::drop(dialog, paths, form, why)) {
    case remote::Dropped::noHook:
        std::printf("drop: %s\n", why.c_str());
        return 1;
    case remote::Dropped::notDelivered:
        std::printf("delivered: no\n");
        return 1;
    case remote::Dropped::noAnswer:
        std::printf("delivered: yes, then no answer\n");
        return 1;
    case remote::Dropped::answered:
        break;
    }
    std::printf("delivered: yes\n");
    return printLogLines(dialog) ? 0 : 1;
}

int closeDialog() {
    HWND dialog = remote::findDialog(0, 0);
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
    if (command == "drop" && count > 2) return drop(paths, DROP_UTF16);
    if (command == "drop-8bit" && count > 2) return drop(paths, DROP_ANSI);
    if (command == "close" && count == 2) return closeDialog();
    std::fprintf(stderr, "usage: drop_helper make FOLDER | make-names FOLDER | show | drop PATH... | drop-8bit PATH... | close\n");
    return 2;
}
