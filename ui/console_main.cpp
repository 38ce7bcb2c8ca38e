// brindlemark for the shell: renames SPC files after their tags with the same
// batch, the same log lines and the same outcome as the dialog, shows their
// tags, or undoes a run. This file only reads the options; the drop, the
// output, the journal and the undo each have their own file pair in
// ui/console/.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/win32_api.h"
#include "rename/rename_batch.h"
#include "spctag/id666_tag.h"
#include "ui/console/batch_output.h"
#include "ui/console/drop_builder.h"
#include "ui/console/journal.h"
#include "ui/console/progress.h"
#include "ui/console/run_ending.h"
#include "ui/console/undo.h"
#include "ui/resource.h"
#include "ui/tag_json.h"

namespace {

constexpr char DEFAULT_TEMPLATE[] = "%N - %S";
constexpr char VERSION_TEXT[] = "Brindlemark 2.0";
constexpr int EXIT_USAGE = 2;

constexpr char USAGE[] =
    "Usage: brindlemark [--format TEMPLATE] [--dry-run] [-r] [--json]\n"
    "                   [--journal FILE | --no-journal] FILE...\n"
    "       brindlemark --show [-r] FILE...\n"
    "       brindlemark --undo [--dry-run] [JOURNAL]\n"
    "       brindlemark --help | --version\n";

constexpr char HELP[] =
    "\n"
    "Renames each SPC FILE within its own folder after its ID666 tag and prints\n"
    "one line per file, the last FILE first. An existing file is never replaced.\n"
    "\n"
    "  --format TEMPLATE  rename template (default \"%N - %S\"); only its first\n"
    "                     30 characters count; \".spc\" is appended\n"
    "  --dry-run          print the lines a real run would print, rename nothing\n"
    "  -r, --recursive    a FILE that is a folder stands for the files below it\n"
    "                     whose names end in \".spc\" (symbolic links are skipped)\n"
    "  --json             print each outcome as one JSON object per line\n"
    "  --show             print each FILE's tag as one JSON object per line\n"
    "  --journal FILE     write the run's journal to FILE\n"
    "  --no-journal       write no journal\n"
    "  --undo [JOURNAL]   move the files of the newest run not yet undone (or of\n"
    "                     JOURNAL) back to their old names\n"
    "  --help             show this help\n"
    "  --version          print the version\n"
    "\n"
    "Template codes (either case):\n"
    "  %S - Song         %G - Game    %A - Artist\n"
    "  %T - OST Title    %D - Disc    %N - Track Number\n"
    "  %% - a percent sign\n"
    "When the tag has no disc or track number, they come from the characters\n"
    "next to the last \"-\" of the path: \"castle1-07.spc\" is disc 1, track 07.\n"
    "Characters that cannot be part of a file name become \"_\".\n"
    "\n"
    "Every run that renames keeps a journal of its moves in\n"
    "$XDG_STATE_HOME/brindlemark/journal (~/.local/state/brindlemark/journal),\n"
    "written before each move, so that --undo works even after a crash.\n"
    "\n"
    "Exit status: 0 when every file was renamed or already bore its new name\n"
    "(--undo: every move was undone or needed nothing; --show: every FILE was\n"
    "recognised); 1 when any file kept its name for another reason, a folder or\n"
    "the journal could not be read or written, or output failed; 2 for a usage\n"
    "error.\n";

struct Options {
    std::string nameTemplate = DEFAULT_TEMPLATE;
    bool templateGiven = false;
    bool dryRun = false;
    bool recursive = false;
    bool json = false;
    bool show = false;
    bool undo = false;
    bool noJournal = false;
    std::string journal;  // --journal FILE
    std::vector<std::string> files;
};

int usageError(const std::string& message) {
    std::fprintf(stderr, "brindlemark: %s\n%s", message.c_str(), USAGE);
    return EXIT_USAGE;
}

int renameFiles(const Options& options) {
    standin::Dialog dialog;
    standin::Drop drop;
    SetDlgItemTextA(&dialog, IDC_FORMAT, options.nameTemplate.c_str());
    const bool foldersRead = buildDrop(options.files, options.recursive, false, drop);
    endRunIfSignalled();  // a walk of a large tree may take a while

    JournalWriter journal;
    if (!options.noJournal) {
        // A dry run asks what it can without writing.
        std::string error;
        const bool created =
            options.dryRun ? (options.journal.empty() ? journalFolderUsable(journalFolder(), error)
                                                      : journalFileCreatable(options.journal, error))
                           : (options.journal.empty() ? journal.createIn(journalFolder(), error)
                                                      : journal.create(options.journal, error));
        if (!created) {
            std::fprintf(stderr, "brindlemark: %s; nothing was renamed\n", error.c_str());
            return EXIT_FAILURE;
        }
    }
    Progress progress(drop.paths.size());
    BatchOutput output(drop, options.json, !options.recursive, progress);
    atRunEnd([&journal] { journal.finish(); });
    atRunEnd([&progress] { progress.erase(); });

    // Each move is recorded before it is made; a stop signal ends the run
    // between two files, never between a record and its move.
    standin::setMoveObserver([&journal, &options](const char* source, const char* target) {
        endRunIfSignalled();
        return options.noJournal || journal.recordMove(source, target);
    });
    dialog.onLineAdded = [&output](int item, const char* line) {
        if (item == IDC_LOG) output.add(line);
        endRunIfSignalled();
    };

    if (options.dryRun) standin::beginDryRun();
    renameDroppedFiles(&dialog, &drop);
    if (options.dryRun) standin::endDryRun();
    standin::setMoveObserver(nullptr);

    const bool written = finishRun();  // the journal flushed to disk too
    return written && output.allRenamed() && foldersRead && !journal.failed() ? EXIT_SUCCESS : EXIT_FAILURE;
}

int showTags(const Options& options) {
    standin::Drop drop;
    bool allRecognised = buildDrop(options.files, options.recursive, true, drop);
    for (const std::string& file : drop.paths) {
        ID666Tag tag;
        const FileKind kind = tag.load(file.c_str(), 0);
        if (kind <= KIND_OPEN_FAILED) allRecognised = false;
        const std::string line = tagJson(file.c_str(), kind, tag) + "\n";
        if (std::fwrite(line.data(), 1, line.size(), stdout) != line.size()) endRunOnOutputFailure();
        endRunIfSignalled();
    }
    return finishRun() && allRecognised ? EXIT_SUCCESS : EXIT_FAILURE;
}

int undoRun(const Options& options) {
    const int status = undoJournal(options.files.empty() ? std::string() : options.files.front(), options.dryRun);
    return finishRun() ? status : EXIT_FAILURE;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
            options.files.push_back(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "--help") {
            std::printf("%s%s", USAGE, HELP);
            return finishRun() ? EXIT_SUCCESS : EXIT_FAILURE;
        } else if (argument == "--version") {
            std::puts(VERSION_TEXT);
            return finishRun() ? EXIT_SUCCESS : EXIT_FAILURE;
        } else if (argument == "--dry-run") {
            options.dryRun = true;
        } else if (argument == "-r" || argument == "--recursive") {
            options.recursive = true;
        } else if (argument == "--json") {
            options.json = true;
        } else if (argument == "--show") {
            options.show = true;
        } else if (argument == "--undo") {
            options.undo = true;
        } else if (argument == "--no-journal") {
            options.noJournal = true;
        } else if (argument == "--format" || argument == "--journal") {
            if (i + 1 >= argc) return usageError(argument + " needs a value");
            (argument == "--format" ? options.nameTemplate : options.journal) = argv[++i];
            options.templateGiven = options.templateGiven || argument == "--format";
            if (argument == "--journal" && options.journal.empty()) return usageError("--journal needs a FILE");
        } else if (argument.compare(0, 9, "--format=") == 0) {
            options.nameTemplate = argument.substr(9);
            options.templateGiven = true;
        } else if (argument.compare(0, 10, "--journal=") == 0 && argument.size() > 10) {
            options.journal = argument.substr(10);
        } else {
            return usageError("unknown option " + argument);
        }
    }
    const bool journalGiven = !options.journal.empty() || options.noJournal;
    if (options.undo) {
        if (options.templateGiven || options.recursive || options.json || options.show || journalGiven) {
            return usageError("--undo takes only --dry-run and one JOURNAL");
        }
        if (options.files.size() > 1) return usageError("--undo takes one JOURNAL at most");
    } else if (options.files.empty()) {
        return usageError("no FILE given");
    }
    if (options.show && (options.dryRun || options.templateGiven || options.json || journalGiven)) {
        return usageError("--show takes no other option but --recursive");
    }
    if (!options.journal.empty() && options.noJournal) return usageError("--journal and --no-journal exclude each other");

    if (standardOutputClosed()) {
        std::fputs("brindlemark: standard output is closed; nothing was done\n", stderr);
        return EXIT_FAILURE;
    }
    deferStopSignals();
    if (options.undo) return undoRun(options);
    return options.show ? showTags(options) : renameFiles(options);
}
