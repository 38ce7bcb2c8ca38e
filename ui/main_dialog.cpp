#include "ui/main_dialog.h"

#include <string>

#include "platform/real_file_system.h"
#include "rename/name_template.h"
#include "rename/rename_batch.h"
#include "ui/resource.h"
#include "ui/shell_drop.h"

namespace {

namespace rename = brindlemark::rename;

// True when a pair of UTF-16 surrogates, one character, starts at text[at].
bool surrogatePair(const std::wstring& text, std::size_t at) {
    return text[at] >= 0xD800 && text[at] <= 0xDBFF && at + 1 < text.size() && text[at + 1] >= 0xDC00 &&
           text[at + 1] <= 0xDFFF;
}

// The template as the user sees it in its box: its first 30 characters (a
// pair of UTF-16 surrogates is one, and so is a letter with the combining
// marks that follow it), never half of one, in the code page the batch
// opens and moves files by.
std::string readNameTemplate(HWND dialog) {
    const int length = GetWindowTextLengthW(GetDlgItem(dialog, IDC_FORMAT));
    std::wstring text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetDlgItemTextW(dialog, IDC_FORMAT, &text[0], length + 1)));
    std::size_t end = 0;
    for (std::size_t characters = 0; characters < rename::NAME_TEMPLATE_MAX_LENGTH && end < text.size(); ++characters) {
        end += surrogatePair(text, end) ? 2u : 1u;
        while (end < text.size() && !surrogatePair(text, end) && rename::isCombiningMark(text[end])) ++end;
    }
    if (end == 0) return std::string();
    const int size = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(end), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    if (size > 0) {
        WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(end), &bytes[0], size, nullptr, nullptr);
    }
    return bytes;
}

// One drop: the log list emptied, then one line per file as the batch
// reports it.
void renameDrop(HWND dialog, HDROP drop) {
    SendDlgItemMessageA(dialog, IDC_LOG, LB_RESETCONTENT, 0, 0);
    const std::string nameTemplate = readNameTemplate(dialog);
    brindlemark::platform::RealFileSystem fileSystem;
    const rename::NameStyle style;
    rename::renameDroppedFiles(nameTemplate.c_str(), readShellDrop(drop), fileSystem, style,
                               [dialog](const rename::FileOutcome& outcome) {
                                   const std::string line = rename::outcomeLine(outcome);
                                   SendDlgItemMessageA(dialog, IDC_LOG, LB_ADDSTRING, 0,
                                                       reinterpret_cast<LPARAM>(line.c_str()));
                                   return true;
                               });
}

}  // namespace

INT_PTR CALLBACK mainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    static_cast<void>(lParam);
    switch (message) {
    case WM_INITDIALOG:
        SetDlgItemTextA(dialog, IDC_FORMAT, "%N - %S");
        SendDlgItemMessageA(dialog, IDC_LOG, LB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>("Drag and drop files to be renamed"));
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
