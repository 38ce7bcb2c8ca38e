#include "ui/main_dialog.h"

#include <string>
#include <vector>

#include "platform/real_file_system.h"
#include "rename/name_template.h"
#include "rename/rename_batch.h"
#include "ui/resource.h"
#include "ui/shell_drop.h"

namespace brindlemark::ui {

namespace {

// text in codePage's bytes (best fit and "?" for what it lacks).
std::string toBytes(UINT codePage, const std::wstring& text) {
    if (text.empty()) return std::string();
    const int length = static_cast<int>(text.size());
    const int size = WideCharToMultiByte(codePage, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    if (size > 0) WideCharToMultiByte(codePage, 0, text.data(), length, &bytes[0], size, nullptr, nullptr);
    return bytes;
}

std::wstring fromUtf8(const std::string& bytes) {
    if (bytes.empty()) return std::wstring();
    const int length = static_cast<int>(bytes.size());
    const int size = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), length, nullptr, 0);
    std::wstring text(static_cast<std::size_t>(size > 0 ? size : 0), L'\0');
    if (size > 0) MultiByteToWideChar(CP_UTF8, 0, bytes.data(), length, &text[0], size);
    return text;
}

// The template as the user sees it in its box: its first 30 characters (a
// letter with the combining marks that follow it is one), counted here, once,
// by the text library's rule and never cut inside a character, then put in
// the code page the batch opens and moves files by. In a double-byte code
// page (932, 936, 949, 950) 30 characters may be 60 bytes: the batch takes
// the template as it is given.
std::string readNameTemplate(HWND dialog) {
    const int length = GetWindowTextLengthW(GetDlgItem(dialog, IDC_FORMAT));
    std::wstring text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetDlgItemTextW(dialog, IDC_FORMAT, &text[0], length + 1)));
    const std::string utf8 = toBytes(CP_UTF8, text);
    const std::size_t counted = rename::countedTemplateLength(utf8.c_str());
    return toBytes(CP_ACP, fromUtf8(utf8.substr(0, counted)));
}

void addLine(HWND dialog, const std::string& line) {
    SendDlgItemMessageA(dialog, IDC_LOG, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
}

// One drop: the log list emptied, then one line per file as the batch
// reports it.
void renameDrop(HWND dialog, HDROP drop) {
    SendDlgItemMessageA(dialog, IDC_LOG, LB_RESETCONTENT, 0, 0);
    std::vector<rename::DroppedFile> files;
    const platform::SystemError error = readShellDrop(drop, files);
    if (error) {
        addLine(dialog, std::string("The dropped files could not be read (") + error.step + ", error " +
                            std::to_string(error.code) + ")");
        return;
    }
    const std::string nameTemplate = readNameTemplate(dialog);
    platform::RealFileSystem fileSystem;
    const rename::NameStyle style;
    rename::renameDroppedFiles(nameTemplate.c_str(), files, fileSystem, style,
                               [dialog](const rename::FileOutcome& outcome) {
                                   addLine(dialog, rename::outcomeLine(outcome));
                                   return true;
                               });
}

}  // namespace

INT_PTR CALLBACK mainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    static_cast<void>(lParam);
    switch (message) {
    case WM_INITDIALOG:
        SetDlgItemTextA(dialog, IDC_FORMAT, rename::NAME_TEMPLATE_DEFAULT);
        addLine(dialog, "Drag and drop files to be renamed");
        return TRUE;  // the focus goes to the first tab stop, the template edit box
    case WM_CLOSE:
        EndDialog(dialog, 0);
        return TRUE;
    case WM_DROPFILES:
        renameDrop(dialog, reinterpret_cast<HDROP>(wParam));
        // The drop's memory is the receiver's to release.
        DragFinish(reinterpret_cast<HDROP>(wParam));
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace brindlemark::ui
