// brindlemark for the shell: renames SPC files after their tags with the same
// batch, the same log lines and the same outcome as the dialog, shows their
// tags, or undoes a run. This file only reads the options; the drop, the
// output, the journal and the undo each have their own file pair in
// ui/console/.

#include <fcntl.h>
#include <getopt.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "platform/dry_run_file_system.h"
#include "platform/real_file_system.h"
#include "rename/name_template.h"
#include "rename/read_ahead.h"
#include "rename/rename_batch.h"
#include "spctag/id666_tag.h"
#include "ui/console/batch_output.h"
#include "ui/console/dialog_name_style.h"
#include "ui/console/config_file.h"
#include "ui/console/drop_builder.h"
#include "ui/console/error_output.h"
#include "ui/console/journal/location.h"
#include "ui/console/journal/runs.h"
#include "ui/console/journal/undo.h"
#include "ui/console/journal/writer.h"
#include "ui/console/journaled_file_system.h"
#include "ui/console/progress.h"
#include "ui/console/run_ending.h"
#include "ui/console/tag_set_output.h"
#include "ui/console/tag_text_encoding.h"
#include "ui/console/template_check.h"
#include "ui/console/unicode_name_style.h"

namespace {

using namespace brindlemark::console;

constexpr char VERSION_TEXT[] = "Brindlemark 2.0";
constexpr int EXIT_USAGE = 2;

constexpr char USAGE[] =
    "Usage: brindlemark [-f TEMPLATE] [-n] [-r] [--json] [-u [--tag-encoding ENC]]\n"
    "                   [--fix-conflicts] [--journal FILE | --no-journal] FILE...\n"
    "       brindlemark --show [-r] [--tag-encoding ENC] FILE...\n"
    "       brindlemark --undo [-n] [JOURNAL | N]\n"
    "       brindlemark --runs\n"
    "       brindlemark -h | -V\n";

constexpr char HELP[] =
    "\n"
    "Renames each SPC FILE within its own folder after its ID666 tag and prints\n"
    "one line per file, the last FILE first. An existing file is never replaced.\n"
    "\n"
    "  -f, --format TEMPLATE  rename template (default \"%N - %S\"); only its\n"
    "                     first 30 characters count; \".spc\" is appended\n"
    "  -n, --dry-run      print the lines a real run would print, rename nothing\n"
    "  -r, --recursive    a FILE that is a folder stands for the files below it\n"
    "                     whose names end in \".spc\" (symbolic links are skipped)\n"
    "  -u, --unicode      make the new names from the tag's text decoded to UTF-8\n"
    "                     (NFC), keeping accented letters, kana and kanji\n"
    "  --tag-encoding ENC\n"
    "                     read every tag's text as ENC: auto (decided per file,\n"
    "                     a folder's files together; the default), utf-8,\n"
    "                     shift_jis or windows-1252\n"
    "  --json             print each outcome as one JSON object per line\n"
    "  --fix-conflicts    tell apart the files of a folder that would get one new\n"
    "                     name, or a name another file bears, by \" (2)\", \" (3)\"\n"
    "                     before \".spc\", in the order the FILEs were given\n"
    "  --show             print each FILE's tag, its text decoded, as one JSON\n"
    "                     object per line\n"
    "  --journal FILE     write the run's journal to FILE\n"
    "  --no-journal       write no journal\n"
    "  --undo [JOURNAL | N]\n"
    "                     move the files of the newest run not yet undone (or of\n"
    "                     JOURNAL, or of run N of --runs) back to their old names\n"
    "  --runs             list the runs of the journal folder, newest first and\n"
    "                     numbered from 1: when, moves, undone, folder, journal\n"
    "  -h, --help         show this help\n"
    "  -V, --version      print the version\n"
    "\n"
    "Template codes (either case):\n"
    "  %S - Song         %G - Game    %A - Artist\n"
    "  %T - OST Title    %D - Disc    %N - Track Number\n"
    "  %% - a percent sign\n"
    "  %Y - Copyright year   %P - Publisher\n"
    "  %2N, %02N, %2D - at least 2 digits, zeros in front (widths 1 to 9)\n"
    "  %*N - the digits of the largest track number of the FILE's folder (as\n"
    "        %N writes it, from the tag or the name), at least 2\n"
    "  {...} - written only when every item in it is present; %{ %} - a brace\n"
    "A \"%\" followed by a letter that is no code is a usage error.\n"
    "When the tag has no disc or track number, they come from the characters\n"
    "next to the last \"-\" of the file's own name: \"castle1-07.spc\" is disc 1,\n"
    "track 07. Without a track number in the tag, a name in the form this\n"
    "program makes (\"07 - Title.spc\", \"1-07 - Title.spc\") gives its numbers\n"
    "first, and a number of up to three digits that begins the name last\n"
    "(\"03 Title.spc\"), so a second run over its own names renames nothing.\n"
    "Characters that cannot be part of a file name become \"_\" (without -u, so do\n"
    "all bytes from 0x80 up, as in the dialog).\n"
    "\n"
    "Every run that renames keeps a journal of its moves in\n"
    "$XDG_STATE_HOME/brindlemark/journal (~/.local/state/brindlemark/journal),\n"
    "written before each move, so that --undo works even after a crash.\n"
    "\n"
    "Options always wanted can be set in $XDG_CONFIG_HOME/brindlemark/config\n"
    "(~/.config/brindlemark/config), one \"key = value\" a line: format,\n"
    "unicode (yes or no), tag-encoding and fix-conflicts (yes or no).\n"
    "\n"
    "Exit status: 0 when every file was renamed or already bore its new name\n"
    "(--undo: every move was undone or needed nothing; --show: every FILE was\n"
    "recognised); 1 when any file kept its name for another reason, a folder or\n"
    "the journal could not be read or written, or output failed; 2 for a usage\n"
    "error.\n";

constexpr char CONFIG_HELP[] =
    "\n"
    "The options set in %s apply; those given here win.\n";

using brindlemark::rename::DroppedFile;
using brindlemark::spctag::FileKind;
using brindlemark::spctag::ID666Tag;
using brindlemark::spctag::KIND_OPEN_FAILED;

struct Options {
    std::string nameTemplate = brindlemark::rename::NAME_TEMPLATE_DEFAULT;
    bool templateGiven = false;
    bool dryRun = false;
    bool recursive = false;
    bool json = false;
    bool show = false;
    bool undo = false;
    bool runs = false;
    bool noJournal = false;
    bool unicode = false;
    bool unicodeGiven = false;  // -u on the command line, not the config file
    bool fixConflicts = false;
    bool fixConflictsGiven = false;  // on the command line, not the config file
    bool tagEncodingGiven = false;
    std::optional<brindlemark::console::TextEncoding> tagEncoding;  // none: decided per file
    std::string journal;  // --journal FILE
    std::vector<std::string> files;
    std::string configFile;  // the config file read, if one was
};

int usageError(const std::string& message) {
    std::fprintf(stderr, "brindlemark: %s\n%s", message.c_str(), USAGE);
    return EXIT_USAGE;
}

// Fills options from the config file, before the command line does; false
// after a usage error naming the file and line.
bool applyConfigFile(Options& options) {
    ConfigSettings settings;
    std::string error;
    const std::string path = configFilePath();
    switch (readConfigFile(path, settings, error)) {
        case ConfigRead::Absent: return true;
        case ConfigRead::Refused: usageError(error); return false;
        case ConfigRead::Read: break;
    }
    options.configFile = path;
    if (settings.format) options.nameTemplate = *settings.format;
    if (settings.unicode) options.unicode = *settings.unicode;
    if (settings.fixConflicts) options.fixConflicts = *settings.fixConflicts;
    if (settings.tagEncodingSet) options.tagEncoding = settings.tagEncoding;
    return true;
}

int renameFiles(const Options& options) {
    const std::string templateError = templateFault(options.nameTemplate);
    if (!templateError.empty()) return usageError(templateError);
    warnOfCutTemplate(options.nameTemplate);
    // Counted here, once, as the dialog counts its box: the batch takes it as given.
    const std::string counted =
        options.nameTemplate.substr(0, brindlemark::rename::countedTemplateLength(options.nameTemplate.c_str()));
    const brindlemark::rename::NameTemplate nameTemplate(counted.c_str(), brindlemark::rename::TemplateDialect::Console);
    std::vector<DroppedFile> drop;
    const bool foldersRead = buildDrop(options.files, options.recursive, false, drop);
    if (stopSignalled()) return EXIT_FAILURE;  // a walk of a large tree may take a while

    JournalWriter journal;
    const bool journaled = !options.dryRun && !options.noJournal;
    if (!options.noJournal) {
        // A dry run asks what it can without writing.
        std::string error;
        const bool created =
            options.dryRun ? (options.journal.empty() ? readyJournalFolder(journalFolder(), false, error)
                                                      : journalFileCreatable(options.journal, error))
                           : (options.journal.empty() ? journal.createIn(journalFolder(), error)
                                                      : journal.create(options.journal, error));
        if (!created) {
            printError(error + "; nothing was renamed");
            return EXIT_FAILURE;
        }
    }
    Progress progress(drop.size());
    BatchOutput output(options.json, !options.recursive, progress);

    brindlemark::platform::RealFileSystem realFileSystem;
    std::optional<brindlemark::platform::DryRunFileSystem> dryRunFileSystem;  // the model made only for a dry run
    if (options.dryRun) dryRunFileSystem.emplace();
    JournaledFileSystem journaledFileSystem(realFileSystem, journal);
    brindlemark::platform::FileSystem& fileSystem =
        dryRunFileSystem ? static_cast<brindlemark::platform::FileSystem&>(*dryRunFileSystem)
        : journaled      ? static_cast<brindlemark::platform::FileSystem&>(journaledFileSystem)
                         : realFileSystem;
    // The dialog's names unless -u: without it nothing is decoded.
    const DialogNameStyle dialogStyle;
    std::optional<brindlemark::console::UnicodeNameStyle> unicodeStyle;
    if (options.unicode) unicodeStyle.emplace(options.tagEncoding);
    const brindlemark::rename::NameStyle& style =
        unicodeStyle ? static_cast<const brindlemark::rename::NameStyle&>(*unicodeStyle) : dialogStyle;
    brindlemark::rename::BatchSettings settings;
    settings.fixConflicts = options.fixConflicts;
    // A stop signal or failed output ends the batch between two files,
    // once the file the batch is on has its line; the journal and the
    // progress line are finished on the way back.
    bool written = true;
    brindlemark::rename::renameDroppedFiles(nameTemplate, drop, fileSystem, style,
                                            [&output, &written](const brindlemark::rename::FileOutcome& outcome) {
                                                written = output.add(outcome);
                                                explainInvalidTemplate(outcome);
                                                return written && !stopSignalled();
                                            }, settings);
    if (!written || stopSignalled()) return EXIT_FAILURE;
    journal.finish();  // flushed to disk
    if (const brindlemark::platform::SystemError failure = journal.failure()) {
        printError(failure.step == std::string("fsync")
                       ? "cannot flush the journal " + journal.path() + " to disk: " + std::strerror(failure.code)
                       : "cannot write the journal " + journal.path() + ": " + std::strerror(failure.code) +
                             "; no further file is renamed");
    }
    if (dialogStyle.highBytesReplaced()) {
        printError("tag text with bytes from 0x80 up became \"_\" in the new names; -u (--unicode) keeps them");
    }
    output.summarise(drop.size(), options.dryRun);
    return !journal.failed() && output.allRenamed() && foldersRead ? EXIT_SUCCESS : EXIT_FAILURE;
}

// Says on standard error why --show read no tag at path: it does not exist,
// is a folder (without -r), or cannot be read.
void sayWhyNoTag(const char* path, bool recursive) {
    struct stat info;
    if (stat(path, &info) != 0) {
        printError(std::string(path) + ": " + std::strerror(errno));
    } else if (S_ISDIR(info.st_mode)) {
        if (!recursive) printError(std::string(path) + " is a folder; with -r (--recursive) the SPC files inside it are shown");
    } else if (const int fd = open(path, O_RDONLY | O_CLOEXEC); fd < 0) {
        printError("cannot read " + std::string(path) + ": " + std::strerror(errno));
    } else {
        close(fd);
    }
}

int showTags(const Options& options) {
    std::vector<DroppedFile> drop;
    bool allRecognised = buildDrop(options.files, options.recursive, true, drop);
    brindlemark::platform::RealFileSystem fileSystem;
    // The tags are read ahead a folder's files at a time; each window is one
    // set, its text encoding decided over the whole set, then shown in order.
    TagSetOutput output(options.tagEncoding);
    std::vector<ShownFile> shown;
    brindlemark::rename::ReadAhead window(drop, brindlemark::rename::DropOrder::FirstFirst, fileSystem);
    while (window.next()) {
        shown.clear();
        for (std::size_t position = 0; position < window.size(); ++position) {
            const char* path = window[position].dropped->path.c_str();
            const FileKind kind = window[position].kind;
            if (kind <= KIND_OPEN_FAILED) {
                allRecognised = false;
                sayWhyNoTag(path, options.recursive);
            }
            shown.push_back({path, kind, &window[position].tag});
        }
        if (!output.printSet(shown.data(), shown.size())) {
            outputFailed();
            return EXIT_FAILURE;
        }
        if (stopSignalled()) return EXIT_FAILURE;
    }
    return allRecognised ? EXIT_SUCCESS : EXIT_FAILURE;
}

int undoRun(const Options& options) {
    std::string journal = options.files.empty() ? std::string() : options.files.front();
    std::string error;
    // A number names a run of --runs; a journal file so named is given as a path ("./2").
    if (isRunNumber(journal) && !runJournal(journal, journal, error)) {
        printError(error + "; nothing was undone");
        return EXIT_FAILURE;
    }
    return undoJournal(journal, options.dryRun);
}

// Options without a short form.
enum LongOnly { OPTION_JSON = 256, OPTION_SHOW, OPTION_UNDO, OPTION_JOURNAL, OPTION_NO_JOURNAL, OPTION_TAG_ENCODING, OPTION_RUNS, OPTION_FIX_CONFLICTS };

// The option table, in one place. The leading "-" hands every FILE over in
// its place (as the argument of option 1), so options may follow the files
// as with mv, whatever POSIXLY_CORRECT says; after "--" the rest are files.
constexpr char SHORT_OPTIONS[] = "-:f:nruhV";
const option LONG_OPTIONS[] = {
    {"format", required_argument, nullptr, 'f'},
    {"dry-run", no_argument, nullptr, 'n'},
    {"recursive", no_argument, nullptr, 'r'},
    {"unicode", no_argument, nullptr, 'u'},
    {"tag-encoding", required_argument, nullptr, OPTION_TAG_ENCODING},
    {"json", no_argument, nullptr, OPTION_JSON},
    {"show", no_argument, nullptr, OPTION_SHOW},
    {"undo", no_argument, nullptr, OPTION_UNDO},
    {"runs", no_argument, nullptr, OPTION_RUNS},
    {"journal", required_argument, nullptr, OPTION_JOURNAL},
    {"no-journal", no_argument, nullptr, OPTION_NO_JOURNAL},
    {"fix-conflicts", no_argument, nullptr, OPTION_FIX_CONFLICTS},
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, 'V'},
    {nullptr, 0, nullptr, 0},
};

// The option getopt_long stopped at, as the user wrote it: a long one by
// its name, a short one (perhaps among others, "-rx") by its letter.
std::string optionWritten(char** argv, int shortOption) {
    const std::string argument = argv[optind - 1];
    if (argument.compare(0, 2, "--") == 0 || shortOption <= 0 || shortOption > 127) {
        return argument.substr(0, argument.find('='));
    }
    return std::string("-") + static_cast<char>(shortOption);
}

// Fills options from the command line, in one getopt_long loop. An exit
// status when the run ends here: a usage error, or -h and -V done.
std::optional<int> readOptions(int argc, char** argv, Options& options) {
    opterr = 0;  // the messages are ours
    for (int found; (found = getopt_long(argc, argv, SHORT_OPTIONS, LONG_OPTIONS, nullptr)) != -1;) {
        switch (found) {
            case 1: options.files.emplace_back(optarg); break;
            case 'f':
                options.nameTemplate = optarg;
                options.templateGiven = true;
                break;
            case 'n': options.dryRun = true; break;
            case 'r': options.recursive = true; break;
            case 'u': options.unicode = options.unicodeGiven = true; break;
            case OPTION_TAG_ENCODING:
                if (!brindlemark::console::parseTagEncoding(optarg, options.tagEncoding)) {
                    return usageError(std::string("unknown --tag-encoding ") + optarg + " (" +
                                      brindlemark::console::TAG_ENCODING_CHOICES + ")");
                }
                options.tagEncodingGiven = true;
                break;
            case OPTION_JSON: options.json = true; break;
            case OPTION_SHOW: options.show = true; break;
            case OPTION_UNDO: options.undo = true; break;
            case OPTION_RUNS: options.runs = true; break;
            case OPTION_NO_JOURNAL: options.noJournal = true; break;
            case OPTION_FIX_CONFLICTS: options.fixConflicts = options.fixConflictsGiven = true; break;
            case OPTION_JOURNAL:
                options.journal = optarg;
                if (options.journal.empty()) return usageError("--journal needs a FILE");
                break;
            case 'h':
                std::printf("%s%s", USAGE, HELP);
                if (!options.configFile.empty()) std::printf(CONFIG_HELP, options.configFile.c_str());
                return endRun(EXIT_SUCCESS);
            case 'V':
                std::puts(VERSION_TEXT);
                return endRun(EXIT_SUCCESS);
            case ':': return usageError(optionWritten(argv, optopt) + " needs a value");
            default: return usageError("unknown option " + optionWritten(argv, optopt));
        }
    }
    for (int rest = optind; rest < argc; ++rest) options.files.emplace_back(argv[rest]);  // after "--"
    return std::nullopt;
}

// A usage error when the options do not go together; none when they do.
std::optional<int> checkOptions(const Options& options, int argc) {
    const bool journalGiven = !options.journal.empty() || options.noJournal;
    if (options.undo) {
        if (options.templateGiven || options.recursive || options.json || options.show || journalGiven || options.runs ||
            options.unicodeGiven || options.tagEncodingGiven || options.fixConflictsGiven) {
            return usageError("--undo takes only --dry-run and one JOURNAL");
        }
        if (options.files.size() > 1) return usageError("--undo takes one JOURNAL at most");
        if (!options.files.empty() && isRunNumber(options.files.front()) &&
            options.files.front().find_first_not_of('0') == std::string::npos) {
            return usageError("runs are numbered from 1 (see --runs); a journal file named " + options.files.front() +
                              " is given as ./" + options.files.front());
        }
    } else if (options.runs) {
        if (argc != 2) return usageError("--runs takes no other option and no FILE");
    } else if (options.files.empty()) {
        return usageError("no FILE given");
    }
    // --show prints JSON already: --json beside it changes nothing.
    if (options.show && (options.dryRun || options.templateGiven || journalGiven || options.unicodeGiven ||
                         options.fixConflictsGiven)) {
        return usageError("--show takes no other option but --recursive, --tag-encoding and --json");
    }
    if (options.tagEncodingGiven && !options.unicode && !options.show) {
        return usageError("--tag-encoding needs --unicode or --show: without them names keep no character from 0x80 up");
    }
    if (!options.journal.empty() && options.noJournal) return usageError("--journal and --no-journal exclude each other");
    return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!applyConfigFile(options)) return EXIT_USAGE;
    if (const std::optional<int> ended = readOptions(argc, argv, options)) return *ended;
    if (const std::optional<int> refused = checkOptions(options, argc)) return *refused;
    if (standardOutputClosed()) {
        std::fputs("brindlemark: standard output is closed; nothing was done\n", stderr);
        return EXIT_FAILURE;
    }
    deferStopSignals();
    if (options.undo) return endRun(undoRun(options));
    if (options.runs) return endRun(listRuns());
    return endRun(options.show ? showTags(options) : renameFiles(options));
}
