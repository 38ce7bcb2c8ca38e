// The batch benchmark: makes a folder of SPC files and, on the same files in
// the same rounds, measures the console front end renaming all of them in one
// drop without a journal, with its journal, with --dry-run and as a walk of
// the folder (-r), against the floor, a loop that does only what any renamer
// must do per file, and showing their tags (--show) against the floor of a
// viewer, the same loop without the rename; also --show over 10,000 files,
// to compare with the seconds an earlier build took (--show-before). Each
// figure is the median of the rounds. Then counts system calls and bytes read
// per file with strace, for files with and without the extended tag and with
// the journal on and off, and the peak resident memory of the batch and of the
// walk with GNU time. Prints one summary table, each goal with its figure and
// whether it is met. Last, where FUSE is to be had, the same console on a
// network share: a FUSE file system that sleeps in every operation
// (slowfs.py, started and stopped here) over a folder of its own, timed for
// --show, --dry-run, a real run with its journal on local disk and --undo of
// that run.
//
// Every program it starts runs with XDG_STATE_HOME inside the work folder, so
// the journals of its runs never land in the user's own state folder.
//
//   batch_bench --console PATH --floor PATH [--files N] [--rounds R]
//               [--trace-files M] [--show-before SECONDS] [--dir DIR] [--keep]
//               [--slowfs PATH [--python PATH] [--share-files N] [--share-delay-ms MS]
//                [--share-rounds R]]

#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "spcbuild/spc_builder.h"

extern char** environ;

namespace {

using namespace spcbuild;

struct Options {
    std::string console, floor, dir;
    int files = 10000;
    int rounds = 5;
    int traceFiles = 1000;  // per-file figures are the difference of runs over 100 and 100 + M files
    double showBefore = -1;  // seconds of --show over 10,000 files before a change, when given
    bool keep = false;
    std::string slowfs;               // the delaying FUSE file system; none: no network share row
    std::string python = "/usr/bin/python3";  // the Python that has fusepy
    int shareFiles = 500;
    double shareDelayMs = 1;
    int shareRounds = 3;
};

// The goals the summary judges.
constexpr double BATCH_GOAL = 1.1;        // batch without journal, x the floor
constexpr double JOURNAL_GOAL = 1.3;      // journaled run, x the run without journal
constexpr double SHOW_GOAL = 1.2;         // --show, x the viewer's floor
constexpr double SHOW_BEFORE_GOAL = 1.2;   // --show over 10,000 files, x the seconds before a change
constexpr double CALLS_BASE_GOAL = 5;      // per renamed file without extended tag, no journal
constexpr double CALLS_EXTENDED_GOAL = 6;  // the same with an extended tag
constexpr double JOURNAL_CALLS_GOAL = 2;   // the journal's extra calls per renamed file
constexpr int SHOW_LARGE_FILES = 10000;
constexpr double WALK_MI_B_GOAL = 64;       // peak memory of -r over 100,000 files, projected
// On the network share: seconds for the whole run, per row below.
constexpr double SHARE_SHOW_GOAL = 1.0, SHARE_DRY_RUN_GOAL = 1.5, SHARE_JOURNALED_GOAL = 3.0, SHARE_UNDO_GOAL = 3.0;

enum class Mix { Realistic, BaseOnly, ExtendedOnly };

// ---- Making the files -------------------------------------------------------

bool hasExtendedTag(Mix mix, int i) {
    return mix == Mix::ExtendedOnly || (mix == Mix::Realistic && i % 3 == 0);
}

// File i of a set: text base tags for even i, binary for odd; with an
// extended tag, the longer titles and the track come from its chunks. One
// title in ten holds characters the batch must clean.
Bytes makeSpc(Mix mix, int i) {
    char number[16];
    std::snprintf(number, sizeof number, "%05d", i);
    const std::string song = std::string(i % 10 == 7 ? "Boss: Why?/" : "Stage Theme ") + number;
    Bytes spc;
    if (i % 2 == 0) {
        TextTag t;
        t.song = song;
        t.game = "Benchmark Quest";
        t.dumper = "bench";
        t.date = "06/15/2001";
        t.seconds = "150";
        t.fadeMs = "10000";
        t.artist = "Composer Name";
        t.emulator = '1';
        spc = spcWithTextTag(t);
    } else {
        BinaryTag t;
        t.song = song;
        t.game = "Benchmark Quest";
        t.artist = "Composer Name";
        t.day = 15;
        t.month = 6;
        t.year = 2001;
        t.seconds = 150;
        t.fadeMs = 10000;
        spc = spcWithBinaryTag(t);
    }
    if (hasExtendedTag(mix, i)) {
        appendExtendedTag(spc, chunkBlock({
                                   textChunk(0x01, song + " (Extended Title Beyond The Base Tag)"),
                                   textChunk(0x02, "Benchmark Quest: The Long Game Title"),
                                   textChunk(0x03, "Composer Name, Second Composer"),
                                   textChunk(0x10, "Benchmark Quest Original Soundtrack"),
                                   valueChunk(0x11, 1),
                                   valueChunk(0x12, static_cast<std::uint16_t>((i % 99 + 1) << 8)),
                                   integerChunk(0x05, 0x07D1060F),
                                   integerChunk(0x30, 64000 * 120),
                                   integerChunk(0x31, 64000 * 30),
                                   integerChunk(0x33, 64000 * 8),
                               }));
    }
    return spc;
}

// Writes only the 4 KB blocks that hold something; the sound image, which no
// renamer reads, stays a hole. Refuses to replace a file.
bool writeSparse(const std::string& path, const Bytes& bytes) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    bool ok = true;
    for (std::size_t at = 0; at < bytes.size() && ok; at += 4096) {
        const std::size_t n = std::min<std::size_t>(4096, bytes.size() - at);
        const bool empty = std::all_of(bytes.begin() + static_cast<long>(at),
                                       bytes.begin() + static_cast<long>(at + n), [](unsigned char b) { return b == 0; });
        if (!empty) ok = pwrite(fd, bytes.data() + at, n, static_cast<off_t>(at)) == static_cast<ssize_t>(n);
    }
    ok = ok && ftruncate(fd, static_cast<off_t>(bytes.size())) == 0;
    return close(fd) == 0 && ok;
}

struct FileSet {
    std::string folder;
    std::vector<std::string> paths;
    std::map<ino_t, std::string> nameOf;  // inode -> original name, to undo renames
    int extended = 0;
};

bool makeSet(const std::string& folder, Mix mix, int count, FileSet& set) {
    set.folder = folder;
    if (mkdir(folder.c_str(), 0755) != 0) return false;
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "track-%05d.spc", i);
        const std::string path = folder + "/" + name;
        if (!writeSparse(path, makeSpc(mix, i))) return false;
        struct stat st {};
        if (stat(path.c_str(), &st) != 0) return false;
        set.paths.push_back(path);
        set.nameOf[st.st_ino] = name;
        if (hasExtendedTag(mix, i)) ++set.extended;
    }
    return true;
}

// Gives every file of the set its original name again.
bool restoreNames(const FileSet& set) {
    DIR* dir = opendir(set.folder.c_str());
    if (dir == nullptr) return false;
    std::vector<std::pair<std::string, std::string>> moves;
    while (const dirent* entry = readdir(dir)) {
        const auto known = set.nameOf.find(entry->d_ino);
        if (known != set.nameOf.end() && known->second != entry->d_name) moves.emplace_back(entry->d_name, known->second);
    }
    closedir(dir);
    bool ok = true;
    for (const auto& move : moves) {
        const std::string from = set.folder + "/" + move.first, to = set.folder + "/" + move.second;
        ok = syscall(SYS_renameat2, AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0 && ok;
    }
    return ok;
}

// Names in a folder but "." and ".."; none when it cannot be read.
std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) return names;
    while (const dirent* entry = readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) names.push_back(entry->d_name);
    }
    closedir(dir);
    return names;
}

bool removeSet(const FileSet& set) {
    for (const std::string& name : namesIn(set.folder)) unlink((set.folder + "/" + name).c_str());
    return rmdir(set.folder.c_str()) == 0;
}

// Removes the journals that runs left in the folder and says how many there were.
int takeJournals(const std::string& folder) {
    int journals = 0;
    for (const std::string& name : namesIn(folder)) {
        if (unlink((folder + "/" + name).c_str()) == 0 && name.size() > 8 && name.rfind(".journal") == name.size() - 8) {
            ++journals;
        }
    }
    return journals;
}

// ---- Running programs ---------------------------------------------------------

struct Run {
    double seconds = 0;
    int status = -1;  // exit code, or -1 when the program did not exit normally
};

Run runProgram(const std::vector<std::string>& argv, const std::string& outputPath) {
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, (outputPath + ".err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    Run run;
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ) == 0) {
        int status = 0;
        waitpid(pid, &status, 0);
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    posix_spawn_file_actions_destroy(&actions);
    return run;
}

std::vector<std::string> withFiles(std::vector<std::string> argv, const FileSet& set) {
    argv.insert(argv.end(), set.paths.begin(), set.paths.end());
    return argv;
}

std::string readWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

int countOccurrences(const std::string& text, const std::string& what) {
    int n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) ++n;
    return n;
}

bool onPath(const std::string& program) {
    return runProgram({"sh", "-c", "command -v " + program}, "/dev/null").status == 0;
}

// ---- System calls and bytes read ------------------------------------------------

// Calls per system call name from the summary of `strace -c`.
std::map<std::string, double> straceCounts(const std::vector<std::string>& program, const std::string& work) {
    const std::string summary = work + "/strace-c.txt";
    std::vector<std::string> argv = {"strace", "-c", "-f", "-o", summary};
    argv.insert(argv.end(), program.begin(), program.end());
    std::map<std::string, double> calls;
    if (runProgram(argv, work + "/strace-c.out").status != 0) return calls;
    std::istringstream lines(readWhole(summary));
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::vector<std::string> f;
        for (std::string w; fields >> w;) f.push_back(w);
        if ((f.size() == 5 || f.size() == 6) && std::isdigit(static_cast<unsigned char>(f[3][0])) && f.back() != "total") {
            calls[f.back()] += std::atof(f[3].c_str());
        }
    }
    return calls;
}

// Bytes that all read calls returned, from a trace of the reading calls.
double straceBytesRead(const std::vector<std::string>& program, const std::string& work) {
    const std::string trace = work + "/strace-read.txt";
    std::vector<std::string> argv = {"strace", "-f", "-qq", "-s", "0", "-e", "trace=read,pread64,readv,preadv,preadv2", "-o", trace};
    argv.insert(argv.end(), program.begin(), program.end());
    if (runProgram(argv, work + "/strace-read.out").status != 0) return -1;
    std::istringstream lines(readWhole(trace));
    std::string line;
    double bytes = 0;
    while (std::getline(lines, line)) {
        const std::size_t eq = line.rfind(" = ");
        if (eq != std::string::npos) bytes += std::max(0.0, std::atof(line.c_str() + eq + 3));
    }
    return bytes;
}

struct PerFile {
    double calls = -1, bytes = -1;
    double callsPerRenamed = -1;  // the same difference, divided by the difference in files renamed
    std::map<std::string, double> byName;
};

// The cost of one more file: runs over a small and a large set of the same
// mix, and divides the differences by the difference in files, so that what
// a program spends on starting and ending cancels out. Bytes read only when
// asked, as they take runs of their own.
PerFile perFileCost(const std::vector<std::string>& programArgs, const FileSet& small, const FileSet& large,
                    const std::string& work, bool bytesToo) {
    PerFile cost;
    const double extra = static_cast<double>(large.paths.size() - small.paths.size());
    std::map<std::string, double> counts[2];
    double bytes[2] = {0, 0};
    int renamed[2] = {0, 0};
    const FileSet* sets[2] = {&small, &large};
    for (int s = 0; s < 2; ++s) {
        counts[s] = straceCounts(withFiles(programArgs, *sets[s]), work);
        renamed[s] = countOccurrences(readWhole(work + "/strace-c.out"), " -> ");
        restoreNames(*sets[s]);
        if (bytesToo) {
            bytes[s] = straceBytesRead(withFiles(programArgs, *sets[s]), work);
            restoreNames(*sets[s]);
        }
    }
    if (counts[0].empty() || counts[1].empty()) return cost;
    double total[2] = {0, 0};
    for (int s = 0; s < 2; ++s) {
        for (const auto& entry : counts[s]) total[s] += entry.second;
    }
    cost.calls = (total[1] - total[0]) / extra;
    if (renamed[1] > renamed[0]) cost.callsPerRenamed = (total[1] - total[0]) / (renamed[1] - renamed[0]);
    for (const auto& entry : counts[1]) {
        const double n = (entry.second - counts[0][entry.first]) / extra;
        if (n > 0.005) cost.byName[entry.first] = n;
    }
    if (bytesToo && bytes[0] >= 0 && bytes[1] >= 0) cost.bytes = (bytes[1] - bytes[0]) / extra;
    return cost;
}

// ---- Peak memory ----------------------------------------------------------------

double peakResidentKiB(const std::vector<std::string>& program, const std::string& work) {
    const std::string report = work + "/time-v.txt";
    std::vector<std::string> argv = {"/usr/bin/time", "-v", "-o", report};
    argv.insert(argv.end(), program.begin(), program.end());
    if (runProgram(argv, work + "/time-v.out").status != 0) return -1;
    const std::string text = readWhole(report);
    const std::string key = "Maximum resident set size (kbytes): ";
    const std::size_t at = text.find(key);
    return at == std::string::npos ? -1 : std::atof(text.c_str() + at + key.size());
}

// ---- Options and the table ---------------------------------------------------------

bool parseOptions(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (a == "--console" && hasValue) o.console = argv[++i];
        else if (a == "--floor" && hasValue) o.floor = argv[++i];
        else if (a == "--dir" && hasValue) o.dir = argv[++i];
        else if (a == "--files" && hasValue) o.files = std::atoi(argv[++i]);
        else if (a == "--rounds" && hasValue) o.rounds = std::atoi(argv[++i]);
        else if (a == "--trace-files" && hasValue) o.traceFiles = std::atoi(argv[++i]);
        else if (a == "--show-before" && hasValue) o.showBefore = std::atof(argv[++i]);
        else if (a == "--keep") o.keep = true;
        else if (a == "--slowfs" && hasValue) o.slowfs = argv[++i];
        else if (a == "--python" && hasValue) o.python = argv[++i];
        else if (a == "--share-files" && hasValue) o.shareFiles = std::atoi(argv[++i]);
        else if (a == "--share-delay-ms" && hasValue) o.shareDelayMs = std::atof(argv[++i]);
        else if (a == "--share-rounds" && hasValue) o.shareRounds = std::atoi(argv[++i]);
        else return false;
    }
    return !o.console.empty() && !o.floor.empty() && o.files > 0 && o.rounds > 0 && o.traceFiles > 0 &&
           (o.showBefore < 0 || o.showBefore > 0) && o.shareFiles > 0 && o.shareDelayMs >= 0 && o.shareRounds > 0;
}

std::string fixed(double value, int decimals) {
    if (value < 0) return "n/a";
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

const char* verdict(bool measured, bool met) { return !measured ? "n/a" : met ? "yes" : "no"; }

// The middle figure; the mean of the two middle ones for an even count.
double median(std::vector<double> values) {
    if (values.empty()) return -1;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}


// ---- A network share ------------------------------------------------------------

enum ShareRow { ShareShow, ShareDryRun, ShareJournaled, ShareUndo, ShareRows };

struct ShareFigures {
    std::string note;  // why nothing was measured; empty when it was
    double seconds[ShareRows] = {-1, -1, -1, -1};
    int done[ShareRows] = {};  // files shown, renamed or moved back in the last round
    bool failed = false;
};

bool onOtherDevice(const std::string& mountPoint, const std::string& parent) {
    struct stat inner {}, outer {};
    return stat(mountPoint.c_str(), &inner) == 0 && stat(parent.c_str(), &outer) == 0 && inner.st_dev != outer.st_dev;
}

// Why FUSE cannot be used here, or "" when it can.
std::string whyNoFuse(const Options& o) {
    if (o.slowfs.empty()) return "no --slowfs given";
    if (access("/dev/fuse", R_OK | W_OK) != 0) return "no /dev/fuse";
    if (!onPath("fusermount3") && !onPath("fusermount")) return "no fusermount (package fuse3)";
    if (runProgram({o.python, "-c", "import fusepy"}, "/dev/null").status != 0) {
        return o.python + " has no fusepy (package python3-fusepy)";
    }
    return "";
}

// Mounts the delaying file system over root at mountPoint and gives its
// process, or 0 when it did not come up within 10 seconds.
pid_t mountSlowShare(const Options& o, const std::string& root, const std::string& mountPoint, const std::string& log) {
    char delay[32];
    std::snprintf(delay, sizeof delay, "%.6f", o.shareDelayMs / 1000);
    const char* args[] = {o.python.c_str(), o.slowfs.c_str(), root.c_str(), mountPoint.c_str(), delay, nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = 0;
    const bool started =
        posix_spawnp(&pid, args[0], &actions, nullptr, const_cast<char* const*>(args), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    if (!started) return 0;
    const std::string parent = mountPoint.substr(0, mountPoint.rfind('/'));
    for (int tries = 0; tries < 100 && !onOtherDevice(mountPoint, parent); ++tries) usleep(100 * 1000);
    if (onOtherDevice(mountPoint, parent)) return pid;
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    return 0;
}

void unmountSlowShare(pid_t pid, const std::string& mountPoint) {
    const char* tool = onPath("fusermount3") ? "fusermount3" : "fusermount";
    runProgram({tool, "-u", mountPoint}, "/dev/null");
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
}

// Times the console on the share: --show, --dry-run, a real run with its
// journal on local disk, and --undo of that run, in each round.
ShareFigures measureShare(const Options& o, const std::string& console, const std::string& work) {
    ShareFigures figures;
    figures.note = whyNoFuse(o);
    if (!figures.note.empty()) return figures;
    const std::string root = work + "/share-root", mountPoint = work + "/share", out = work + "/share-output.txt";
    FileSet local;
    if (mkdir(mountPoint.c_str(), 0755) != 0 || !makeSet(root, Mix::Realistic, o.shareFiles, local)) {
        figures.note = "cannot make the share's files in " + work;
        return figures;
    }
    const pid_t server = mountSlowShare(o, root, mountPoint, work + "/slowfs.log");
    if (server == 0) {
        figures.note = "the FUSE file system did not come up (see " + work + "/slowfs.log)";
        removeSet(local);
        rmdir(mountPoint.c_str());
        return figures;
    }
    std::fprintf(stderr, "batch_bench: %d files on a share of %.1f ms per operation\n", o.shareFiles, o.shareDelayMs);
    FileSet shared = local;
    for (std::string& path : shared.paths) path = mountPoint + path.substr(root.size());
    const std::vector<std::string> commands[ShareRows] = {
        withFiles({console, "--show"}, shared), withFiles({console, "--dry-run", "--no-journal"}, shared),
        withFiles({console}, shared), {console, "--undo"}};
    std::vector<double> seconds[ShareRows];
    for (int round = 0; round < o.shareRounds; ++round) {
        for (int row = 0; row < ShareRows; ++row) {
            const Run r = runProgram(commands[row], out);
            const std::string output = readWhole(out);
            figures.done[row] = row == ShareShow ? countOccurrences(output, "\n") : countOccurrences(output, " -> ");
            figures.failed = figures.failed || r.status != 0;
            seconds[row].push_back(r.seconds);
        }
        restoreNames(local);  // should the undo have left any
    }
    unmountSlowShare(server, mountPoint);
    for (int row = 0; row < ShareRows; ++row) figures.seconds[row] = median(seconds[row]);
    if (!o.keep) {
        removeSet(local);
        rmdir(mountPoint.c_str());
        for (const char* name : {"share-output.txt", "share-output.txt.err", "slowfs.log"}) {
            unlink((work + "/" + name).c_str());
        }
    }
    return figures;
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (!parseOptions(argc, argv, o)) {
        std::fprintf(stderr,
                     "usage: batch_bench --console PATH --floor PATH [--files N] [--rounds R]\n"
                     "                   [--trace-files M] [--show-before SECONDS] [--dir DIR] [--keep]\n"
                     "                   [--slowfs PATH [--python PATH] [--share-files N] [--share-delay-ms MS]\n"
                     "                    [--share-rounds R]]\n");
        return 2;
    }
    std::string work = o.dir;
    if (work.empty()) {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp != nullptr && tmp[0] != '\0' ? tmp : "/tmp") + "/brindlemark-bench.XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) {
            std::perror("batch_bench: mkdtemp");
            return 1;
        }
        work = pattern;
    } else if (mkdir(work.c_str(), 0755) != 0) {
        std::perror(("batch_bench: " + work).c_str());
        return 1;
    }
    // The console takes XDG_STATE_HOME only when it is an absolute path (it
    // falls back to the user's home otherwise), so the work folder must be one.
    if (char* absolute = realpath(work.c_str(), nullptr)) {
        work = absolute;
        std::free(absolute);
    }
    const std::string state = work + "/state", journals = state + "/brindlemark/journal";
    if (work[0] != '/' || setenv("XDG_STATE_HOME", state.c_str(), 1) != 0) {
        std::fprintf(stderr, "batch_bench: cannot keep the journals inside %s\n", work.c_str());
        return 1;
    }

    const bool haveStrace = onPath("strace"), haveTime = access("/usr/bin/time", X_OK) == 0;
    constexpr int walkSmallFiles = 1000, walkLargeFiles = SHOW_LARGE_FILES;
    std::fprintf(stderr, "batch_bench: making %d files in %s\n", o.files, work.c_str());
    FileSet batch, baseSmall, baseLarge, xidSmall, xidLarge, walkSmall, ownTenThousand;
    const int small = 100, large = 100 + o.traceFiles;
    // The walk's memory is measured over one folder of 1,000 and one of
    // 10,000 files, and --show timed over 10,000 files; the batch folder
    // serves as that one when it has 10,000.
    const bool tenThousandIsBatch = o.files == SHOW_LARGE_FILES;
    const FileSet& tenThousand = tenThousandIsBatch ? batch : ownTenThousand;
    if (!makeSet(work + "/batch", Mix::Realistic, o.files, batch) ||
        !makeSet(work + "/base-small", Mix::BaseOnly, small, baseSmall) ||
        !makeSet(work + "/base-large", Mix::BaseOnly, large, baseLarge) ||
        !makeSet(work + "/xid6-small", Mix::ExtendedOnly, small, xidSmall) ||
        !makeSet(work + "/xid6-large", Mix::ExtendedOnly, large, xidLarge) ||
        (haveTime && !makeSet(work + "/walk-1000", Mix::Realistic, walkSmallFiles, walkSmall)) ||
        (!tenThousandIsBatch && !makeSet(work + "/files-10000", Mix::Realistic, SHOW_LARGE_FILES, ownTenThousand))) {
        std::perror("batch_bench: making the files");
        return 1;
    }

    const std::vector<std::string> noJournal = {o.console, "--no-journal"}, journaled = {o.console},
                                   dryRun = {o.console, "--dry-run"}, floor = {o.floor},
                                   show = {o.console, "--show"}, readFloor = {o.floor, "--read-only"};
    auto walk = [&o](const FileSet& set) { return std::vector<std::string>{o.console, "-r", "--no-journal", set.folder}; };
    enum Row { NoJournal, Journaled, DryRun, Walk, Floor, Show, ReadFloor, ShowLarge, Rows };
    const char* names[Rows] = {"console front end --no-journal",
                               "console front end, journal on",
                               "console front end --dry-run",
                               "console -r --no-journal FOLDER",
                               "floor (open, read 256 B, close, rename)",
                               "console front end --show",
                               "floor for --show (open, read 256 B, close)",
                               "console --show, 10,000 files"};
    const std::vector<std::string> commands[Rows] = {
        withFiles(noJournal, batch), withFiles(journaled, batch), withFiles(dryRun, batch),
        walk(batch),                 withFiles(floor, batch),     withFiles(show, batch),
        withFiles(readFloor, batch), withFiles(show, tenThousand)};
    // The runs without and with journal, the pair whose ratio is a goal, swap
    // places every other round, so that neither always follows the same run.
    // --show over 10,000 files is the --show row itself when the batch has
    // 10,000 files.
    std::vector<Row> order = {DryRun, NoJournal, Journaled, Walk, Floor, Show, ReadFloor};
    if (!tenThousandIsBatch) order.push_back(ShowLarge);

    const std::string out = work + "/output.txt";
    std::vector<double> seconds[Rows];
    int done[Rows] = {};  // files renamed, shown or read in the last round
    int journalsWritten = 0;
    bool failed = false;
    for (int round = 0; round < o.rounds; ++round) {
        std::fprintf(stderr, "batch_bench: round %d of %d\n", round + 1, o.rounds);
        if (round > 0) std::swap(order[1], order[2]);
        for (const Row row : order) {
            const Run r = runProgram(commands[row], out);
            const std::string output = readWhole(out);
            if (row == Floor) std::sscanf(output.c_str(), "renamed %d", &done[row]);
            else if (row == ReadFloor) std::sscanf(output.c_str(), "read %d", &done[row]);
            else if (row == Show || row == ShowLarge) done[row] = countOccurrences(output, "\n");
            else done[row] = countOccurrences(output, " -> ");
            if (row != DryRun && row != Show && row != ReadFloor && row != ShowLarge) restoreNames(batch);
            if (row == Journaled) journalsWritten += takeJournals(journals);
            failed = failed || r.status != 0;
            seconds[row].push_back(r.seconds);
        }
    }
    if (tenThousandIsBatch) {
        seconds[ShowLarge] = seconds[Show];
        done[ShowLarge] = done[Show];
    }
    double mid[Rows];
    for (int row = 0; row < Rows; ++row) mid[row] = median(seconds[row]);

    PerFile consoleBase, consoleXid, journalBase, journalXid, floorBase, floorXid;
    if (haveStrace) {
        std::fprintf(stderr, "batch_bench: counting system calls and bytes read\n");
        consoleBase = perFileCost(noJournal, baseSmall, baseLarge, work, true);
        consoleXid = perFileCost(noJournal, xidSmall, xidLarge, work, true);
        journalBase = perFileCost(journaled, baseSmall, baseLarge, work, false);
        journalXid = perFileCost(journaled, xidSmall, xidLarge, work, false);
        takeJournals(journals);
        floorBase = perFileCost(floor, baseSmall, baseLarge, work, true);
        floorXid = perFileCost(floor, xidSmall, xidLarge, work, true);
    }
    enum Peak { PeakNoJournal, PeakDryRun, PeakFloor, PeakWalkSmall, PeakWalkLarge, Peaks };
    double peak[Peaks] = {-1, -1, -1, -1, -1};
    if (haveTime) {
        std::fprintf(stderr, "batch_bench: measuring peak memory\n");
        const std::pair<std::vector<std::string>, const FileSet*> programs[Peaks] = {
            {withFiles(noJournal, batch), &batch},      {withFiles(dryRun, batch), &batch},
            {withFiles(floor, batch), &batch},          {walk(walkSmall), &walkSmall},
            {walk(tenThousand), &tenThousand}};
        for (int p = 0; p < Peaks; ++p) {
            peak[p] = peakResidentKiB(programs[p].first, work);
            restoreNames(*programs[p].second);
        }
    }

    const ShareFigures share = measureShare(o, o.console, work);
    failed = failed || share.failed;

    // The goals: each figure and whether it is met.
    const double batchRatio = mid[NoJournal] / mid[Floor], journalRatio = mid[Journaled] / mid[NoJournal],
                 showRatio = mid[Show] / mid[ReadFloor];
    const bool beforeGiven = o.showBefore > 0;
    const double beforeRatio = beforeGiven ? mid[ShowLarge] / o.showBefore : -1;
    const auto moreCalls = [](const PerFile& with, const PerFile& without) {
        return with.callsPerRenamed >= 0 && without.callsPerRenamed >= 0 ? with.callsPerRenamed - without.callsPerRenamed
                                                                          : -1e300;
    };
    const double moreBase = moreCalls(journalBase, consoleBase), moreXid = moreCalls(journalXid, consoleXid);
    // The lines the console prints leave its buffer in one write for many
    // files, a hundredth of a call a file or so; up to this much is taken as
    // those writes, not as a call of the file's own.
    constexpr double SHARED_CALLS = 0.05;
    const auto callsVerdict = [](double calls, double goal) { return verdict(calls >= 0, calls <= goal + SHARED_CALLS); };
    const auto moreVerdict = [](double more) { return verdict(more > -1e299, more <= JOURNAL_CALLS_GOAL + SHARED_CALLS); };
    const bool walkMeasured = peak[PeakWalkSmall] >= 0 && peak[PeakWalkLarge] >= 0;
    const double walkPerFile = (peak[PeakWalkLarge] - peak[PeakWalkSmall]) / (walkLargeFiles - walkSmallFiles);
    const double walkAt100000 = peak[PeakWalkLarge] + walkPerFile * (100000 - walkLargeFiles);  // KiB
    const auto goalText = [](const char* what, double goal) {
        char text[32];
        std::snprintf(text, sizeof text, "%s%s<= %.1f", what, what[0] != '\0' ? " " : "", goal);
        return std::string(text);
    };

    std::printf("\nBrindlemark batch benchmark: %d SPC files (%d with extended tag), one drop, median of %d rounds\n",
                o.files, batch.extended, o.rounds);
    std::printf("(files in the page cache, sound images sparse; machine shared, figures noisy)\n\n");
    const char* const tableLine = "%-44s %9s %9s %8s %13s %10s %18s %4s\n";
    std::printf(tableLine, "run", "seconds", "files/s", "x floor", "done", "x no jrnl", "goal", "met");
    const auto printRow = [&](Row row, int files, double reference, const std::string& vsNoJournal, const std::string& goal,
                              const char* met) {
        char count[32];
        std::snprintf(count, sizeof count, "%7d/%-5d", done[row], files);
        std::printf(tableLine, names[row], fixed(mid[row], 3).c_str(), fixed(files / mid[row], 0).c_str(),
                    reference > 0 ? fixed(mid[row] / reference, 2).c_str() : "", count, vsNoJournal.c_str(),
                    goal.c_str(), met);
    };
    printRow(NoJournal, o.files, mid[Floor], "", goalText("x floor", BATCH_GOAL), verdict(true, batchRatio <= BATCH_GOAL));
    printRow(Journaled, o.files, mid[Floor], fixed(journalRatio, 2), goalText("x no jrnl", JOURNAL_GOAL),
             verdict(true, journalRatio <= JOURNAL_GOAL));
    printRow(DryRun, o.files, mid[Floor], "", "", "");
    printRow(Walk, o.files, mid[Floor], fixed(mid[Walk] / mid[NoJournal], 2), "", "");
    printRow(Floor, o.files, mid[Floor], "", "", "");
    printRow(Show, o.files, mid[ReadFloor], "", goalText("x floor", SHOW_GOAL), verdict(true, showRatio <= SHOW_GOAL));
    printRow(ReadFloor, o.files, mid[ReadFloor], "", "", "");
    printRow(ShowLarge, SHOW_LARGE_FILES, -1, "", goalText("x before", SHOW_BEFORE_GOAL),
             verdict(beforeGiven, beforeRatio <= SHOW_BEFORE_GOAL));
    std::printf("(-r walks the batch's one folder of %d files, the files the other rows name one by one;\n"
                " --show is set against its own floor, the row below it; done: files renamed, for --show lines\n"
                " printed, for its floor files read)\n",
                o.files);
    if (beforeGiven) {
        std::printf("(--show over 10,000 files before the change: %.3f s as given; now %.2f x that)\n", o.showBefore,
                    beforeRatio);
    } else {
        std::printf("(--show over 10,000 files: give the seconds before a change with --show-before SECONDS to judge it)\n");
    }

    std::printf("\n%-44s %11s %11s\n", "per file (strace, difference of 100 and", "no journal", "floor");
    std::printf("%-44s\n", (std::to_string(large) + " files of one kind)").c_str());
    std::printf("%-44s %11s %11s\n", "  system calls, SPC without extended tag", fixed(consoleBase.calls, 2).c_str(),
                fixed(floorBase.calls, 2).c_str());
    std::printf("%-44s %11s %11s\n", "  system calls, SPC with extended tag", fixed(consoleXid.calls, 2).c_str(),
                fixed(floorXid.calls, 2).c_str());
    std::printf("%-44s %11s %11s\n", "  bytes read, SPC without extended tag", fixed(consoleBase.bytes, 0).c_str(),
                fixed(floorBase.bytes, 0).c_str());
    std::printf("%-44s %11s %11s\n", "  bytes read, SPC with extended tag", fixed(consoleXid.bytes, 0).c_str(),
                fixed(floorXid.bytes, 0).c_str());

    const auto signedFixed = [](double value) {
        if (value < -1e299) return std::string("n/a");
        char text[32];
        std::snprintf(text, sizeof text, "%+.2f", value);
        return std::string(text);
    };
    const char* const callsLine = "%-44s %11s %6s %4s %11s %7s %6s %4s\n";
    std::printf("\n");
    std::printf(callsLine, "system calls per renamed file (same way)", "no journal", "goal", "met", "journal on", "more",
                "goal", "met");
    std::printf(callsLine, "  SPC without extended tag", fixed(consoleBase.callsPerRenamed, 2).c_str(), "<= 5",
                callsVerdict(consoleBase.callsPerRenamed, CALLS_BASE_GOAL), fixed(journalBase.callsPerRenamed, 2).c_str(),
                signedFixed(moreBase).c_str(), "<= +2", moreVerdict(moreBase));
    std::printf(callsLine, "  SPC with extended tag", fixed(consoleXid.callsPerRenamed, 2).c_str(), "<= 6",
                callsVerdict(consoleXid.callsPerRenamed, CALLS_EXTENDED_GOAL), fixed(journalXid.callsPerRenamed, 2).c_str(),
                signedFixed(moreXid).c_str(), "<= +2", moreVerdict(moreXid));
    std::printf("(the figures include the console's buffered output, a write for many files; up to %.2f a file\n"
                " above a goal is taken as those writes)\n",
                SHARED_CALLS);

    const bool peakMet = peak[PeakNoJournal] < 16 * 1024;
    std::printf("\n%-44s %11s %11s %9s %4s\n", "peak resident memory (/usr/bin/time -v)", "MiB", "", "goal", "met");
    const char* peakNames[Peaks] = {names[NoJournal], names[DryRun], names[Floor],
                                    "console -r --no-journal, 1,000 files", "console -r --no-journal, 10,000 files"};
    for (int p = 0; p < Peaks; ++p) {
        const bool goal = p == PeakNoJournal;
        std::printf("%-44s %11s %11s %9s %4s\n", (std::string("  ") + peakNames[p]).c_str(),
                    fixed(peak[p] / 1024, 1).c_str(), "", goal ? "< 16" : "",
                    goal ? verdict(peak[p] >= 0, peakMet) : "");
    }
    std::printf("%-44s %11s %11s %9s %4s\n", "  -r, per file from 1,000 to 10,000 (KiB)",
                walkMeasured ? fixed(std::max(0.0, walkPerFile), 3).c_str() : "n/a", "", "<= ~1",
                verdict(walkMeasured, walkAt100000 < WALK_MI_B_GOAL * 1024));

    // 1 KiB a file is what keeps 100,000 files under 100 MiB; the projection
    // from the two walks decides, so that the fixed start-up cost counts too.
    const char* const goalLine = "  %-60s %7s %7s %4s\n";
    std::printf("\n%-62s %7s %7s %4s\n", "goals", "figure", "goal", "met");
    std::printf(goalLine, "batch --no-journal, x floor", fixed(batchRatio, 2).c_str(), goalText("", BATCH_GOAL).c_str(),
                verdict(true, batchRatio <= BATCH_GOAL));
    std::printf(goalLine, "journal on, x the run without journal", fixed(journalRatio, 2).c_str(),
                goalText("", JOURNAL_GOAL).c_str(), verdict(true, journalRatio <= JOURNAL_GOAL));
    std::printf(goalLine, "--show, x its floor", fixed(showRatio, 2).c_str(), goalText("", SHOW_GOAL).c_str(),
                verdict(true, showRatio <= SHOW_GOAL));
    std::printf(goalLine, "--show over 10,000 files, x before the change", fixed(beforeRatio, 2).c_str(),
                goalText("", SHOW_BEFORE_GOAL).c_str(), verdict(beforeGiven, beforeRatio <= SHOW_BEFORE_GOAL));
    std::printf(goalLine, "system calls per renamed file, no extended tag, no journal",
                fixed(consoleBase.callsPerRenamed, 2).c_str(), "<= 5", callsVerdict(consoleBase.callsPerRenamed, CALLS_BASE_GOAL));
    std::printf(goalLine, "system calls per renamed file, extended tag, no journal",
                fixed(consoleXid.callsPerRenamed, 2).c_str(), "<= 6",
                callsVerdict(consoleXid.callsPerRenamed, CALLS_EXTENDED_GOAL));
    std::printf(goalLine, "journal's extra calls per renamed file, no extended tag", signedFixed(moreBase).c_str(), "<= +2",
                moreVerdict(moreBase));
    std::printf(goalLine, "journal's extra calls per renamed file, extended tag", signedFixed(moreXid).c_str(), "<= +2",
                moreVerdict(moreXid));
    std::printf(goalLine, "peak memory of the batch --no-journal (MiB)", fixed(peak[PeakNoJournal] / 1024, 1).c_str(),
                "< 16", verdict(peak[PeakNoJournal] >= 0, peakMet));
    std::printf(goalLine, "-r over 100,000 files, projected from the two walks (MiB)",
                walkMeasured ? fixed(walkAt100000 / 1024, 0).c_str() : "n/a", ("< " + fixed(WALK_MI_B_GOAL, 0)).c_str(),
                verdict(walkMeasured, walkAt100000 < WALK_MI_B_GOAL * 1024));
    const char* const shareNames[ShareRows] = {"--show", "--dry-run --no-journal", "real run, journal on local disk",
                                               "--undo of that run"};
    const double shareGoals[ShareRows] = {SHARE_SHOW_GOAL, SHARE_DRY_RUN_GOAL, SHARE_JOURNALED_GOAL, SHARE_UNDO_GOAL};
    for (int row = 0; row < ShareRows; ++row) {
        char what[96];
        std::snprintf(what, sizeof what, "network share, %d files, %s (s)", o.shareFiles, shareNames[row]);
        const bool measured = share.seconds[row] >= 0;
        std::printf(goalLine, what, fixed(share.seconds[row], 2).c_str(), goalText("", shareGoals[row]).c_str(),
                    verdict(measured, share.seconds[row] <= shareGoals[row]));
    }
    if (share.note.empty()) {
        std::printf("(network share: slowfs.py, %.1f ms in every operation, median of %d rounds; done: %d shown, %d and"
                    " %d renamed, %d moved back)\n",
                    o.shareDelayMs, o.shareRounds, share.done[ShareShow], share.done[ShareDryRun],
                    share.done[ShareJournaled], share.done[ShareUndo]);
    } else {
        std::printf("(network share skipped: %s)\n", share.note.c_str());
    }

    if (!consoleBase.byName.empty()) {
        std::printf("\nconsole front end, system calls per file by name (without / with extended tag;"
                    " no journal, journal on):\n");
        std::map<std::string, std::array<double, 4>> rows;
        const PerFile* columns[4] = {&consoleBase, &consoleXid, &journalBase, &journalXid};
        for (std::size_t c = 0; c < 4; ++c) {
            for (const auto& e : columns[c]->byName) rows[e.first][c] = e.second;
        }
        for (const auto& r : rows) {
            std::printf("  %-20s %6.2f %6.2f   %6.2f %6.2f\n", r.first.c_str(), r.second[0], r.second[1], r.second[2],
                        r.second[3]);
        }
    }
    if (done[NoJournal] != o.files || done[Journaled] != o.files || done[Walk] != o.files || done[Floor] != o.files ||
        done[Show] != o.files || done[ReadFloor] != o.files || done[ShowLarge] != SHOW_LARGE_FILES) {
        std::printf("\nwarning: not every file was renamed, shown or read in every run; see %s\n", out.c_str());
    }
    if (journalsWritten != o.rounds) {
        std::printf("\nwarning: the journaled runs left %d journals in %s, not one each\n", journalsWritten,
                    journals.c_str());
    }

    if (!o.keep) {
        for (const FileSet* set : {&batch, &baseSmall, &baseLarge, &xidSmall, &xidLarge, &walkSmall, &ownTenThousand}) {
            if (!set->folder.empty()) removeSet(*set);
        }
        for (const char* name : {"output.txt", "output.txt.err", "strace-c.txt", "strace-c.out", "strace-c.out.err",
                                 "strace-read.txt", "strace-read.out", "strace-read.out.err", "time-v.txt", "time-v.out",
                                 "time-v.out.err"}) {
            unlink((work + "/" + name).c_str());
        }
        takeJournals(journals);
        for (const std::string& folder : {journals, state + "/brindlemark", state, work}) rmdir(folder.c_str());
    }
    return failed ? 1 : 0;
}
