// The extended tag's chunk walk: what each chunk stores, how values are
// clamped, how the walk steps over chunks it does not take, and what it does
// at the end of the block. Every block is decoded from a heap buffer of
// exactly its size, so a read past the block is a fault the sanitizers see.

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <memory>

#include "spctag/id666_tag.h"
#include "tests/spctag/tag_test_support.h"

using namespace brindlemark::spctag;

using spcbuild::Bytes;
using spcbuild::Chunk;
using spcbuild::chunkBlock;
using spcbuild::integerChunk;
using spcbuild::textChunk;
using spcbuild::valueChunk;

namespace {

bool decodeBlock(ID666Tag& tag, const Bytes& block) {
    std::unique_ptr<unsigned char[]> exact(new unsigned char[block.size()]);
    std::copy(block.begin(), block.end(), exact.get());
    return tag.decodeExtended(exact.get(), static_cast<std::int32_t>(block.size()));
}

// A record as the loader hands it over after the base tag, with the bytes
// behind every text's NUL holding older text that must never show through.
ID666Tag primed() {
    ID666Tag tag;
    fillRecord(tag, 'O');
    std::strcpy(tag.path, "a.spc");
    std::strcpy(tag.song, "base song");
    std::strcpy(tag.game, "base game");
    std::strcpy(tag.artist, "base artist");
    std::strcpy(tag.dumper, "base dumper");
    std::strcpy(tag.comments, "base comments");
    tag.ostTitle[0] = tag.publisher[0] = tag.dateText[0] = '\0';
    tag.binaryFormat = 0;
    EXPECT_TRUE(tag.date.normalize(2010, 6, 15));
    tag.copyrightYear = 1999;
    tag.ostTrack = 0;
    tag.ostDisc = 0;
    tag.mutedVoices = 0;
    tag.emulator = 2;
    tag.amplification = 0;
    tag.introLength = 1000;
    tag.loopLength = 0;
    tag.loopCount = 5;
    tag.endLength = 0;
    tag.fadeLength = 500;
    return tag;
}

Bytes raw(std::initializer_list<int> bytes) {
    Bytes out;
    for (int b : bytes) out.push_back(static_cast<unsigned char>(b));
    return out;
}

Bytes cut(Bytes block, std::size_t size) {
    block.resize(size);
    return block;
}

Chunk chunk(std::uint8_t id, std::uint8_t type, std::uint16_t field, const Bytes& data) {
    return Chunk{id, type, field, data};
}

const Bytes DISC3 = chunkBlock({valueChunk(0x11, 3)});

// ---------------------------------------------------------------------------

using Field = std::int64_t (*)(const ID666Tag&);
#define FIELD(f) [](const ID666Tag& t) -> std::int64_t { return t.f; }

struct NumberCase {
    std::string name;
    Bytes block;
    Field field;
    std::int64_t expected;
    bool endsAtEnd;  // what the walk returns
};

void PrintTo(const NumberCase& c, std::ostream* os) { *os << c.name; }

std::vector<NumberCase> numberCases() {
    // Data that reads as chunks setting the loop count, should a walk step into it.
    const Bytes padding = chunkBlock({valueChunk(0x35, 7), valueChunk(0x35, 7)});
    return {
        // Values held in the header.
        {"emulator_low_byte", chunkBlock({valueChunk(0x06, 0x1234)}), FIELD(emulator), 0x34, true},
        {"disc_low_byte", chunkBlock({valueChunk(0x11, 0x0105)}), FIELD(ostDisc), 5, true},
        {"disc_above_9", chunkBlock({valueChunk(0x11, 10)}), FIELD(ostDisc), 9, true},
        {"disc_0", chunkBlock({valueChunk(0x11, 0)}), FIELD(ostDisc), 0, true},
        {"disc_9", chunkBlock({valueChunk(0x11, 9)}), FIELD(ostDisc), 9, true},
        {"track_with_letter", chunkBlock({valueChunk(0x12, 0x0341)}), FIELD(ostTrack), 0x0341, true},
        {"track_99", chunkBlock({valueChunk(0x12, 0x6300)}), FIELD(ostTrack), 0x6300, true},
        {"track_1", chunkBlock({valueChunk(0x12, 0x0100)}), FIELD(ostTrack), 0x0100, true},
        {"track_0_with_letter", chunkBlock({valueChunk(0x12, 0x00FF)}), FIELD(ostTrack), 0, true},
        {"track_100", chunkBlock({valueChunk(0x12, 0x6400)}), FIELD(ostTrack), 0, true},
        {"track_255", chunkBlock({valueChunk(0x12, 0xFF00)}), FIELD(ostTrack), 0, true},
        {"copyright_year", chunkBlock({valueChunk(0x14, 0xFFFF)}), FIELD(copyrightYear), 65535, true},
        {"muted_voices", chunkBlock({valueChunk(0x34, 0x01FF)}), FIELD(mutedVoices), 0xFF, true},
        {"loop_count_0", chunkBlock({valueChunk(0x35, 0)}), FIELD(loopCount), 1, true},
        {"loop_count_10", chunkBlock({valueChunk(0x35, 10)}), FIELD(loopCount), 9, true},
        {"loop_count_max", chunkBlock({valueChunk(0x35, 0xFFFF)}), FIELD(loopCount), 9, true},
        {"loop_count_3", chunkBlock({valueChunk(0x35, 3)}), FIELD(loopCount), 3, true},
        {"amp_steps_0", chunkBlock({valueChunk(0x36, 0)}), FIELD(amplification), 32768, true},
        {"amp_steps_8", chunkBlock({valueChunk(0x36, 8)}), FIELD(amplification), 32768, true},
        {"amp_steps_9", chunkBlock({valueChunk(0x36, 9)}), FIELD(amplification), 36864, true},
        {"amp_steps_16", chunkBlock({valueChunk(0x36, 16)}), FIELD(amplification), 65536, true},
        {"amp_steps_127", chunkBlock({valueChunk(0x36, 127)}), FIELD(amplification), 520192, true},
        {"amp_steps_128", chunkBlock({valueChunk(0x36, 128)}), FIELD(amplification), 524288, true},
        {"amp_steps_max", chunkBlock({valueChunk(0x36, 0xFFFF)}), FIELD(amplification), 524288, true},
        // 32-bit values.
        {"intro_max", chunkBlock({integerChunk(0x30, 0xFFFFFFFF)}), FIELD(introLength), 383999999, true},
        {"intro_at_bound", chunkBlock({integerChunk(0x30, 383999999)}), FIELD(introLength), 383999999, true},
        {"intro_over_bound", chunkBlock({integerChunk(0x30, 384000000)}), FIELD(introLength), 383999999, true},
        {"intro_0", chunkBlock({integerChunk(0x30, 0)}), FIELD(introLength), 0, true},
        {"loop_max", chunkBlock({integerChunk(0x31, 0xFFFFFFFF)}), FIELD(loopLength), 383999999, true},
        {"end_over_bound", chunkBlock({integerChunk(0x32, 400000000)}), FIELD(endLength), 383999999, true},
        {"end_int_max", chunkBlock({integerChunk(0x32, 0x7FFFFFFF)}), FIELD(endLength), 383999999, true},
        {"fade_over_bound", chunkBlock({integerChunk(0x33, 3840000)}), FIELD(fadeLength), 3839999, true},
        {"fade_at_bound", chunkBlock({integerChunk(0x33, 3839999)}), FIELD(fadeLength), 3839999, true},
        {"fade_max", chunkBlock({integerChunk(0x33, 0xFFFFFFFF)}), FIELD(fadeLength), 3839999, true},
        {"amp_whole_0", chunkBlock({integerChunk(0x36, 0)}), FIELD(amplification), 32768, true},
        {"amp_whole_below", chunkBlock({integerChunk(0x36, 32767)}), FIELD(amplification), 32768, true},
        {"amp_whole_inside", chunkBlock({integerChunk(0x36, 100000)}), FIELD(amplification), 100000, true},
        {"amp_whole_max", chunkBlock({integerChunk(0x36, 0xFFFFFFFF)}), FIELD(amplification), 524288, true},
        // Chunks passed over, and the walk going on behind them.
        {"intro_as_value_ignored", chunkBlock({valueChunk(0x30, 7)}), FIELD(introLength), 1000, true},
        {"loop_count_as_integer_ignored", chunkBlock({integerChunk(0x35, 7)}), FIELD(loopCount), 5, true},
        {"disc_as_integer_ignored", chunkBlock({integerChunk(0x11, 7)}), FIELD(ostDisc), 0, true},
        {"integer_length_8_skips_12", chunkBlock({chunk(0x30, 4, 8, padding), valueChunk(0x11, 2)}),
         FIELD(ostDisc), 2, true},
        {"integer_length_8_not_decoded", chunkBlock({chunk(0x30, 4, 8, padding)}), FIELD(introLength), 1000, true},
        {"type2_skipped", chunkBlock({chunk(0x11, 2, 5, padding), valueChunk(0x11, 4)}), FIELD(loopCount), 5, true},
        {"type3_skipped", chunkBlock({chunk(0x11, 3, 5, padding), valueChunk(0x11, 4)}), FIELD(loopCount), 5, true},
        {"type5_skipped", chunkBlock({chunk(0x11, 5, 5, padding), valueChunk(0x11, 4)}), FIELD(loopCount), 5, true},
        {"unknown_type_length_0", chunkBlock({chunk(0x11, 0xFF, 0, {}), valueChunk(0x11, 4)}), FIELD(ostDisc), 4, true},
        {"value_with_text_id_is_4_bytes", chunkBlock({valueChunk(0x01, 4), valueChunk(0x11, 3)}),
         FIELD(ostDisc), 3, true},
        {"unknown_value_id", chunkBlock({valueChunk(0x99, 4), valueChunk(0x11, 3)}), FIELD(ostDisc), 3, true},
        {"later_chunk_wins", chunkBlock({valueChunk(0x11, 3), valueChunk(0x11, 4)}), FIELD(ostDisc), 4, true},
        // A header cut by the end of the block: its missing bytes read as 0.
        {"header_cut_after_id", DISC3 + raw({0x35}), FIELD(loopCount), 1, false},
        {"header_cut_after_type", DISC3 + raw({0x14, 0x00}), FIELD(copyrightYear), 0, false},
        {"header_cut_after_low_byte", DISC3 + raw({0x14, 0x00, 0x34}), FIELD(copyrightYear), 0x34, false},
        {"block_of_3", raw({0x35, 0x00, 0x07}), FIELD(loopCount), 7, false},
        {"block_of_1", raw({0x11}), FIELD(ostDisc), 0, false},
        // An integer whose four bytes are not all in the block is passed over.
        {"integer_cut_3_bytes", raw({0x30, 4, 4, 0, 1, 2, 3}), FIELD(introLength), 1000, false},
        {"integer_cut_0_bytes", raw({0x30, 4, 4, 0}), FIELD(introLength), 1000, false},
        {"amp_cut", DISC3 + raw({0x36, 4, 4, 0, 0xFF, 0xFF}), FIELD(amplification), 0, false},
        {"integer_then_walk_ends", chunkBlock({integerChunk(0x30, 5)}) + raw({0x31, 4, 4, 0}),
         FIELD(introLength), 5, false},
    };
}

class NumberChunkTest : public testing::TestWithParam<NumberCase> {};

TEST_P(NumberChunkTest, StoresTheClampedValueAndReportsWhereTheWalkEnded) {
    const NumberCase& c = GetParam();
    ID666Tag tag = primed();
    EXPECT_EQ(decodeBlock(tag, c.block), c.endsAtEnd);
    EXPECT_EQ(c.field(tag), c.expected);
    EXPECT_STREQ(tag.song, "base song");
}

INSTANTIATE_TEST_SUITE_P(ExtendedTag, NumberChunkTest, testing::ValuesIn(numberCases()),
                         [](const testing::TestParamInfo<NumberCase>& p) { return p.param.name; });

// ---------------------------------------------------------------------------

using TextField = char (ID666Tag::*)[ID666Tag::kTextSize];

struct TextCase {
    std::string name;
    Bytes block;
    TextField field;
    std::string expected;
    bool endsAtEnd;
};

void PrintTo(const TextCase& c, std::ostream* os) { *os << c.name; }

std::vector<TextCase> textCases() {
    const Bytes x256(256, 'x');
    const Bytes after = chunkBlock({textChunk(0x02, "after")});
    return {
        {"song", chunkBlock({textChunk(0x01, "Xid song")}), &ID666Tag::song, "Xid song", true},
        {"game", chunkBlock({textChunk(0x02, "Xid game")}), &ID666Tag::game, "Xid game", true},
        {"artist", chunkBlock({textChunk(0x03, "Xid artist")}), &ID666Tag::artist, "Xid artist", true},
        {"dumper", chunkBlock({textChunk(0x04, "Xid dumper")}), &ID666Tag::dumper, "Xid dumper", true},
        {"comments", chunkBlock({textChunk(0x07, "Xid comments")}), &ID666Tag::comments, "Xid comments", true},
        {"ost_title", chunkBlock({textChunk(0x10, "Xid OST")}), &ID666Tag::ostTitle, "Xid OST", true},
        {"publisher", chunkBlock({textChunk(0x13, "Xid publisher")}), &ID666Tag::publisher, "Xid publisher", true},
        {"high_bytes", chunkBlock({textChunk(0x01, "\x80\xA9\xFF")}), &ID666Tag::song, "\x80\xA9\xFF", true},
        {"length_256_no_nul", chunkBlock({chunk(0x01, 1, 256, x256)}), &ID666Tag::song, std::string(255, 'x'), true},
        {"length_1", chunkBlock({chunk(0x01, 1, 1, raw({'Q'}))}), &ID666Tag::song, "", true},
        {"fill_after_length", chunkBlock({chunk(0x01, 1, 3, raw({'A', 'B', 'C', 'D'}))}), &ID666Tag::song, "AB", true},
        {"nul_inside", chunkBlock({chunk(0x01, 1, 4, raw({'A', 0, 'B', 'C'}))}), &ID666Tag::song, "A", true},
        {"length_0_ignored", chunkBlock({chunk(0x01, 1, 0, {})}), &ID666Tag::song, "base song", true},
        {"length_0_then_more", chunkBlock({chunk(0x01, 1, 0, {})}) + after, &ID666Tag::game, "after", true},
        {"length_257_ignored", chunkBlock({chunk(0x01, 1, 257, Bytes(257, 'y'))}), &ID666Tag::song, "base song", true},
        {"length_257_then_more", chunkBlock({chunk(0x01, 1, 257, Bytes(257, 'y'))}) + after, &ID666Tag::game,
         "after", true},
        {"length_ffff_ignored", chunkBlock({chunk(0x01, 1, 0xFFFF, Bytes(20, 'z'))}), &ID666Tag::song,
         "base song", false},
        {"unknown_text_id", chunkBlock({textChunk(0x08, "other")}), &ID666Tag::song, "base song", true},
        {"text_as_integer_ignored", chunkBlock({chunk(0x01, 4, 4, raw({'a', 'b', 'c', 0}))}), &ID666Tag::song,
         "base song", true},
        {"later_text_wins", chunkBlock({textChunk(0x01, "first"), textChunk(0x01, "2nd")}), &ID666Tag::song, "2nd",
         true},
        // The block ends inside the string: the text ends with the last
        // byte the block holds, and nothing older shows through.
        {"cut_inside_text", cut(chunkBlock({chunk(0x01, 1, 20, raw({'A', 'B', 'C'}))}), 7), &ID666Tag::song, "ABC",
         false},
        {"cut_after_header", cut(chunkBlock({chunk(0x01, 1, 20, {})}), 4), &ID666Tag::song, "", false},
        {"cut_long_text", cut(chunkBlock({chunk(0x01, 1, 256, x256)}), 104), &ID666Tag::song,
         std::string(100, 'x'), false},
        {"cut_after_its_nul", cut(chunkBlock({chunk(0x01, 1, 10, raw({'A', 'B', 0, 'C'}))}), 8), &ID666Tag::song,
         "AB", false},
    };
}

class TextChunkTest : public testing::TestWithParam<TextCase> {};

TEST_P(TextChunkTest, CopiesTheTextAndEndsItInsideTheBlock) {
    const TextCase& c = GetParam();
    ID666Tag tag = primed();
    EXPECT_EQ(decodeBlock(tag, c.block), c.endsAtEnd);
    EXPECT_EQ(std::string(tag.*c.field), c.expected);
    EXPECT_EQ(tag.ostDisc, 0);
}

INSTANTIATE_TEST_SUITE_P(ExtendedTag, TextChunkTest, testing::ValuesIn(textCases()),
                         [](const testing::TestParamInfo<TextCase>& p) { return p.param.name; });

// ---------------------------------------------------------------------------

struct DateChunkCase {
    std::string name;
    Bytes block;
    bool baseDate;             // the record holds a date from the base tag
    std::string dateTextAfter;  // the record arrives with "5 Mai 2001" kept when baseDate is false
    int year, month, day;
};

void PrintTo(const DateChunkCase& c, std::ostream* os) { *os << c.name; }

std::vector<DateChunkCase> dateCases() {
    return {
        {"stored", chunkBlock({integerChunk(0x05, 0x07D00C1F)}), false, "", 2000, 12, 31},
        {"two_digit_year", chunkBlock({integerChunk(0x05, 0x00010101)}), true, "", 2001, 1, 1},
        {"bit_31_refused", chunkBlock({integerChunk(0x05, 0xFFFF0101)}), false, "5 Mai 2001", 0, 0, 0},
        {"refused_clears_base_date", chunkBlock({integerChunk(0x05, (2001u << 16) | (4u << 8) | 31u)}), true, "",
         0, 0, 0},
        {"year_1997_clears_base_date", chunkBlock({integerChunk(0x05, (1997u << 16) | (6u << 8) | 1u)}), true, "",
         0, 0, 0},
        {"date_as_value_ignored", chunkBlock({valueChunk(0x05, 0x0101)}), true, "", 2010, 6, 15},
        {"cut_date_passed_over", DISC3 + raw({0x05, 4, 4, 0, 0x1F, 0x0C}), true, "", 2010, 6, 15},
    };
}

class DateChunkTest : public testing::TestWithParam<DateChunkCase> {};

TEST_P(DateChunkTest, StoresOrClearsTheDate) {
    const DateChunkCase& c = GetParam();
    ID666Tag tag = primed();
    if (!c.baseDate) {
        tag.date.clear();
        std::strcpy(tag.dateText, "5 Mai 2001");
    }
    decodeBlock(tag, c.block);
    EXPECT_EQ(tag.date.year, c.year);
    EXPECT_EQ(tag.date.month, c.month);
    EXPECT_EQ(tag.date.day, c.day);
    EXPECT_STREQ(tag.dateText, c.dateTextAfter.c_str());
}

INSTANTIATE_TEST_SUITE_P(ExtendedTag, DateChunkTest, testing::ValuesIn(dateCases()),
                         [](const testing::TestParamInfo<DateChunkCase>& p) { return p.param.name; });

// ---------------------------------------------------------------------------

struct EndCase {
    std::uint32_t loop;
    std::int32_t end;
    std::int32_t expected;
};

void PrintTo(const EndCase& c, std::ostream* os) { *os << "loop " << c.loop << " end " << c.end; }

Bytes endBlock(const EndCase& c) {
    return chunkBlock({integerChunk(0x31, c.loop), integerChunk(0x32, static_cast<std::uint32_t>(c.end))});
}

std::vector<EndCase> endCases() {
    return {{0, -1, 0},          {100, -100, -100},       {100, -250, -50},    {100, -200, 0},
            {100, -101, -1},     {0, 5, 5},               {1, -1, -1},         {0, INT_MIN, 0},
            {383999999, INT_MIN, -227483653},             {0xFFFFFFFF, -400000000, -16000001}};
}

class EndLengthTest : public testing::TestWithParam<EndCase> {};

TEST_P(EndLengthTest, NeverBelowMinusTheLoop) {
    ID666Tag tag = primed();
    EXPECT_TRUE(decodeBlock(tag, endBlock(GetParam())));
    EXPECT_EQ(tag.endLength, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(ExtendedTag, EndLengthTest, testing::ValuesIn(endCases()));

TEST(ExtendedTag, EmptyOrNegativeSizeReadsNothingButStillBoundsTheEnd) {
    for (std::int32_t size : {0, -1, -4, INT_MIN}) {
        SCOPED_TRACE(size);
        ID666Tag tag = primed();
        tag.loopLength = 100;
        tag.endLength = -250;
        std::unique_ptr<unsigned char[]> nothing(new unsigned char[0]);
        EXPECT_EQ(tag.decodeExtended(nothing.get(), size), size == 0);
        EXPECT_EQ(tag.endLength, -50);
        ID666Tag expected = primed();
        expected.loopLength = 100;
        expected.endLength = -50;
        expectSameRecord(tag, expected, true);
    }
}

TEST(ExtendedTag, ChunksPassedOverLeaveEveryByteAlone) {
    const std::vector<Chunk> ignored = {
        chunk(0x01, 1, 0, {}),          chunk(0x02, 1, 257, Bytes(257, 'y')), textChunk(0x08, "other"),
        chunk(0x03, 2, 3, raw({1, 2, 3})), chunk(0x30, 4, 8, Bytes(8, 1)),   valueChunk(0x01, 5),
        valueChunk(0x05, 0x0101),       integerChunk(0x11, 3),                chunk(0x04, 0xFF, 0, {})};
    for (const Chunk& c : ignored) {
        SCOPED_TRACE(testing::Message() << "id " << int{c.id} << " type " << int{c.type} << " field " << c.field);
        ID666Tag tag = primed();
        EXPECT_TRUE(decodeBlock(tag, chunkBlock({c})));
        EXPECT_TRUE(sameBytes(tag, primed()));
    }
    ID666Tag tag = primed();
    EXPECT_FALSE(decodeBlock(tag, chunkBlock({chunk(0x07, 1, 0xFFFF, Bytes(8, 'z'))})));
    EXPECT_TRUE(sameBytes(tag, primed()));
}

}  // namespace

std::vector<NamedFile> extendedTagFiles() {
    std::vector<std::pair<std::string, Bytes>> blocks;
    for (const NumberCase& c : numberCases()) blocks.emplace_back("number_" + c.name, c.block);
    for (const TextCase& c : textCases()) blocks.emplace_back("text_" + c.name, c.block);
    for (const DateChunkCase& c : dateCases()) blocks.emplace_back("date_" + c.name, c.block);
    int n = 0;
    for (const EndCase& c : endCases()) blocks.emplace_back("end_" + std::to_string(n++), endBlock(c));

    const Bytes base = spcbuild::spcWithTextTag(
        spcbuild::TextTag{"Song", "Game", "Dumper", "Comments", "6/15/2010", "120", "5000", "Artist", '1'});
    std::vector<NamedFile> files;
    for (const auto& [name, block] : blocks) {
        Bytes file = base;
        spcbuild::appendExtendedTag(file, block);
        files.push_back({"xid6_" + name, file});
    }
    return files;
}
