#ifndef BRINDLEMARK_TESTS_WINDOWS_REMOTE_DIALOG_H
#define BRINDLEMARK_TESTS_WINDOWS_REMOTE_DIALOG_H

// Talks to the dialog of a running brindlemark.exe from another process:
// finds it, reads and sets its texts and drops files onto it through the
// drop hook DLL (beside this program). Every message has a time limit, so
// that a hung or crashed dialog is reported instead of blocking for ever.
// Texts cross the process boundary in UTF-16 and are given here in UTF-8.

#include <windows.h>

#include <string>
#include <vector>

#include "tests/windows/drop_hook.h"

namespace remote {

// The dialog ("Brindlemark 2.0"), of the given process or of any when
// processId is 0; nullptr when none appeared within waitMs.
HWND findDialog(DWORD processId, DWORD waitMs);

// SendMessageTimeout with the limit above; -1 when there was no answer.
LRESULT ask(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

std::string toUtf8(const std::wstring& text);
std::wstring fromUtf8(const std::string& text);

std::string windowText(HWND window);
bool setWindowText(HWND window, const std::string& utf8);

// The lines of the dialog's log list; false when it did not answer.
bool logLines(HWND dialog, std::vector<std::string>& lines);

enum class Dropped { answered, notDelivered, noAnswer, noHook };

// Drops the paths (UTF-8, or bytes for DROP_BYTES) onto the dialog and waits
// until it has handled the drop. why tells what went wrong otherwise.
Dropped drop(HWND dialog, const std::vector<std::string>& paths, DropForm form, std::string& why);

}  // namespace remote

#endif
