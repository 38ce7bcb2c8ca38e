#ifndef BRINDLEMARK_PLATFORM_WIN32_STANDIN_H
#define BRINDLEMARK_PLATFORM_WIN32_STANDIN_H

// Stand-ins for the few Win32 calls the rename batch makes, for systems
// without Win32. They keep the names, the arguments and the results the
// batch relies on:
//  - a dialog object holds each item's text (the template edit box) and
//    each list's lines (the log list);
//  - a drop object holds the dropped paths;
//  - MoveFileA never replaces an existing file.

#include <sys/stat.h>

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

// How MoveFileA renames without replacing. All return 0 on success and -1
// with errno set on failure, and never replace an existing entry.
//  - renameNoReplace: renameat2 with RENAME_NOREPLACE, by full paths: one
//    atomic system call, the way nearly every move goes.
//  - moveNoReplace: that, and where the file system refuses the flag
//    (EINVAL or ENOSYS: FUSE file systems, NFS, 9p), the fallbacks below,
//    each step relative to one descriptor of the folder opened once, so that
//    all steps act on the same folder even if a symlink in its path is
//    re-pointed meanwhile. Source and target must lie in the same folder;
//    otherwise nothing but the first attempt is made.
//     1. renameat2 with RENAME_NOREPLACE relative to the folder;
//     2. a new link of the target name, then the source name removed; if the
//        source name cannot be removed, the new link is taken back, so the
//        file keeps one name;
//     3. only where the flag was refused with EINVAL and links with EPERM or
//        EOPNOTSUPP (exFAT through FUSE): if no entry of the target name
//        exists, a plain rename. A file created under that name by another
//        program in that instant could be replaced, as with `mv -n`.
//  - linkThenUnlink: step 2 alone (on the folder of source, opened once).
int renameNoReplace(const char* source, const char* target);
int moveNoReplace(const char* source, const char* target);
int linkThenUnlink(const char* source, const char* target);

// The system calls of a move, so that tests can make any of them fail or
// act otherwise (and put back what they found). openFolder opens a folder
// as O_PATH | O_DIRECTORY | O_CLOEXEC. The descriptor is closed with close().
struct MoveCalls {
    int (*renameat2)(int fromFolder, const char* from, int toFolder, const char* to, unsigned int flags);
    int (*openFolder)(const char* path);
    int (*linkat)(int fromFolder, const char* from, int toFolder, const char* to, int flags);
    int (*unlinkat)(int folder, const char* name, int flags);
    int (*fstatat)(int folder, const char* name, struct stat* info, int flags);
    int (*renameat)(int fromFolder, const char* from, int toFolder, const char* to);
};
extern MoveCalls moveCalls;

// Dry run: from the call on, MoveFileA only pretends, and the tag reader's
// path form sees the pretended moves: a name a pretended move freed reads
// as gone, a name it took reads as the moved entry, and symlinks are followed
// through the pretended names. Folders are known by device and inode, so
// that two paths of one folder (symlinks, bind mounts) meet.
// A pretended move succeeds when target is source itself and the entry is
// there, or when the source entry is there, no entry of the new name is,
// and the kernel would allow the move as far as it can be asked without
// moving: the folder writable and searchable for the effective ids and
// capabilities (and not on a read-only file system), the sticky-bit rule,
// and neither the entry immutable or append-only nor the folder.
// Every call starts a fresh record of pretended names.
void beginDryRun();
// Back to real moves and to the tag reader opening paths as they are; the
// pretended names are forgotten.
void endDryRun();
bool inDryRun();

// Where the entry that path names (the last name not followed) lies on disk
// once the dry run's pretended moves are made: path itself, or the path a
// pretended move took it from. False when a pretended move took it away.
// Outside a dry run: path itself.
bool pretendedEntry(const char* path, std::string& onDisk);

}  // namespace standin

#endif
