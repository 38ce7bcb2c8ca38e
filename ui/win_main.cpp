#include <windows.h>

#include "ui/main_dialog.h"
#include "ui/resource.h"

// The program is its dialog: files reach it only by being dropped onto it,
// so the command line is not looked at, and it always ends with code 0.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, brindlemark::ui::mainDialogProc, 0);
    return 0;
}
