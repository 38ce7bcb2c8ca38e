// Writes the seed corpora of the fuzz targets:
//   make_seeds DIR   ->  DIR/tag_image/*  and  DIR/name_template/*
// The file images cover every kind identification knows, both base-tag
// layouts, the size thresholds, and extended tags with every chunk id and
// type and the malformed chunks the decoder must pass over.

#include <cstdio>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "fuzz/name_input.h"
#include "spcbuild/spc_builder.h"

using namespace spcbuild;

namespace {

int failures = 0;

void save(const std::string& dir, const std::string& name, const Bytes& bytes) {
    if (!writeFile(dir + "/" + name, bytes)) {
        std::fprintf(stderr, "make_seeds: cannot write %s/%s\n", dir.c_str(), name.c_str());
        ++failures;
    }
}

TextTag fullTextTag() {
    TextTag t;
    t.song = "Opening Theme";
    t.game = "Some Game";
    t.dumper = "dumper";
    t.comments = "comment";
    t.date = "12/25/1999";
    t.seconds = "180";
    t.fadeMs = "10000";
    t.artist = "Composer";
    t.emulator = '2';
    return t;
}

Chunk rawChunk(std::uint8_t id, std::uint8_t type, std::uint16_t field, std::size_t dataBytes, unsigned char fill) {
    return Chunk{id, type, field, Bytes(dataBytes, fill)};
}

// Twenty chunks: every recognised id, both amplification forms, and the
// chunks that are passed over.
std::vector<Chunk> richChunks() {
    return {
        textChunk(0x01, "Long Song Title"),  textChunk(0x02, "Long Game Title"),
        textChunk(0x03, "Artist"),           textChunk(0x04, "Dumper"),
        integerChunk(0x05, 0x07D00C1F),      valueChunk(0x06, 3),
        textChunk(0x07, "Comments"),         textChunk(0x10, "Soundtrack"),
        valueChunk(0x11, 2),                 valueChunk(0x12, 0x0C41),
        textChunk(0x13, "Publisher"),        valueChunk(0x14, 1995),
        integerChunk(0x30, 64000 * 90),      integerChunk(0x31, 64000 * 30),
        integerChunk(0x32, 0xFFFFFF00),      integerChunk(0x33, 64000 * 5),
        valueChunk(0x34, 0x81),              valueChunk(0x35, 2),
        valueChunk(0x36, 16),                integerChunk(0x36, 0x10000),
    };
}

void tagImageSeeds(const std::string& dir) {
    save(dir, "text.spc", spcWithTextTag(fullTextTag()));

    TextTag filled = fullTextTag();
    filled.song = std::string(32, 'S');
    filled.game = std::string(32, 'G');
    filled.dumper = std::string(16, 'D');
    filled.comments = std::string(32, 'C');
    filled.artist = std::string(32, 'A');
    filled.date = "01/02/2003/4";
    filled.seconds = "999";
    filled.fadeMs = "99999";
    save(dir, "text-filled.spc", spcWithTextTag(filled));

    TextTag wordDate = fullTextTag();
    wordDate.date = "Dec 25 1999";
    save(dir, "text-word-date.spc", spcWithTextTag(wordDate));

    BinaryTag bin;
    bin.song = "Binary Song";
    bin.game = "Binary Game";
    bin.artist = "Binary Artist";
    bin.day = 25;
    bin.month = 12;
    bin.year = 1999;
    bin.seconds = 180;
    bin.fadeMs = 10000;
    bin.emulator = 200;
    save(dir, "binary.spc", spcWithBinaryTag(bin));

    BinaryTag empty;
    empty.emulator = 1;  // with all numeric fields empty: binary by the emulator bytes
    save(dir, "binary-empty.spc", spcWithBinaryTag(empty));

    save(dir, "xid6-rich.spc", withExtendedTag(spcWithTextTag(fullTextTag()), chunkBlock(richChunks())));

    const Bytes malformed = withExtendedTag(spcWithBinaryTag(bin), chunkBlock({
                                     rawChunk(0x01, 1, 256, 256, 'x'),   // longest string, no NUL
                                     rawChunk(0x02, 1, 0, 0, 0),         // empty length: passed over
                                     rawChunk(0x03, 1, 257, 260, 'y'),   // too long: passed over
                                     rawChunk(0x30, 4, 8, 8, 0xFF),      // integer of the wrong length
                                     rawChunk(0x10, 2, 6, 6, 'z'),       // unknown type
                                     valueChunk(0x01, 7),                // string id as a value
                                     integerChunk(0x05, 0xFFFF0101),     // refused date
                                     integerChunk(0x32, 400000000),
                                     valueChunk(0x11, 0x0105),
                                     valueChunk(0x12, 0xFF00),
                                     valueChunk(0x35, 10),
                                     integerChunk(0x36, 0xFFFFFFFF),
                                 }));
    save(dir, "xid6-malformed.spc", malformed);

    Bytes overlong = withExtendedTag(spcWithTextTag(fullTextTag()),
                                     chunkBlock({textChunk(0x10, "Cut Short Soundtrack Title")}), 0x7FFFFFFF);
    overlong.resize(overlong.size() - 7);
    save(dir, "xid6-overlong.spc", overlong);

    save(dir, "xid6-size5.spc", withExtendedTag(spcWithTextTag(fullTextTag()), Bytes{0x12, 0x00, 0x01, 0x03, 0x11}, 5));
    save(dir, "xid6-minimal.spc", withExtendedTag(spcWithTextTag(fullTextTag()), chunkBlock({valueChunk(0x11, 1)})));

    Bytes shortSpc = spcWithTextTag(fullTextTag());
    shortSpc.resize(SPC_MIN_SIZE - 1);
    save(dir, "spc-too-short.spc", shortSpc);

    Bytes noLook = withExtendedTag(spcWithTextTag(fullTextTag()), Bytes{}, 4);
    noLook.resize(0x1020B);
    save(dir, "spc-xid6-no-room.spc", noLook);

    save(dir, "save-state.zst", saveState());
    save(dir, "rom-lorom.sfc", romImage(CopierHeader::None, "LOROM TITLE", 0x33, 0x20));
    save(dir, "rom-hirom.sfc", romImage(CopierHeader::None, "HIROM TITLE", 0x01, 0x21));
    save(dir, "rom-aabb.smc", romImage(CopierHeader::Aabb, "AABB TITLE", 0xFF, 0x30));
    save(dir, "rom-flag.smc", romImage(CopierHeader::Flag, "FLAG TITLE", 0x00, 0x31));
    save(dir, "rom-doctor.smc", romImage(CopierHeader::GameDoctor, "DOCTOR TITLE", 0x08, 0x20));
    save(dir, "rom-other.smc", romImage(CopierHeader::Other, "OTHER TITLE", 0x99, 0x21));
}

void nameTemplateSeeds(const std::string& dir) {
    using nameinput::Fields;
    const std::string longText(255, 'L');
    const std::string accented = "Caf\xE9 \x01?*:<>|\"\\/~\x7F";
    const std::vector<Fields> seeds = {
        {0, 12, 0, "%N - %S", "Title", "Game", "Artist", "OST", "/music/game/a.spc"},
        {2, 3, 'b', "%n - %s", "Title", "", "", "", "C:\\music\\a.spc"},
        {0, 0, 0, "%D-%N %T", "Song", "Game", "", "", "/music/game1-04.spc"},
        {0, 0, 0, "%N", "Song", "", "", "", "/snd-2/title.spc"},
        {0, 0, 0, "%S/%G:%A", accented, "G/a\\m:e", "A*r?t", "", "/x/y.spc"},
        {0, 0, 0, "50% %x %% %", "", "", "", "", "/a.spc"},
        {9, 99, 'z', "%S%G%A%T%S%G%A%T%S%G%A%T%S%G%A", longText, longText, longText, longText, "/" + std::string(250, 'p') + ".spc"},
        {0, 0, 0, "", "", "", "", "", ""},
        {0, 0, 0, "%S %A", "Only Song", "", "", "", "x-05.spc"},
    };
    int index = 0;
    for (const Fields& f : seeds) {
        const std::string bytes = nameinput::encode(f);
        save(dir, "seed" + std::to_string(index++), Bytes(bytes.begin(), bytes.end()));
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds DIR\n");
        return 2;
    }
    const std::string root = argv[1];
    const std::string images = root + "/tag_image", names = root + "/name_template";
    for (const std::string& dir : {root, images, names}) mkdir(dir.c_str(), 0777);
    tagImageSeeds(images);
    nameTemplateSeeds(names);
    return failures == 0 ? 0 : 1;
}
