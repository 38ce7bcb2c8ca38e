// The least a tag renamer can do per file: open it, read the 256-byte
// header, close it, and give it a new name taken from the header without
// replacing any file. With --read-only, the least a tag viewer can do: the
// same without the new name. The batch benchmark measures the console front
// end's renaming against the first loop and its --show against the second.
//
//   rename_floor FILE...               prints "renamed R of N" when done
//   rename_floor --read-only FILE...   prints "read R of N" when done

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

constexpr std::size_t HEADER_SIZE = 256;
constexpr std::size_t SONG_OFFSET = 0x2E, SONG_WIDTH = 32;

bool renameWithoutReplacing(const char* source, const char* target) {
    return syscall(SYS_renameat2, AT_FDCWD, source, AT_FDCWD, target, RENAME_NOREPLACE) == 0;
}

// folder of path + song title (unsafe bytes as '_') + " #index.spc"
void newName(const char* path, const unsigned char* header, int index, char* out, std::size_t size) {
    const char* slash = std::strrchr(path, '/');
    const std::size_t folder = slash == nullptr ? 0 : static_cast<std::size_t>(slash - path) + 1;
    char song[SONG_WIDTH + 1];
    std::size_t n = 0;
    for (; n < SONG_WIDTH && header[SONG_OFFSET + n] != 0; ++n) {
        const unsigned char c = header[SONG_OFFSET + n];
        song[n] = c < 0x20 || c > 0x7E || std::strchr("\\/:*?\"<>|", c) != nullptr ? '_' : static_cast<char>(c);
    }
    song[n] = '\0';
    std::snprintf(out, size, "%.*s%s #%d.spc", static_cast<int>(folder), path, song, index);
}

}  // namespace

int main(int argc, char** argv) {
    const bool readOnly = argc > 1 && std::strcmp(argv[1], "--read-only") == 0;
    const int first = readOnly ? 2 : 1;
    int done = 0;
    for (int i = argc - 1; i >= first; --i) {
        const int fd = open(argv[i], O_RDONLY | O_CLOEXEC);
        if (fd < 0) continue;
        unsigned char header[HEADER_SIZE] = {};
        const ssize_t got = read(fd, header, sizeof header);
        close(fd);
        if (got != static_cast<ssize_t>(sizeof header)) continue;
        if (readOnly) {
            ++done;
            continue;
        }
        char target[4096];
        newName(argv[i], header, i, target, sizeof target);
        if (renameWithoutReplacing(argv[i], target)) ++done;
    }
    std::printf("%s %d of %d\n", readOnly ? "read" : "renamed", done, argc - first);
    return 0;
}
