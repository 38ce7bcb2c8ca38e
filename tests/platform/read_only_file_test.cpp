// Opening a file for the tag reader: only regular files open, opening never
// blocks, reads at an offset give what the file holds there and no more, and
// nothing stays open once the file object goes.

#include "platform/read_only_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <future>
#include <string>
#include <system_error>
#include <vector>

#include "spcbuild/spc_builder.h"
#include "tests/support/temp_folder.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif

using brindlemark::platform::ReadOnlyFile;

namespace {

struct SpecialPath {
    std::string name, path;
};

// Paths that must not open: a missing file and a folder everywhere; on
// POSIX also a FIFO, a device and a socket.
std::vector<SpecialPath> unopenablePaths(const TempDir& dir) {
    std::vector<SpecialPath> paths{{"missing", dir.pathOf("missing.spc")}, {"folder", dir.pathOf("folder.spc")}};
    std::error_code ec;
    std::filesystem::create_directory(paths.back().path, ec);
#ifndef _WIN32
    paths.push_back({"fifo", dir.pathOf("fifo.spc")});
    EXPECT_EQ(mkfifo(paths.back().path.c_str(), 0600), 0);
    paths.push_back({"device", "/dev/null"});
    paths.push_back({"socket", dir.pathOf("socket.spc")});
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, paths.back().path.c_str(), sizeof address.sun_path - 1);
    const int sock = socket(AF_UNIX, SOCK_STREAM, 0);
    EXPECT_EQ(bind(sock, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    close(sock);
#endif
    return paths;
}

void releaseFifoReader(const std::string& path) {
#ifndef _WIN32
    const int writer = open(path.c_str(), O_WRONLY | O_NONBLOCK);
    if (writer >= 0) close(writer);
#else
    (void)path;
#endif
}

// Runs fn on a thread of its own and waits a few seconds for it. If it has
// not returned by then, the test fails, and a writer opened and closed on
// `path` releases a reader blocked on a FIFO there, so the test still ends.
template <class Fn>
auto withoutHanging(const std::string& path, Fn fn) -> decltype(fn()) {
    auto result = std::async(std::launch::async, fn);
    if (result.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
        ADD_FAILURE() << "blocked on " << path;
        releaseFifoReader(path);
    }
    return result.get();
}

// Number of file descriptors the process holds open, or -1 where that
// cannot be counted.
int openDescriptorCount() {
#ifdef __linux__
    std::error_code ec;
    int count = 0;
    for (std::filesystem::directory_iterator it("/proc/self/fd", ec), end; !ec && it != end;
         it.increment(ec)) {
        ++count;
    }
    return ec ? -1 : count;
#else
    return -1;
#endif
}

TEST(ReadOnlyFile, PathsThatAreNotRegularFilesAreNotOpened) {
    TempDir dir;
    for (const SpecialPath& p : unopenablePaths(dir)) {
        SCOPED_TRACE(p.name);
        const int descriptors = openDescriptorCount();
        EXPECT_FALSE(withoutHanging(p.path, [&] { return ReadOnlyFile::open(p.path.c_str()).isOpen(); }));
        EXPECT_EQ(openDescriptorCount(), descriptors);
    }
}

TEST(ReadOnlyFile, ReadsAtOffsetsUpToTheEndAndClosesWhenItGoes) {
    spcbuild::Bytes bytes(1000);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<unsigned char>(i * 7);
    TempDir dir;
    const std::string path = dir.write("song.spc", bytes);
    const int descriptors = openDescriptorCount();
    {
        const ReadOnlyFile file = ReadOnlyFile::open(path.c_str());
        ASSERT_TRUE(file.isOpen());
        EXPECT_EQ(file.size(), bytes.size());
        const struct {
            std::uint64_t offset;
            std::size_t count, given;
        } reads[] = {{0, 256, 256}, {900, 8, 8}, {990, 64, 10}, {1000, 8, 0}, {5000, 8, 0}, {0, 0, 0}};
        for (const auto& r : reads) {
            SCOPED_TRACE(r.offset);
            unsigned char out[256] = {};
            ASSERT_EQ(file.readAt(r.offset, out, r.count), r.given);
            const auto from = bytes.begin() + static_cast<std::ptrdiff_t>(r.offset < bytes.size() ? r.offset : 0);
            EXPECT_TRUE(std::equal(out, out + r.given, from));
        }
    }
    EXPECT_EQ(openDescriptorCount(), descriptors) << "the file was left open";
}

#ifndef _WIN32
TEST(ReadOnlyFile, UnreadableFileIsNotOpened) {
    TempDir dir;
    const std::string path = dir.write("locked.spc", spcbuild::Bytes(spcbuild::SPC_MIN_SIZE, 0));
    ASSERT_EQ(chmod(path.c_str(), 0), 0);
    // Root reads any file; a child that gives up root can test it.
    const auto openAsNobody = [&path] {
        if (geteuid() == 0 && setuid(65534) != 0) _exit(2);
        _exit(ReadOnlyFile::open(path.c_str()).isOpen() ? 1 : 0);
    };
    EXPECT_EXIT(openAsNobody(), testing::ExitedWithCode(0), "");
}
#endif

#ifdef __linux__
TEST(ReadOnlyFile, ReadThatFailsGivesNothing) {
    // A regular file that opens but fails every read and has no size.
    const ReadOnlyFile file = ReadOnlyFile::open("/proc/self/mem");
    ASSERT_TRUE(file.isOpen());
    EXPECT_EQ(file.size(), 0u);
    unsigned char out[256];
    EXPECT_EQ(file.readAt(0, out, sizeof out), 0u);
}
#endif

}  // namespace
