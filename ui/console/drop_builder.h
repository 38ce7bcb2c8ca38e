#ifndef BRINDLEMARK_UI_CONSOLE_DROP_BUILDER_H
#define BRINDLEMARK_UI_CONSOLE_DROP_BUILDER_H

#include <string>
#include <vector>

#include "rename/rename_batch.h"

namespace brindlemark::console {

// Turns the FILE arguments of the command line into the paths of one drop,
// in their order, as a shell drop delivers them: each joined to the current
// folder (unless asGiven), without "." components or doubled slashes.
// With recursive, a FILE that is a folder is replaced, at its place, by the
// SPC files of its tree (see walkFolder). Without it a folder stays in the
// drop (its line says it is not an SPC). A FILE written as a folder that is not one ("a.spc/",
// "a.spc/.") is no name of a file: it stays in the drop marked altered, so
// the batch never opens it. Folders that cannot be read are named on
// standard error. Returns false when any folder could not be read.
bool buildDrop(const std::vector<std::string>& files, bool recursive, bool asGiven,
               std::vector<brindlemark::rename::DroppedFile>& drop);

// The full path a shell drop would deliver for argument: joined to
// currentFolder (when not empty and the argument is relative), without "."
// components, doubled or trailing slashes. Symlinks and ".." stay.
std::string droppedPath(const std::string& argument, const std::string& currentFolder);

}  // namespace brindlemark::console

#endif
