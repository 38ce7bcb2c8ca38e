#include "tests/spctag/tag_test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif

namespace {

// The text as a string, or a marker when the array holds no NUL.
std::string textOf(const char* field, std::size_t size) {
    const void* nul = std::memchr(field, '\0', size);
    if (nul == nullptr) return "<no NUL in " + std::to_string(size) + " bytes>";
    return std::string(field, static_cast<const char*>(nul));
}

}  // namespace

std::vector<NamedFile> allTestFiles() {
    std::vector<NamedFile> all;
    for (auto* group : {baseTagFiles, extendedTagFiles, identificationFiles, loaderFiles}) {
        std::vector<NamedFile> files = group();
        all.insert(all.end(), files.begin(), files.end());
    }
    return all;
}

void fillRecord(ID666Tag& tag, unsigned char pattern) {
    std::memset(static_cast<void*>(&tag), pattern, sizeof tag);
}

bool sameBytes(const ID666Tag& a, const ID666Tag& b) {
    return std::memcmp(static_cast<const void*>(&a), static_cast<const void*>(&b), sizeof a) == 0;
}

void expectSameRecord(const ID666Tag& a, const ID666Tag& b, bool withBinaryFormat) {
#define EXPECT_SAME_TEXT(field) \
    EXPECT_EQ(textOf(a.field, sizeof a.field), textOf(b.field, sizeof b.field)) << #field
#define EXPECT_SAME_NUMBER(field) EXPECT_EQ(a.field, b.field) << #field
    if (withBinaryFormat) {
        EXPECT_SAME_NUMBER(binaryFormat);
    }
    EXPECT_SAME_TEXT(song);
    EXPECT_SAME_TEXT(game);
    EXPECT_SAME_TEXT(artist);
    EXPECT_SAME_TEXT(dumper);
    EXPECT_SAME_TEXT(comments);
    EXPECT_SAME_TEXT(ostTitle);
    EXPECT_SAME_TEXT(publisher);
    EXPECT_SAME_TEXT(dateText);
    EXPECT_SAME_NUMBER(date.day);
    EXPECT_SAME_NUMBER(date.month);
    EXPECT_SAME_NUMBER(date.year);
    EXPECT_SAME_NUMBER(copyrightYear);
    EXPECT_SAME_NUMBER(ostTrack);
    EXPECT_SAME_NUMBER(ostDisc);
    EXPECT_SAME_NUMBER(mutedVoices);
    EXPECT_SAME_NUMBER(emulator);
    EXPECT_SAME_NUMBER(amplification);
    EXPECT_SAME_NUMBER(introLength);
    EXPECT_SAME_NUMBER(loopLength);
    EXPECT_SAME_NUMBER(loopCount);
    EXPECT_SAME_NUMBER(endLength);
    EXPECT_SAME_NUMBER(fadeLength);
#undef EXPECT_SAME_TEXT
#undef EXPECT_SAME_NUMBER
}

void expectRecordInvariants(const ID666Tag& tag) {
    for (const char* field : {tag.song, tag.game, tag.artist, tag.dumper, tag.comments,
                              tag.ostTitle, tag.publisher}) {
        EXPECT_NE(std::memchr(field, '\0', ID666Tag::kTextSize), nullptr);
    }
    ASSERT_NE(std::memchr(tag.dateText, '\0', sizeof tag.dateText), nullptr);
    EXPECT_TRUE(tag.dateText[0] == '\0' || tag.date.empty()) << "date and dateText both set";
    if (!tag.date.empty()) {
        const int ymd = tag.date.year * 10000 + tag.date.month * 100 + tag.date.day;
        EXPECT_GE(ymd, 19980415);
        EXPECT_LE(ymd, 99991231);
    }
    EXPECT_LE(tag.copyrightYear, 65535u);
    const unsigned track = tag.ostTrack >> 8;
    EXPECT_TRUE(tag.ostTrack == 0 || (track >= 1 && track <= 99)) << tag.ostTrack;
    EXPECT_LE(tag.ostDisc, 9u);
    EXPECT_TRUE(tag.amplification == 0 ||
                (tag.amplification >= 32768 && tag.amplification <= 524288))
        << tag.amplification;
    EXPECT_LE(tag.introLength, 383999999u);
    EXPECT_LE(tag.loopLength, 383999999u);
    EXPECT_GE(tag.loopCount, 1u);
    EXPECT_LE(tag.loopCount, 9u);
    EXPECT_LE(tag.endLength, 383999999);
    EXPECT_GE(static_cast<long long>(tag.endLength), -static_cast<long long>(tag.loopLength));
    EXPECT_LE(tag.fadeLength, 3839999u);
}

LoadedBothWays loadBothWays(const spcbuild::TempDir& dir, const NamedFile& file) {
    LoadedBothWays out;
    out.path = dir.write(file.name + ".spc", file.bytes());
    EXPECT_FALSE(out.path.empty()) << "could not write " << file.name;
    fillRecord(out.byPath, 0xAA);
    fillRecord(out.byImage, 0x55);
    out.pathKind = out.byPath.load(out.path.c_str(), 0);
    // An empty file has no image form; an image of size 0 would mean a path.
    out.imageKind = KIND_UNKNOWN;
    if (!file.bytes().empty()) {
        std::unique_ptr<unsigned char[]> image(new unsigned char[file.bytes().size()]);
        std::copy(file.bytes().begin(), file.bytes().end(), image.get());
        out.imageKind = out.byImage.load(image.get(), static_cast<std::uint32_t>(file.bytes().size()));
    }
    return out;
}

std::vector<SpecialPath> unopenablePaths(const spcbuild::TempDir& dir) {
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
