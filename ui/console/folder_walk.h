#ifndef BRINDLEMARK_UI_CONSOLE_FOLDER_WALK_H
#define BRINDLEMARK_UI_CONSOLE_FOLDER_WALK_H

#include <functional>
#include <string>

// Walks the folder at path and its sub-folders, and hands each regular file
// whose name ends in ".spc" (in any case) to onFile, as path + "/" + names.
// Within a folder the entries are taken in byte order of their names, a
// sub-folder where its name falls. Symbolic links are neither followed nor
// taken, so the walk cannot loop (the folder at path itself may be reached
// through a link: the user named it). A folder that cannot be read is handed to
// onUnreadable with the errno that refused it, and the walk goes on.
// A folder's names are read whole and the folder closed before its
// sub-folders are walked, so a deep tree holds one folder open at a time.
void walkFolder(const std::string& path, const std::function<void(const std::string&)>& onFile,
                const std::function<void(const std::string&, int)>& onUnreadable);

// True when name ends in ".spc", in any case.
bool hasSpcExtension(const char* name);

#endif
