#ifndef BRINDLEMARK_UI_MAIN_DIALOG_H
#define BRINDLEMARK_UI_MAIN_DIALOG_H

#include <windows.h>

namespace brindlemark::ui {

// Dialog procedure of the main dialog (template IDD_MAIN). It shows the
// default rename template and the prompt line at start, hands every drop to
// the rename batch and ends the dialog on WM_CLOSE. Nothing else is handled,
// so Enter and Escape (IDOK, IDCANCEL) do not close it.
INT_PTR CALLBACK mainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace brindlemark::ui

#endif
