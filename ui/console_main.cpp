// brindlemark for the shell: renames SPC files after their tags with the same
// batch, the same log lines and the same outcome as the dialog, or shows
// their tags.

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/win32_api.h"
#include "rename/rename_batch.h"
#include "spctag/id666_tag.h"
#include "ui/resource.h"
#include "ui/tag_json.h"

namespace {

constexpr char DEFAULT_TEMPLATE[] = "%N - %S";
constexpr char VERSION_TEXT[] = "Brindlemark 2.0";
constexpr int EXIT_USAGE = 2;

constexpr char USAGE[] =
    "Usage: brindlemark [--format TEMPLATE] [--dry-run] FILE...\n"
    "       brindlemark --show FILE...\n"
    "       brindlemark --help | --version\n";

constexpr char HELP[] =
    "\n"
    "Renames each SPC FILE within its own folder after its ID666 tag and prints\n"
    "one line per file, the last FILE first. An existing file is never replaced.\n"
    "\n"
    "  --format TEMPLATE  rename template (default \"%N - %S\"); only its first\n"
    "                     30 characters count; \".spc\" is appended\n"
    "  --dry-run          print the lines a real run would print, rename nothing\n"
    "  --show             print each FILE's tag as one JSON object per line\n"
    "  --help             show this help\n"
    "  --version          print the version\n"
    "\n"
    "Template codes (either case):\n"
    "  %S - Song         %G - Game    %A - Artist\n"
    "  %T - OST Title    %D - Disc    %N - Track Number\n"
    "  %% - a percent sign\n"
    "When the tag has no disc or track number, they come from the characters\n"
    "next to the last \"-\" of the path: \"castle1-07.spc\" is disc 1, track 07.\n"
    "Characters that cannot be part of a file name become \"_\".\n";

int usageError(const std::string& message) {
    std::fprintf(stderr, "brindlemark: %s\n%s", message.c_str(), USAGE);
    return EXIT_USAGE;
}

// The full path a shell drop would deliver: joined to the current folder,
// without "." components, doubled or trailing slashes. Symlinks and ".."
// are left as they are.
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
        const std::string part = joined.substr(at, end - at);
        if (!part.empty() && part != ".") {
            if (!path.empty() || joined[0] == '/') path += '/';
            path += part;
        }
        at = end + 1;
    }
    if (path.empty()) path = joined[0] == '/' ? "/" : ".";
    return path;
}

// The current folder, or empty when it cannot be told.
std::string currentFolder() {
    std::vector<char> cwd(4096);
    const char* folder = nullptr;
    while ((folder = getcwd(cwd.data(), cwd.size())) == nullptr && errno == ERANGE) {
        cwd.resize(cwd.size() * 2);
    }
    return folder != nullptr && folder[0] == '/' ? std::string(folder) : std::string();
}

int renameFiles(const std::string& nameTemplate, bool dryRun, const std::vector<std::string>& files) {
    standin::Dialog dialog;
    standin::Drop drop;
    SetDlgItemTextA(&dialog, IDC_FORMAT, nameTemplate.c_str());
    const std::string folder = currentFolder();
    for (const std::string& file : files) drop.paths.push_back(droppedPath(file, folder));

    if (dryRun) standin::beginDryRun();
    renameDroppedFiles(&dialog, &drop);
    if (dryRun) standin::endDryRun();

    for (const std::string& line : dialog.listLines[IDC_LOG]) {
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fputc('\n', stdout);
    }
    return 0;
}

int showTags(const std::vector<std::string>& files) {
    for (const std::string& file : files) {
        ID666Tag tag;
        const FileKind kind = tag.load(file.c_str(), 0);
        std::puts(tagJson(file.c_str(), kind, tag).c_str());
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::string nameTemplate = DEFAULT_TEMPLATE;
    bool templateGiven = false;
    bool dryRun = false;
    bool show = false;
    std::vector<std::string> files;

    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
            files.push_back(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "--help") {
            std::printf("%s%s", USAGE, HELP);
            return 0;
        } else if (argument == "--version") {
            std::puts(VERSION_TEXT);
            return 0;
        } else if (argument == "--dry-run") {
            dryRun = true;
        } else if (argument == "--show") {
            show = true;
        } else if (argument == "--format") {
            if (i + 1 >= argc) return usageError("--format needs a TEMPLATE");
            nameTemplate = argv[++i];
            templateGiven = true;
        } else if (argument.compare(0, 9, "--format=") == 0) {
            nameTemplate = argument.substr(9);
            templateGiven = true;
        } else {
            return usageError("unknown option " + argument);
        }
    }
    if (files.empty()) return usageError("no FILE given");
    if (show && (dryRun || templateGiven)) return usageError("--show takes no other option");

    return show ? showTags(files) : renameFiles(nameTemplate, dryRun, files);
}
