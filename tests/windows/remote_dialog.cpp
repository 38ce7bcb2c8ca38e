#include "tests/windows/remote_dialog.h"

#include <cstring>

namespace remote {

namespace {

constexpr char DIALOG_CLASS[] = "#32770";
constexpr char CAPTION[] = "Brindlemark 2.0";
constexpr int LOG_ID = 1000;
constexpr UINT ANSWER_MS = 5000;

struct Search {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK matchDialog(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<Search*>(lParam);
    char name[64] = "", caption[64] = "";
    GetClassNameA(window, name, sizeof name);
    GetWindowTextA(window, caption, sizeof caption);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (std::strcmp(name, DIALOG_CLASS) != 0 || std::strcmp(caption, CAPTION) != 0) return TRUE;
    if (search->processId != 0 && owner != search->processId) return TRUE;
    search->found = window;
    return FALSE;
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

}  // namespace

HWND findDialog(DWORD processId, DWORD waitMs) {
    for (DWORD waited = 0;; waited += 50) {
        Search search{processId, nullptr};
        EnumWindows(matchDialog, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr) return search.found;
        if (waited >= waitMs) return nullptr;
        Sleep(50);
    }
}

LRESULT ask(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, ANSWER_MS, &result)) return -1;
    return static_cast<LRESULT>(result);
}

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

bool setWindowText(HWND window, const std::string& utf8) {
    const std::wstring text = fromUtf8(utf8);
    return ask(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str())) == TRUE;
}

bool logLines(HWND dialog, std::vector<std::string>& lines) {
    lines.clear();
    HWND list = GetDlgItem(dialog, LOG_ID);
    const LRESULT count = ask(list, LB_GETCOUNT, 0, 0);
    if (count < 0) return false;
    for (LRESULT i = 0; i < count; ++i) {
        const auto index = static_cast<WPARAM>(i);
        const LRESULT length = ask(list, LB_GETTEXTLEN, index, 0);
        if (length < 0) return false;
        std::wstring line(static_cast<std::size_t>(length) + 1, L'\0');
        ask(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(&line[0]));
        lines.push_back(toUtf8(line));
    }
    return true;
}

Dropped drop(HWND dialog, const std::vector<std::string>& paths, DropForm form, std::string& why) {
    static HMODULE dll = loadHookDll();
    auto setDropList = exported<SetDropListFn>(dll, BRINDLEMARK_SET_DROP_LIST);
    auto deliveredDrops = exported<DeliveredDropsFn>(dll, BRINDLEMARK_DELIVERED_DROPS);
    auto hookProc = exported<HOOKPROC>(dll, BRINDLEMARK_DROP_HOOK_PROC);
    if (dll == nullptr || setDropList == nullptr || deliveredDrops == nullptr || hookProc == nullptr) {
        why = dll == nullptr ? "drop_hook.dll not loaded" : "drop_hook.dll lacks its exports";
        return Dropped::noHook;
    }

    std::string list;
    for (const std::string& path : paths) list.append(path).push_back('\0');
    list.push_back('\0');
    if (!setDropList(list.data(), static_cast<UINT>(list.size()), form)) {
        why = "the list of paths is too long";
        return Dropped::noHook;
    }

    const DWORD thread = GetWindowThreadProcessId(dialog, nullptr);
    HHOOK hook = SetWindowsHookExA(WH_GETMESSAGE, hookProc, dll, thread);
    if (hook == nullptr) {
        why = "hook not set (error " + std::to_string(GetLastError()) + ")";
        return Dropped::noHook;
    }
    const LONG before = deliveredDrops();
    PostMessageA(dialog, RegisterWindowMessageA(BRINDLEMARK_DROP_REQUEST_MESSAGE), 0, 0);
    for (DWORD waited = 0; deliveredDrops() == before && waited < 10000; waited += 5) Sleep(5);
    const bool delivered = deliveredDrops() != before;
    // The drop is handled within its message; the dialog answers this one
    // only once that is done.
    const bool answered = delivered && ask(dialog, WM_NULL, 0, 0) != -1;
    UnhookWindowsHookEx(hook);
    if (!delivered) why = "the drop was not delivered";
    else if (!answered) why = "the dialog did not answer after the drop";
    return !delivered ? Dropped::notDelivered : answered ? Dropped::answered : Dropped::noAnswer;
}

}  // namespace remote
