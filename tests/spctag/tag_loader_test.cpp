// The loader: which decoders run for which kind of file, what it resets, how
// it bounds the extended block, and that nothing of an earlier file survives.

#include <gtest/gtest.h>

#include <cstring>

#include "spctag/id666_tag.h"
#include "spctag/spc_layout.h"
#include "spctag/tag_settings.h"
#include "tests/spctag/tag_test_support.h"

using namespace brindlemark::spctag;

using spcbuild::Bytes;
using spcbuild::chunkBlock;
using spcbuild::CopierHeader;
using spcbuild::integerChunk;
using spcbuild::textChunk;
using spcbuild::valueChunk;
using spcbuild::withExtendedTag;

namespace {

Bytes textSpc() {
    return spcbuild::spcWithTextTag(
        spcbuild::TextTag{"Base song", "Base game", "Base dumper", "Base comments", "6/15/2010", "120", "5000",
                          "Base artist", '3'});
}

Bytes binarySpc() {
    return spcbuild::spcWithBinaryTag(
        spcbuild::BinaryTag{"Bin song", "Bin game", "Bin dumper", "", "Bin artist", 1, 2, 2003, 60, 1000, 200});
}

Bytes richXid6() {
    return withExtendedTag(textSpc(), chunkBlock({textChunk(0x01, "Xid song"), textChunk(0x10, "Xid OST"),
                                            textChunk(0x13, "Xid publisher"), valueChunk(0x11, 2),
                                            valueChunk(0x12, 0x0341), valueChunk(0x14, 1995), valueChunk(0x34, 0x0F),
                                            valueChunk(0x35, 3), valueChunk(0x36, 16), integerChunk(0x30, 640000),
                                            integerChunk(0x31, 320000), integerChunk(0x32, static_cast<std::uint32_t>(-1000)),
                                            integerChunk(0x33, 128000), integerChunk(0x05, 0x07D10203)}));
}

// [disc 3] then a chunk header cut by the stored size; the bytes behind it
// in the file would make it copyright year 0x1234 if they were read.
const Bytes CUT_HEADER_BLOCK = chunkBlock({valueChunk(0x11, 3)}) + Bytes{0x14, 0x00, 0x34, 0x12, 0x77};

// Four chunks passed over, then an amplification header that a stored
// size cuts at offsets 17 to 19 of the block: the bytes behind the cut
// would make it another level if they were read.
const Bytes CUT_AMPLIFICATION_BLOCK = chunkBlock({valueChunk(0x99, 1), valueChunk(0x99, 2), valueChunk(0x99, 3),
                                                 valueChunk(0x99, 4)}) + Bytes{0x36, 0x00, 0x10, 0x00};

struct BoundCase {
    NamedFile file;
    std::string ostTitle;
    std::uint8_t ostDisc;
    std::uint32_t copyrightYear;
    std::uint32_t amplification = 0;
};

std::vector<BoundCase> makeBoundCases();

// Built once per test process: every process builds the tables.
const std::vector<BoundCase>& boundCases() {
    static const std::vector<BoundCase> cases = makeBoundCases();
    return cases;
}

// Chunks passed over up to 8 bytes before the read bound, then an OST
// title whose text the bound cuts after "Titl", then disc 5 behind the
// bound, where it is never read.
Bytes straddlingBlock() {
    const std::vector<spcbuild::Chunk> filler((spclayout::XID6_READ_LIMIT - 8) / 4, valueChunk(0x99, 0));
    return chunkBlock(filler) + chunkBlock({textChunk(0x10, "Title"), valueChunk(0x11, 5)});
}

std::vector<BoundCase> makeBoundCases() {
    const Bytes title = chunkBlock({textChunk(0x10, "Title")});
    const Bytes discs = chunkBlock({valueChunk(0x11, 3), valueChunk(0x12, 0x0100), valueChunk(0x11, 5)});
    const Bytes straddling = straddlingBlock();
    constexpr std::int64_t bound = spclayout::XID6_READ_LIMIT;
    return {
        {{"bound_minus_1", withExtendedTag(textSpc(), straddling, bound - 1)}, "Tit", 0, 0},
        {{"bound", withExtendedTag(textSpc(), straddling, bound)}, "Titl", 0, 0},
        {{"bound_plus_1", withExtendedTag(textSpc(), straddling, bound + 1)}, "Titl", 0, 0},
        {{"bound_straddled", withExtendedTag(textSpc(), straddling)}, "Titl", 0, 0},
        {{"bound_straddled_stored_max", withExtendedTag(textSpc(), straddling, 0xFFFFFFFF)}, "Titl", 0, 0},
        {{"stored_max", withExtendedTag(textSpc(), title, 0xFFFFFFFF)}, "Title", 0, 0},
        {{"stored_sign_bit", withExtendedTag(textSpc(), title, 0x80000000)}, "Title", 0, 0},
        {{"stored_past_end", withExtendedTag(textSpc(), title, 100)}, "Title", 0, 0},
        {{"stored_cuts_text", withExtendedTag(textSpc(), title, 7)}, "Tit", 0, 0},
        {{"stored_before_more_chunks", withExtendedTag(textSpc(), discs, 8)}, "", 3, 0},
        {{"stored_5", withExtendedTag(textSpc(), CUT_HEADER_BLOCK, 5)}, "", 3, 0},
        {{"stored_6", withExtendedTag(textSpc(), CUT_HEADER_BLOCK, 6)}, "", 3, 0},
        {{"stored_7", withExtendedTag(textSpc(), CUT_HEADER_BLOCK, 7)}, "", 3, 0x34},
        {{"stored_8", withExtendedTag(textSpc(), CUT_HEADER_BLOCK, 8)}, "", 3, 0x1234},
        {{"stored_max_odd_file_end", withExtendedTag(textSpc(), CUT_HEADER_BLOCK, 0xFFFFFFFF)}, "", 3, 0x1234},
        {{"amp_cut_after_id", withExtendedTag(textSpc(), CUT_AMPLIFICATION_BLOCK, 17)}, "", 0, 0, 32768},
        {{"amp_cut_after_type", withExtendedTag(textSpc(), CUT_AMPLIFICATION_BLOCK, 18)}, "", 0, 0, 32768},
        {{"amp_cut_after_low_byte", withExtendedTag(textSpc(), CUT_AMPLIFICATION_BLOCK, 19)}, "", 0, 0, 65536},
        {{"amp_whole", withExtendedTag(textSpc(), CUT_AMPLIFICATION_BLOCK, 20)}, "", 0, 0, 65536},
    };
}

struct CartridgeCase {
    NamedFile file;
    FileKind kind;
    std::string game, publisher;  // both empty for kinds without a title
};

std::vector<CartridgeCase> makeCartridgeCases();

// Built once per test process: every process builds the tables.
const std::vector<CartridgeCase>& cartridgeCases() {
    static const std::vector<CartridgeCase> cases = makeCartridgeCases();
    return cases;
}

std::vector<CartridgeCase> makeCartridgeCases() {
    std::string high(21, '\0');
    for (std::size_t i = 0; i < 21; ++i) high[i] = static_cast<char>(0xEB + i);
    const std::string blanks(16, ' ');
    return {
        {{"rom", spcbuild::romImage(CopierHeader::None, "TITLE", 0x33)}, KIND_ROM, "TITLE" + blanks, "51"},
        {{"rom_hirom", spcbuild::romImage(CopierHeader::None, "HI", 0xFF, 0x21)}, KIND_ROM, "HI" + blanks + "   ", "255"},
        {{"rom_high_title", spcbuild::romImage(CopierHeader::None, high, 0)}, KIND_ROM, high, "0"},
        {{"rom_aabb", spcbuild::romImage(CopierHeader::Aabb, "AABB", 1)}, KIND_ROM_AABB_HEADER, "AABB" + blanks + " ", "1"},
        {{"rom_flag", spcbuild::romImage(CopierHeader::Flag, "FLAG", 2, 0x21)}, KIND_ROM_FLAG_HEADER,
         "FLAG" + blanks + " ", "2"},
        {{"rom_game_doctor", spcbuild::romImage(CopierHeader::GameDoctor, "GD", 99)}, KIND_ROM_GAME_DOCTOR,
         "GD" + blanks + "   ", "99"},
        {{"rom_other", spcbuild::romImage(CopierHeader::Other, "OTHER", 7)}, KIND_ROM_OTHER, "", ""},
        {{"save_state", spcbuild::saveState()}, KIND_SAVE_STATE, "", ""},
    };
}

// ---------------------------------------------------------------------------

enum class Form { Source, Image };

class LoaderTest : public testing::TestWithParam<Form> {
protected:
    FileKind load(ID666Tag& tag, const Bytes& bytes) {
        if (GetParam() == Form::Image) return tag.load(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
        path_ = "folder/file" + std::to_string(++count_) + ".spc";
        return tag.load(TestSource(bytes), path_.c_str());
    }

    void expectPathOfLastLoad(const ID666Tag& tag) const {
        if (GetParam() == Form::Source) {
            EXPECT_STREQ(tag.path, path_.c_str());
        } else {
            EXPECT_EQ(tag.path[0], static_cast<char>(0xAA)) << "the image form leaves the path alone";
        }
    }

    std::string path_;
    int count_ = 0;
};

// What loading textSpc() gives: the base tag, and the rest reset.
ID666Tag baseRecord() {
    ID666Tag tag;
    fillRecord(tag, 0);
    std::strcpy(tag.song, "Base song");
    std::strcpy(tag.game, "Base game");
    std::strcpy(tag.artist, "Base artist");
    std::strcpy(tag.dumper, "Base dumper");
    std::strcpy(tag.comments, "Base comments");
    EXPECT_TRUE(tag.date.normalize(2010, 6, 15));
    tag.emulator = 3;
    tag.introLength = 120 * 64000;
    tag.fadeLength = 5000 * 64;
    tag.loopCount = 1;
    return tag;
}

TEST_P(LoaderTest, SpcWithoutExtendedTagResetsWhatTheBaseTagLacks) {
    ID666Tag tag;
    fillRecord(tag, 0xAA);
    ASSERT_EQ(load(tag, textSpc()), KIND_SPC);
    expectPathOfLastLoad(tag);
    expectSameRecord(tag, baseRecord(), true);
}

TEST_P(LoaderTest, ExtendedTagOverridesTheBaseTag) {
    ID666Tag tag;
    fillRecord(tag, 0xAA);
    ASSERT_EQ(load(tag, richXid6()), KIND_SPC_XID6);
    expectPathOfLastLoad(tag);
    ID666Tag expected = baseRecord();
    std::strcpy(expected.song, "Xid song");
    std::strcpy(expected.ostTitle, "Xid OST");
    std::strcpy(expected.publisher, "Xid publisher");
    EXPECT_TRUE(expected.date.normalize(2001, 2, 3));
    expected.ostDisc = 2;
    expected.ostTrack = 0x0341;
    expected.copyrightYear = 1995;
    expected.mutedVoices = 0x0F;
    expected.loopCount = 3;
    expected.amplification = 65536;
    expected.introLength = 640000;
    expected.loopLength = 320000;
    expected.endLength = -1000;
    expected.fadeLength = 128000;
    expectSameRecord(tag, expected, true);
}

TEST_P(LoaderTest, ExtendedBlockIsBoundedByTheFileAndTheStoredSize) {
    for (const BoundCase& c : boundCases()) {
        SCOPED_TRACE(c.file.name);
        ID666Tag tag;
        fillRecord(tag, 0xAA);
        ASSERT_EQ(load(tag, c.file.bytes()), KIND_SPC_XID6);
        EXPECT_STREQ(tag.ostTitle, c.ostTitle.c_str());
        EXPECT_EQ(tag.ostDisc, c.ostDisc);
        EXPECT_EQ(tag.copyrightYear, c.copyrightYear);
        EXPECT_EQ(tag.amplification, c.amplification);
    }
}

TEST_P(LoaderTest, CartridgesAndSaveStatesGetDefaults) {
    for (const CartridgeCase& c : cartridgeCases()) {
        SCOPED_TRACE(c.file.name);
        ID666Tag tag;
        fillRecord(tag, 0xAA);
        ASSERT_EQ(load(tag, binarySpc()), KIND_SPC);  // leaves binaryFormat 1
        ASSERT_EQ(load(tag, c.file.bytes()), c.kind);
        expectPathOfLastLoad(tag);
        EXPECT_EQ(tag.binaryFormat, 1) << "kept from the file before";
        ID666Tag expected;
        fillRecord(expected, 0);
        std::strcpy(expected.game, c.game.c_str());
        std::strcpy(expected.publisher, c.publisher.c_str());
        expected.loopCount = 1;
        expected.introLength = defaultIntroLength;
        expected.fadeLength = defaultFadeLength;
        expectSameRecord(tag, expected, false);
    }
}

TEST_P(LoaderTest, NothingOfAnEarlierFileSurvives) {
    // Each load on a reused record must equal the same load on a record of junk.
    const std::vector<Bytes> files = {spcbuild::romImage(CopierHeader::None, "CART", 0x33), richXid6(), textSpc(),
                                      spcbuild::saveState(), binarySpc(),
                                      spcbuild::romImage(CopierHeader::GameDoctor, "GD", 1), richXid6()};
    ID666Tag reused;
    fillRecord(reused, 0x11);
    for (std::size_t i = 0; i < files.size(); ++i) {
        SCOPED_TRACE(i);
        ID666Tag fresh;
        fillRecord(fresh, 0x77);
        const FileKind kind = load(reused, files[i]);
        ASSERT_EQ(load(fresh, files[i]), kind);
        expectSameRecord(reused, fresh, isSpcKind(kind));
    }
}

TEST_P(LoaderTest, UnrecognisedFileLeavesTheRecordAlone) {
    const std::vector<Bytes> files = {Bytes(0x10200 - 1, 0), Bytes(1, 'S'), Bytes(0x20000, 0xFF)};
    for (const Bytes& bytes : files) {
        ID666Tag tag, before;
        fillRecord(tag, 0x3C);
        fillRecord(before, 0x3C);
        EXPECT_EQ(load(tag, bytes), KIND_UNKNOWN) << bytes.size();
        EXPECT_TRUE(sameBytes(tag, before)) << bytes.size();
    }
}

INSTANTIATE_TEST_SUITE_P(Loader, LoaderTest, testing::Values(Form::Source, Form::Image),
                         [](const testing::TestParamInfo<Form>& p) {
                             return p.param == Form::Source ? std::string("Source") : std::string("Image");
                         });

// ---------------------------------------------------------------------------

// What the loader asks of a file, read by read: the header alone for an SPC
// file without extended tag, the header and one read of marker and block
// for one with, never more of the block than the bound, and a candidate
// internal header at a time for a cartridge.
struct ReadsCase {
    NamedFile file;
    std::uint64_t measuredSize;  // what the file says its size is; 0: the image's
    FileKind kind;
    std::vector<TestSource::Read> reads;
    std::string ostTitle = "";  // as far as the block was read
};

std::vector<ReadsCase> makeReadsCases() {
    const Bytes rich = richXid6();
    const Bytes title = chunkBlock({textChunk(0x10, "Title")});
    const std::uint64_t twoGigabytes = spclayout::XID6_BLOCK + std::uint64_t{0x7FFFFFFF};
    const std::uint32_t imageEnd = spclayout::XID6_MARKER, wholeBlock = 8 + spclayout::XID6_READ_LIMIT;
    return {
        {{"spc", textSpc()}, 0, KIND_SPC, {{0, 256}}},
        {{"spc_too_short_to_look", withExtendedTag(textSpc(), Bytes(3, 0), 4)}, 0, KIND_SPC, {{0, 256}}},
        {{"spc_with_bytes_behind", textSpc() + Bytes(100, 'x')}, 0, KIND_SPC, {{0, 256}, {imageEnd, 100}}},
        {{"xid6", rich}, 0, KIND_SPC_XID6, {{0, 256}, {imageEnd, rich.size() - imageEnd}}, "Xid OST"},
        {{"xid6_stored_max", withExtendedTag(textSpc(), title, 0xFFFFFFFF)}, twoGigabytes, KIND_SPC_XID6,
         {{0, 256}, {imageEnd, wholeBlock}}, "Title"},
        {{"xid6_block_longer_than_bound", withExtendedTag(textSpc(), straddlingBlock())}, 0, KIND_SPC_XID6,
         {{0, 256}, {imageEnd, wholeBlock}}, "Titl"},
        {{"save_state", spcbuild::saveState()}, 0, KIND_SAVE_STATE, {{0, 256}}},
        {{"rom", spcbuild::romImage(CopierHeader::None, "T", 1)}, 0, KIND_ROM, {{0, 256}, {0x7FC0, 32}}},
        {{"rom_at_last_candidate", spcbuild::romImage(CopierHeader::Other, "T", 1, 0x21)}, 0, KIND_ROM_OTHER,
         {{0, 256}, {0x7FC0, 32}, {0xFFC0, 32}, {0x81C0, 32}, {0x101C0, 32}}},
        {{"too_short", Bytes(spclayout::MIN_ANY_FILE - 1, 0)}, 0, KIND_UNKNOWN, {}},
        {{"empty", {}}, 0, KIND_UNKNOWN, {}},
    };
}

TEST(Loader, ReadsOnlyWhatTheKindNeeds) {
    for (const ReadsCase& c : makeReadsCases()) {
        SCOPED_TRACE(c.file.name);
        TestSource source(c.file.bytes());
        if (c.measuredSize != 0) source.measuredSize = c.measuredSize;
        ID666Tag tag;
        fillRecord(tag, 0xAA);
        EXPECT_EQ(tag.load(source, "a.spc"), c.kind);
        EXPECT_EQ(source.reads, c.reads);
        if (isSpcKind(c.kind)) {
            EXPECT_STREQ(tag.ostTitle, c.ostTitle.c_str());
        }
    }
}

// A file whose reads fail or stop short (it shrank since it was measured)
// reads as the file with zeros where bytes did not come, never as what the
// buffers held before.
struct FaultCase {
    NamedFile file;
    std::uint64_t endsAt;  // where the file ends now; 0: where it did
    int failFrom;          // the first read that fails; -1: none
    std::size_t zeroFrom;  // the image that must read the same: zeros from here
    FileKind kind;
};

std::vector<FaultCase> makeFaultCases() {
    const Bytes rich = richXid6();
    const Bytes rom = spcbuild::romImage(CopierHeader::None, "CART", 0x33);
    const std::uint32_t imageEnd = spclayout::XID6_MARKER;
    return {
        {{"header_read_fails", rich}, 0, 0, 0, KIND_UNKNOWN},
        {{"extended_read_fails", rich}, 0, 1, imageEnd, KIND_SPC},
        {{"shrank_inside_header", rich}, 0x90, -1, 0x90, KIND_SPC},
        {{"shrank_before_marker", rich}, imageEnd, -1, imageEnd, KIND_SPC},
        {{"shrank_inside_size", rich}, imageEnd + 6, -1, imageEnd + 6, KIND_SPC_XID6},
        {{"shrank_inside_block", rich}, imageEnd + 30, -1, imageEnd + 30, KIND_SPC_XID6},
        {{"save_state_shrank_inside_signature", spcbuild::saveState()}, 10, -1, 10, KIND_UNKNOWN},
        {{"rom_candidate_read_fails", rom}, 0, 1, 256, KIND_UNKNOWN},
        {{"rom_shrank_inside_internal_header", rom}, 0x7FC0 + 0x1D, -1, 0x7FC0 + 0x1D, KIND_UNKNOWN},
    };
}

TEST(Loader, MissingBytesReadAsZeros) {
    for (const FaultCase& c : makeFaultCases()) {
        SCOPED_TRACE(c.file.name);
        TestSource source(c.file.bytes());
        if (c.endsAt != 0) source.endsAt = c.endsAt;
        source.failFrom = c.failFrom;
        const Bytes expected = zeroedFrom(c.file.bytes(), c.zeroFrom);
        ID666Tag bySource, byImage;
        fillRecord(bySource, 0x3C);
        fillRecord(byImage, 0x3C);
        EXPECT_EQ(bySource.load(source, nullptr), c.kind);
        EXPECT_EQ(byImage.load(expected.data(), static_cast<std::uint32_t>(expected.size())), c.kind);
        EXPECT_TRUE(sameBytes(bySource, byImage));
    }
}

TEST(Loader, PathIsRecordedCutToItsField) {
    const std::string longPath = "/" + std::string(300, 'p') + ".spc";
    ID666Tag tag;
    fillRecord(tag, 0xAA);
    ASSERT_EQ(tag.load(TestSource(textSpc()), longPath.c_str()), KIND_SPC);
    EXPECT_EQ(std::string(tag.path), longPath.substr(0, ID666Tag::kTextSize - 1));
}

}  // namespace

std::vector<NamedFile> loaderFiles() {
    std::vector<NamedFile> files{{"loader_text_spc", textSpc()},
                                 {"loader_binary_spc", binarySpc()},
                                 {"loader_rich_xid6", richXid6()}};
    for (const BoundCase& c : boundCases()) files.push_back({"loader_" + c.file.name, c.file.bytes()});
    for (const CartridgeCase& c : cartridgeCases()) files.push_back({"loader_" + c.file.name, c.file.bytes()});
    // Blocks that end in the middle of things, stored as larger than the file.
    const Bytes nasty = chunkBlock({textChunk(0x01, "Song"), spcbuild::Chunk{0x02, 1, 0xFFFF, Bytes(10, 'g')}});
    files.push_back({"loader_truncated_ffff_chunk", withExtendedTag(textSpc(), nasty, 0xFFFFFFFF)});
    files.push_back({"loader_block_of_9", withExtendedTag(textSpc(), Bytes(CUT_HEADER_BLOCK.begin(), CUT_HEADER_BLOCK.end()))});
    files.push_back({"loader_cut_string_into_junk",
                     withExtendedTag(binarySpc(), chunkBlock({textChunk(0x03, "A long artist name")}) + Bytes(40, 0xEE), 9)});
    return files;
}
