#include "ui/main_dialog.h"

#include "rename/rename_batch.h"
#include "ui/resource.h"

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
        renameDroppedFiles(dialog, reinterpret_cast<HDROP>(wParam));
        // The drop's memory is the receiver's to release.
        DragFinish(reinterpret_cast<HDROP>(wParam));
        return FALSE;
    default:
        return FALSE;
    }
}
