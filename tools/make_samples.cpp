// Writes a handful of SPC files into a folder, for trying brindlemark out:
// text and binary base tags, with and without extended tags, and one whose
// track number is only in its file name.
//
//   make_samples FOLDER

#include <sys/stat.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "spcbuild/spc_builder.h"

namespace {

using spcbuild::Bytes;

struct Sample {
    const char* name;
    Bytes bytes;
};

// The base tags of the songs of one made-up game.
spcbuild::TextTag lanternText(const char* song, const char* seconds, const char* fadeMs) {
    spcbuild::TextTag tag;
    tag.song = song;
    tag.game = "Lantern Knight";
    tag.artist = "Ines Varga";
    tag.dumper = "kestrel";
    tag.date = "06/14/2001";
    tag.seconds = seconds;
    tag.fadeMs = fadeMs;
    tag.emulator = '1';
    return tag;
}

spcbuild::BinaryTag lanternBinary(const char* song, std::uint16_t seconds, std::uint32_t fadeMs) {
    spcbuild::BinaryTag tag;
    tag.song = song;
    tag.game = "Lantern Knight";
    tag.artist = "Ines Varga";
    tag.dumper = "kestrel";
    tag.day = 2;
    tag.month = 7;
    tag.year = 2001;
    tag.seconds = seconds;
    tag.fadeMs = fadeMs;
    tag.emulator = 2;
    return tag;
}

std::vector<Sample> samples() {
    using spcbuild::chunkBlock;
    using spcbuild::textChunk;
    using spcbuild::valueChunk;
    using spcbuild::withExtendedTag;
    std::vector<Sample> out;

    // Text tag only; the track number is in the file name.
    out.push_back({"castle-07.spc", spcbuild::spcWithTextTag(lanternText("Castle Gate", "148", "10000"))});

    // Text tag and an extended tag with a title longer than the base tag holds.
    out.push_back({"forest.spc",
                   withExtendedTag(spcbuild::spcWithTextTag(lanternText("Whispering Forest", "192", "8000")),
                                   chunkBlock({textChunk(0x01, "Whispering Forest (Night Version)"),
                                               textChunk(0x10, "Lantern Knight Original Soundtrack"),
                                               valueChunk(0x11, 1), valueChunk(0x12, 3 << 8),
                                               valueChunk(0x14, 2001)}))});

    // Binary tag and an extended tag: track 12b, a loop, and a title with
    // characters a file name cannot hold.
    out.push_back({"boss.spc",
                   withExtendedTag(spcbuild::spcWithBinaryTag(lanternBinary("Boss: Who Goes There?", 150, 10000)),
                                   chunkBlock({valueChunk(0x12, (12 << 8) | 'b'),
                                               spcbuild::integerChunk(0x31, 64000 * 40), valueChunk(0x35, 2)}))});

    // Binary tag only, and no track number anywhere.
    out.push_back({"ending.spc", spcbuild::spcWithBinaryTag(lanternBinary("Staff Roll", 215, 12000))});

    // Text tag of another game, and an extended tag with disc and track.
    spcbuild::TextTag harbor;
    harbor.song = "Harbor Town";
    harbor.game = "Tidewater Saga";
    harbor.artist = "Oskar Lind";
    harbor.date = "11/03/1999";
    harbor.seconds = "121";
    harbor.fadeMs = "6000";
    out.push_back({"tidewater 14.spc",
                   withExtendedTag(spcbuild::spcWithTextTag(harbor),
                                   chunkBlock({textChunk(0x03, "Oskar Lind & Wren Abara"), valueChunk(0x11, 2),
                                               valueChunk(0x12, 14 << 8)}))});
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 || argv[1][0] == '\0' || argv[1][0] == '-') {
        std::fprintf(stderr, "Usage: make_samples FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    if (mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST) {
        std::fprintf(stderr, "make_samples: cannot make %s: %s\n", folder.c_str(), std::strerror(errno));
        return 1;
    }
    int written = 0;
    for (const Sample& sample : samples()) {
        const std::string path = folder + "/" + sample.name;
        struct stat st;
        if (lstat(path.c_str(), &st) == 0) {
            std::fprintf(stderr, "make_samples: %s exists, left as it is\n", path.c_str());
            continue;
        }
        if (!spcbuild::writeFile(path, sample.bytes)) {
            std::fprintf(stderr, "make_samples: cannot write %s\n", path.c_str());
            return 1;
        }
        ++written;
    }
    std::printf("%d SPC files written to %s\n", written, folder.c_str());
    return 0;
}
