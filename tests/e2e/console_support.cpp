#include "tests/e2e/console_support.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace e2e {

namespace fs = std::filesystem;

namespace {

// Every brindlemark a test starts keeps its journals in one temporary
// folder of the test program, never in the user's own state folder.
class StateFolder : public ::testing::Environment {
public:
    void SetUp() override {
        char folderTemplate[] = "/tmp/bm_state_XXXXXX";
        if (mkdtemp(folderTemplate) == nullptr) std::abort();
        folder_ = folderTemplate;
        setenv("XDG_STATE_HOME", folder_.c_str(), 1);
        // No config file of the user's reaches a test: one there is none.
        setenv("XDG_CONFIG_HOME", (folder_ + "/config").c_str(), 1);
        const std::string nobody = folder_ + "/nobody";
        if (mkdir(nobody.c_str(), 0700) != 0 || (geteuid() == 0 && chown(nobody.c_str(), 65534, 65534) != 0)) {
            std::abort();
        }
        chmod(folder_.c_str(), 0711);
    }
    void TearDown() override { fs::remove_all(folder_); }

private:
    std::string folder_;
};

const auto* const stateFolder = ::testing::AddGlobalTestEnvironment(new StateFolder);

}  // namespace

Outcome run(const std::string& folder, const std::vector<std::string>& args, bool asNobody) {
    RunSetup setup;
    setup.asNobody = asNobody;
    return run(folder, args, setup);
}

Outcome run(const std::string& folder, const std::vector<std::string>& args, const RunSetup& setup) {
    const bool asNobody = setup.asNobody;
    int outPipe[2], errPipe[2];
    Outcome result;
    if (pipe(outPipe) != 0 || pipe(errPipe) != 0) {
        ADD_FAILURE() << "pipe";
        return result;
    }
    constexpr int STOP_PIPE_SIZE = 4096;
    if (setup.stopOnOutput && fcntl(outPipe[1], F_SETPIPE_SZ, STOP_PIPE_SIZE) != STOP_PIPE_SIZE) {
        ADD_FAILURE() << "cannot make the output pipe one page";
    }
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(outPipe[1], 1);
        dup2(errPipe[1], 2);
        close(outPipe[0]);
        close(errPipe[0]);
        if (chdir(folder.c_str()) != 0) _exit(126);
        for (const auto& variable : setup.environment) setenv(variable.first.c_str(), variable.second.c_str(), 1);
        if (setup.inChild) setup.inChild();
        if (asNobody && geteuid() == 0) {
            const std::string state = std::string(std::getenv("XDG_STATE_HOME")) + "/nobody";
            setenv("XDG_STATE_HOME", state.c_str(), 1);
            if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0) _exit(126);
        }
        std::vector<char*> argv{const_cast<char*>(BRINDLEMARK_EXE)};
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(BRINDLEMARK_EXE, argv.data());
        _exit(127);
    }
    close(outPipe[1]);
    close(errPipe[1]);
    const auto started = std::chrono::steady_clock::now();
    const auto deadline = started + std::chrono::seconds(20);
    bool stopSent = setup.stopAfterMs < 0 && !setup.stopOnOutput;
    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    std::string* sinks[2] = {&result.out, &result.err};
    int openPipes = 2;
    while (openPipes > 0) {
        const auto now = std::chrono::steady_clock::now();
        if (!stopSent && setup.stopAfterMs >= 0 && now >= started + std::chrono::milliseconds(setup.stopAfterMs)) {
            kill(pid, setup.stopSignal);
            stopSent = true;
        }
        if (!stopSent && setup.stopOnOutput) {
            // Standard output is left unread until the pipe is full.
            int waiting = 0;
            if (ioctl(outPipe[0], FIONREAD, &waiting) == 0 && waiting >= STOP_PIPE_SIZE) {
                kill(pid, setup.stopSignal);
                stopSent = true;
            }
        }
        fds[0].events = !stopSent && setup.stopOnOutput ? 0 : POLLIN;
        auto wake = deadline;
        if (!stopSent && setup.stopAfterMs >= 0) wake = std::min(wake, started + std::chrono::milliseconds(setup.stopAfterMs));
        // While the pipe fills, look again soon.
        if (!stopSent && setup.stopOnOutput) wake = std::min(wake, now + std::chrono::milliseconds(5));
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(wake - now);
        const int ready = left.count() > 0 ? poll(fds, 2, static_cast<int>(left.count())) : 0;
        if (ready == 0 && !stopSent && (setup.stopAfterMs >= 0 || setup.stopOnOutput)) continue;
        if (ready <= 0) {
            kill(pid, SIGKILL);
            ADD_FAILURE() << "brindlemark did not end";
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            char buffer[4096];
            const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                sinks[i]->append(buffer, static_cast<std::size_t>(n));
            } else {
                close(fds[i].fd);
                fds[i].fd = -1;
                --openPipes;
            }
        }
    }
    for (const pollfd& p : fds) {
        if (p.fd >= 0) close(p.fd);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    result.peakMemoryKiB = usage.ru_maxrss;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    return result;
}

Bytes spc(const std::string& song, std::uint16_t track, const std::string& game) {
    spcbuild::TextTag tag;
    tag.song = song;
    tag.game = game;
    Bytes bytes = spcbuild::spcWithTextTag(tag);
    std::vector<spcbuild::Chunk> chunks;
    if (song.size() > 32) chunks.push_back(spcbuild::textChunk(0x01, song));
    if (track != 0) chunks.push_back(spcbuild::valueChunk(0x12, static_cast<std::uint16_t>(track << 8)));
    if (!chunks.empty()) spcbuild::appendExtendedTag(bytes, spcbuild::chunkBlock(chunks));
    return bytes;
}

void Folder::put(const std::string& name, const Bytes& bytes) {
    ASSERT_TRUE(spcbuild::writeFile(dir + "/" + name, bytes));
}

Bytes Folder::read(const std::string& name) {
    std::ifstream in(dir + "/" + name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

std::set<std::string> Folder::names(const std::string& sub) {
    std::set<std::string> out;
    for (const auto& entry : fs::directory_iterator(sub.empty() ? dir : dir + "/" + sub)) {
        out.insert(entry.path().filename().string());
    }
    return out;
}

std::vector<std::pair<std::string, Bytes>> Folder::snapshot(const std::string& sub) {
    std::vector<std::pair<std::string, Bytes>> out;
    for (const std::string& name : names(sub)) out.emplace_back(name, read(sub.empty() ? name : sub + "/" + name));
    return out;
}

}  // namespace e2e
