// The undo's speed goals, timed on the console as a user runs it:
//   --undo of a run of N moves (100,000 by default) within 2x the run itself;
//   a run beside 10,000 journals (kept, not undone) within 2x a run beside none.
// Every console run keeps its journals inside the benchmark's own folder
// (XDG_STATE_HOME set there).
//   undo_bench --console PATH [--files N] [--journals J] [--dir FOLDER]

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "spcbuild/spc_builder.h"

extern char** environ;

namespace {

constexpr double UNDO_GOAL = 2.0;    // undo of a run, x the run
constexpr double BESIDE_GOAL = 2.0;  // run beside many journals, x beside none

// Runs the console with args in folder, output thrown away; the seconds it
// took, or a negative number when it failed.
double timed(const std::string& folder, const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    int status = 0;
    const bool ran = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0 &&
                     waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    posix_spawn_file_actions_destroy(&actions);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    return ran ? took.count() : -1;
}

// count SPC files of distinct songs in folder, each its tag and then a hole
// up to the size of an SPC file (the sound image no renamer reads).
bool makeFiles(const std::string& folder, int count) {
    if (mkdir(folder.c_str(), 0755) != 0) return false;
    for (int i = 0; i < count; ++i) {
        spcbuild::TextTag tag;
        tag.song = "Song " + std::to_string(100000 + i);
        tag.game = "Undo Bench";
        const spcbuild::Bytes bytes = spcbuild::spcWithTextTag(tag);
        const std::string path = folder + "/f" + std::to_string(i) + ".spc";
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        const bool written = fd >= 0 && write(fd, bytes.data(), 0x100) == 0x100 &&
                             ftruncate(fd, static_cast<off_t>(bytes.size())) == 0;
        if (fd < 0 || close(fd) != 0 || !written) return false;
    }
    return true;
}

// count journals of recent runs, one move each and not undone, in folder.
bool makeJournals(const std::string& folder, int count) {
    const std::time_t now = std::time(nullptr);
    for (int i = 0; i < count; ++i) {
        const std::time_t start = now - 3600 - i;
        char name[96];
        std::strftime(name, sizeof name, "%Y%m%dT%H%M%S", std::gmtime(&start));
        const std::string path = folder + "/" + name + ".000000000Z-" + std::to_string(i) + ".journal";
        const std::string text = "brindlemark journal 2\nmove\t1\t2\t-\t3.000000000\t4\t/gone/a.spc\t/gone/b.spc\n";
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        // Last written when its run ended, as a real journal was.
        const timespec times[2] = {{start, 0}, {start, 0}};
        const bool written = fd >= 0 && write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size()) &&
                             futimens(fd, times) == 0;
        if (fd < 0 || close(fd) != 0 || !written) return false;
    }
    return true;
}

void row(const char* what, double seconds, double base, double goal) {
    std::printf("%-44s %9.3f s  %5.2fx  goal <= %.1fx  %s\n", what, seconds, seconds / base, goal,
                seconds >= 0 && seconds <= goal * base ? "met" : "MISSED");
}

}  // namespace

int main(int argc, char** argv) {
    std::string console, dir;
    int files = 100000, journals = 10000, besideFiles = 1000;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--console") console = argv[i + 1];
        else if (option == "--files") files = std::atoi(argv[i + 1]);
        else if (option == "--journals") journals = std::atoi(argv[i + 1]);
        else if (option == "--dir") dir = argv[i + 1];
    }
    if (console.empty() || files < 1 || journals < 1) {
        std::fprintf(stderr, "usage: undo_bench --console PATH [--files N] [--journals J] [--dir FOLDER]\n");
        return 2;
    }
    char pattern[] = "/tmp/brindlemark-undo-bench.XXXXXX";
    if (dir.empty()) dir = mkdtemp(pattern) != nullptr ? pattern : "";
    char* absolute = realpath(console.c_str(), nullptr);
    if (dir.empty() || absolute == nullptr) {
        std::perror("undo_bench");
        return 1;
    }
    console = absolute;
    std::free(absolute);
    const std::string state = dir + "/state", journalFolder = state + "/brindlemark/journal";
    setenv("XDG_STATE_HOME", state.c_str(), 1);
    std::fprintf(stderr, "undo_bench: making %d files in %s\n", files, dir.c_str());
    if (!makeFiles(dir + "/run", files) || !makeFiles(dir + "/beside", besideFiles)) {
        std::perror("undo_bench: making the files");
        return 1;
    }
    const std::vector<std::string> runArgs{console, "-r", "-f", "%S", "run"};
    const double run = timed(dir, runArgs);
    const double undo = timed(dir, {console, "--undo"});
    std::printf("undo_bench: %d moves; a run of %d files beside %d journals\n", files, besideFiles, journals);
    row("console -r (journal on), the run", run, run, UNDO_GOAL);
    row("console --undo of that run", undo, run, UNDO_GOAL);

    const std::vector<std::string> besideArgs{console, "-r", "-f", "%S", "beside"};
    const double alone = timed(dir, besideArgs);
    timed(dir, {console, "--undo"});
    if (!makeJournals(journalFolder, journals)) {
        std::perror("undo_bench: making the journals");
        return 1;
    }
    const double beside = timed(dir, besideArgs);
    row("console -r beside no journal", alone, alone, BESIDE_GOAL);
    row("console -r beside the journals", beside, alone, BESIDE_GOAL);
    std::system(("rm -rf '" + dir + "'").c_str());
    return run > 0 && undo > 0 && undo <= UNDO_GOAL * run && beside > 0 && beside <= BESIDE_GOAL * alone ? 0 : 1;
}
