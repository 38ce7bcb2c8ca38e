#ifndef BRINDLEMARK_UI_CONSOLE_FOLDER_WALK_H
#define BRINDLEMARK_UI_CONSOLE_FOLDER_WALK_H

#include <cstddef>
#include <functional>
#include <string>

namespace brindlemark::console {

// Walks the folder at path and its sub-folders, and hands each regular file
// whose name ends in ".spc" (in any case) to onFile, as path + "/" + names.
// Within a folder the entries are taken in byte order of their names, a
// sub-folder where its name falls. Symbolic links are neither followed nor
// taken, so the walk cannot loop (the folder at path itself may be reached
// through a link: the user named it). A folder that cannot be read is handed to
// onUnreadable with the errno that refused it, and the walk goes on.
// Each folder below the top is opened by its name within its parent's open
// descriptor and never through a symbolic link, so a folder higher up
// swapped for a link during the walk cannot lead the walk out of the tree.
// A folder's names are read whole before its sub-folders are walked; the
// walk holds one descriptor per level of the folder it is in.
// archives, when given, counts the archives of the tree (see isArchiveName).
void walkFolder(const std::string& path, const std::function<void(const std::string&)>& onFile,
                const std::function<void(const std::string&, int)>& onUnreadable, std::size_t* archives = nullptr);

// True when name ends in ".rsn", ".rar", ".7z" or ".zip", in any case: an
// archive that SPC sets come in, to be unpacked first.
bool isArchiveName(const char* name);

// True when name ends in ".spc", in any case.
bool hasSpcExtension(const char* name);

}  // namespace brindlemark::console

#endif
