#ifndef BRINDLEMARK_PLATFORM_WIN32_STANDIN_H
#define BRINDLEMARK_PLATFORM_WIN32_STANDIN_H

// Stand-ins for the few Win32 calls the rename batch makes, for systems
// without Win32. They keep the names, the arguments and the results the
// batch relies on:
//  - a dialog object holds each item's text (the template edit box) and
//    each list's lines (the log list);
//  - a drop object holds the dropped paths;
//  - MoveFileA never replaces an existing file.

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace standin {
class Dialog;
class Drop;
}  // namespace standin

// ---- The Win32 names the batch uses ----------------------------------------

using HWND = standin::Dialog*;
using HDROP = standin::Drop*;
using UINT = unsigned int;
using BOOL = int;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using LPSTR = char*;
using LPCSTR = const char*;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

#define LB_ADDSTRING 0x0180
#define LB_RESETCONTENT 0x0184
#define LB_ERR (-1)

// LB_RESETCONTENT empties the list item; LB_ADDSTRING appends the
// NUL-terminated text at lParam and returns its index. Other messages and
// a null dialog return LB_ERR.
LRESULT SendDlgItemMessageA(HWND dialog, int item, UINT message, WPARAM wParam, LPARAM lParam);

// Stores at most size - 1 characters of the item's text and a NUL; returns
// the number of characters stored (0 and an empty text for an unknown item).
UINT GetDlgItemTextA(HWND dialog, int item, LPSTR text, int size);

// Replaces the item's text.
BOOL SetDlgItemTextA(HWND dialog, int item, LPCSTR text);

// index 0xFFFFFFFF: returns the number of dropped paths. Otherwise stores at
// most size - 1 characters of that path and a NUL and returns the number
// stored; with no storage, returns the path's full length. An index beyond
// the drop returns 0 and stores nothing. Each query of a path remembers its
// index as the drop's current file.
UINT DragQueryFileA(HDROP drop, UINT index, LPSTR path, UINT size);

// Gives the entry at source the name target. Never replaces an existing
// entry. When target is source itself, succeeds without touching anything
// (as long as the entry exists). Nonzero on success; on failure errno tells
// why. In dry-run mode it reports what a real move would and moves nothing.
BOOL MoveFileA(LPCSTR source, LPCSTR target);

// ---- The objects behind the handles ------------------------------------------

namespace standin {

class Dialog {
public:
    std::map<int, std::string> itemText;                 // edit boxes, by item id
    std::map<int, std::vector<std::string>> listLines;   // list boxes, by item id
    // When set, each line added to a list is handed here as it comes (list
    // item id, line) instead of being kept in listLines: a front end shows
    // lines as they happen, and a batch of any size keeps no lines.
    std::function<void(int, const char*)> onLineAdded;
};

class Drop {
public:
    std::vector<std::string> paths;  // in drop order
    // Indexes of paths that are not exactly the name that was given (a name
    // no 8-bit path can carry as it stands): such a file is never opened.
    std::vector<std::size_t> altered;
    // The index of the path queried last: the file the batch is taking.
    std::size_t current = 0;
};

// Called before each real move with the source and the target, once it is
// known that the two differ; a move whose observer returns false is not
// made (MoveFileA fails, with the errno the observer left). A front end
// records its moves here. Empty: every move goes ahead.
void setMoveObserver(std::function<bool(const char* source, const char* target)> observer);

// The two ways MoveFileA can rename without replacing. Both return 0 on
// success and -1 with errno set on failure.
//  - renameNoReplace: renameat2 with RENAME_NOREPLACE.
//  - linkThenUnlink: for file systems that refuse that flag; a new link of
//    the target name, then the source name removed. If the source name cannot
//    be removed, the new link is taken back, so the file keeps one name.
int renameNoReplace(const char* source, const char* target);
int linkThenUnlink(const char* source, const char* target);

// Dry run: from the call on, MoveFileA only pretends. It succeeds when the
// source is there (on disk or taken by an earlier pretended move), no entry
// of the new name is there (names freed by earlier pretended moves do not
// count), and the folder can be written; or when target is source itself.
// Every call starts a fresh record of pretended names.
void beginDryRun();
// Back to real moves; the pretended names are forgotten.
void endDryRun();
bool inDryRun();

}  // namespace standin

#endif
