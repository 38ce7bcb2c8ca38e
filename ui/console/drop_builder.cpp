#include "ui/console/drop_builder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "ui/console/error_output.h"
#include "ui/console/folder_walk.h"

namespace brindlemark::console {

namespace {

// The current folder, or empty when it cannot be told.
std::string currentFolder() {
    std::vector<char> cwd(4096);
    const char* folder = nullptr;
    while ((folder = getcwd(cwd.data(), cwd.size())) == nullptr && errno == ERANGE) {
        cwd.resize(cwd.size() * 2);
    }
    return folder != nullptr && folder[0] == '/' ? std::string(folder) : std::string();
}

bool isFolder(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// True when the argument can only name a folder: it ends in "/" or "/.".
bool namesAFolder(const std::string& argument) {
    const std::size_t size = argument.size();
    return (size > 0 && argument[size - 1] == '/') ||
           (size > 1 && argument[size - 1] == '.' && argument[size - 2] == '/');
}

}  // namespace

std::string droppedPath(const std::string& argument, const std::string& currentFolder) {
    std::string joined = argument;
    if ((argument.empty() || argument[0] != '/') && !currentFolder.empty()) {
        joined = currentFolder + "/" + argument;
    }
    std::string path;
    std::size_t at = 0;
    while (at < joined.size()) {
        std::size_t end = joined.find('/', at);
        if (end == std::string::npos) end = joined.size();
        if (end > at && !(end - at == 1 && joined[at] == '.')) {
            if (!path.empty() || joined[0] == '/') path += '/';
            path.append(joined, at, end - at);
        }
        at = end + 1;
    }
    if (path.empty()) path = !joined.empty() && joined[0] == '/' ? "/" : ".";
    return path;
}

bool buildDrop(const std::vector<std::string>& files, bool recursive, bool asGiven,
               std::vector<brindlemark::rename::DroppedFile>& drop) {
    const std::string folder = asGiven ? std::string() : currentFolder();
    bool allRead = true;
    bool archivesHinted = false;
    for (const std::string& file : files) {
        const std::string path = asGiven ? file : droppedPath(file, folder);
        // Asked only where it matters: a batch of files named one by one
        // looks at each of them once, in the batch.
        const bool written = namesAFolder(file);
        const bool folderGiven = (recursive || written) && isFolder(file);
        if (folderGiven && recursive) {
            const std::size_t before = drop.size();
            std::size_t archives = 0;
            walkFolder(
                path, [&drop](const std::string& found) { drop.push_back({found, false}); },
                [&allRead](const std::string& unreadable, int cause) {
                    printError("cannot read folder " + unreadable + ": " + std::strerror(cause));
                    allRead = false;
                },
                &archives);
            if (drop.size() == before && archives > 0 && !archivesHinted) {
                printError("no SPC file under " + file + ", but " + std::to_string(archives) +
                           (archives == 1 ? " archive" : " archives") +
                           " (.rsn, .rar, .7z, .zip): they must be unpacked first");
                archivesHinted = true;
            }
            continue;
        }
        drop.push_back({path, written && !folderGiven});
    }
    return allRead;
}

}  // namespace brindlemark::console
