// The base ID666 tag: which layout a header is read in, and what each layout
// gives for lengths, dates, the emulator code and the text fields.

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "spctag/base_tag.h"
#include "spctag/id666_tag.h"
#include "tests/spctag/tag_test_support.h"

using namespace brindlemark::spctag;

using namespace std::string_literals;
using spcbuild::BinaryTag;
using spcbuild::Bytes;
using spcbuild::TextTag;

namespace {

Bytes patched(Bytes file, std::size_t at, const std::string& bytes) {
    std::memcpy(file.data() + at, bytes.data(), bytes.size());
    return file;
}

// Decodes the file's header from a heap copy of exactly 256 bytes, into a
// record full of junk.
ID666Tag decoded(const Bytes& file) {
    const Bytes header(file.begin(), file.begin() + 256);
    ID666Tag tag;
    fillRecord(tag, 0xAA);
    tag.decodeBase(header.data());
    return tag;
}

// ---------------------------------------------------------------------------

struct CountCase {
    std::string field;  // its width is its size
    int expected;
};

void PrintTo(const CountCase& c, std::ostream* os) {
    *os << "bytes";
    for (char b : c.field) *os << ' ' << std::hex << int{static_cast<unsigned char>(b)} << std::dec;
}

class CountNumericCharsTest : public testing::TestWithParam<CountCase> {};

TEST_P(CountNumericCharsTest, CountsDigitsAndSlashesUpToNulOrFieldEnd) {
    const CountCase& c = GetParam();
    // Exactly `width` bytes on the heap: a read past the field is caught.
    std::unique_ptr<unsigned char[]> field(new unsigned char[c.field.size()]);
    std::memcpy(field.get(), c.field.data(), c.field.size());
    EXPECT_EQ(countNumericChars(field.get(), c.field.size()), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    BaseTag, CountNumericCharsTest,
    testing::Values(CountCase{"180", 3}, CountCase{"12\0"s, 2}, CountCase{"12a", -1},
                    CountCase{"\0" "12"s, 0}, CountCase{" 12", -1}, CountCase{"1/2", 3},
                    CountCase{"", 0}, CountCase{"\xB4\0\0"s, -1}, CountCase{"1\xB0\0"s, -1},
                    CountCase{"\xFF", -1}, CountCase{"12/25/19999", 11},
                    CountCase{"12/25/1999\0"s, 10}, CountCase{"1\0" "9"s, 1}));

// ---------------------------------------------------------------------------

Bytes text(const std::string& date, const std::string& seconds, const std::string& fade, char emulator = '2') {
    return spcbuild::spcWithTextTag(
        TextTag{"Song", "Game", "Dumper", "Comments", date, seconds, fade, "Artist", emulator});
}

Bytes binary(std::uint16_t seconds, std::uint32_t fadeMs, std::uint8_t day = 0, std::uint8_t month = 0,
             std::uint16_t year = 0, std::uint8_t emulator = 200) {
    return spcbuild::spcWithBinaryTag(
        BinaryTag{"Song", "Game", "Dumper", "Comments", "Artist", day, month, year, seconds, fadeMs, emulator});
}

// What a header decodes to. The artist and the emulator code sit one byte
// apart in the two layouts, so they also show which layout was taken.
struct BaseCase {
    NamedFile file;
    std::uint8_t binaryFormat;
    std::uint32_t introLength, fadeLength;
    std::uint8_t emulator;
    std::string date;  // year-month-day, empty when none was stored
    std::string dateText;
    std::string artist = "Artist";
};

void PrintTo(const BaseCase& c, std::ostream* os) { *os << c.file.name; }

std::vector<BaseCase> makeBaseCases();

// Built once per test process: every process builds the tables.
const std::vector<BaseCase>& baseCases() {
    static const std::vector<BaseCase> cases = makeBaseCases();
    return cases;
}

std::vector<BaseCase> makeBaseCases() {
    const std::string none;
    return {
        // The layout decision, rule by rule.
        {{"rule1_nothing_numeric_emulator_says_binary", patched(text("", "", "", '\0'), 0xD1, "\x01")},
         1, 0, 0, 1, none, none, none},
        {{"rule2_nothing_numeric", text("", "", "", '\0')}, 0, 0, 0, 0, none, none},
        {{"rule2_nothing_numeric_text_emulator", patched(text("", "", "", '1'), 0xD1, "\x01")}, 0, 0, 0, 1, none, none},
        // The fade digits read as a number are clamped; the artist starts on the fifth digit.
        {{"rule3_binary_song_length", patched(text("12/25/1999", "180", "10000"), 0xA9, "\xB4\0\0"s)},
         1, 11520000, 3839936, 0, none, none, "0Artist"},
        {{"rule4_binary_fade", text("12/25/1999", "180", "\x10\x27")}, 1, 61376000, 640000, 0, none, none, none},
        {{"rule5_text_date", text("12/25/1999", "180", "10000")}, 0, 11520000, 640000, 2, "1999-12-25", none},
        {{"rule6_no_date", text("", "180", "10000")}, 0, 11520000, 640000, 2, none, none},
        {{"rule7_binary_date_zero_unused", binary(0, 0, 25, 12, 1999, 7)}, 1, 0, 0, 7, "1999-12-25", none},
        {{"rule8_word_date", text("December 25", "180", "10000")}, 0, 11520000, 640000, 2, none, "December 25"},
        {{"rule8_binary_date_one_unused_byte_set", patched(binary(0, 0, 25, 12, 1999, 7), 0xA5, "\x01")},
         0, 0, 0, 0, none, "\x19\x0C\xCF\x07", "rtist"},
        // Text layout: lengths and their clamps.
        {{"text_lengths_clamped", text("", "999", "99999")}, 0, 61376000, 3839936, 2, none, none},
        {{"text_lengths_at_bounds", text("", "959", "59999")}, 0, 61376000, 3839936, 2, none, none},
        {{"text_zero_song_drops_fade", text("", "0", "5000")}, 0, 0, 0, 2, none, none},
        {{"text_empty_song_drops_fade", text("", "", "5000")}, 0, 0, 0, 2, none, none},
        {{"text_slash_ends_numbers", text("", "9/9", "1/2")}, 0, 576000, 64, 2, none, none},
        // Text layout: dates, kept as text when refused.
        {{"text_one_slash", text("12/25", "1", "")}, 0, 64000, 0, 2, none, "12/25"},
        {{"text_nothing_after_second_slash", text("12/25/", "1", "")}, 0, 64000, 0, 2, none, "12/25/"},
        {{"text_no_month", text("/25/1999", "1", "")}, 0, 64000, 0, 2, none, "/25/1999"},
        {{"text_two_digit_year_first_day", text("4/15/98", "1", "")}, 0, 64000, 0, 2, "1998-4-15", none},
        {{"text_before_first_day", text("4/14/98", "1", "")}, 0, 64000, 0, 2, none, "4/14/98"},
        {{"text_common_year_feb_29", text("2/29/2001", "1", "")}, 0, 64000, 0, 2, none, "2/29/2001"},
        {{"text_month_low_8_bits", text("268/1/2001", "1", "")}, 0, 64000, 0, 2, "2001-12-1", none},
        {{"text_day_low_8_bits", text("1/257/2001", "1", "")}, 0, 64000, 0, 2, "2001-1-1", none},
        {{"text_negative_year", text("1/1/-1", "1", "")}, 0, 64000, 0, 2, none, "1/1/-1"},
        {{"text_date_fills_field", text("12/25/19999", "1", "")}, 0, 64000, 0, 2, none, "12/25/19999"},
        {{"text_word_date_no_slash", text("December 25", "1", "")}, 0, 64000, 0, 2, none, "December 25"},
        // Text layout: the emulator digit.
        {{"text_emulator_nine", text("", "1", "", '9')}, 0, 64000, 0, 9, none, none},
        {{"text_emulator_zero", text("", "1", "", '0')}, 0, 64000, 0, 0, none, none},
        {{"text_emulator_letter", text("", "1", "", 'Z')}, 0, 64000, 0, 0, none, none},
        {{"text_emulator_blank", text("", "1", "", ' ')}, 0, 64000, 0, 0, none, none},
        {{"text_emulator_nul", text("", "1", "", '\0')}, 0, 64000, 0, 0, none, none},
        // Binary layout: numbers as they stand, and never a date text.
        {{"binary_third_song_byte_ignored", patched(binary(10, 1000), 0xAB, "\x01")}, 1, 640000, 64000, 200, none, none},
        {{"binary_lengths_clamped", binary(960, 0xFFFFFFFF)}, 1, 61376000, 3839936, 200, none, none},
        {{"binary_zero_song_drops_fade", binary(0, 5000)}, 1, 0, 0, 200, none, none},
        {{"binary_date", binary(10, 0, 25, 12, 1999)}, 1, 640000, 0, 200, "1999-12-25", none},
        {{"binary_two_digit_year", binary(10, 0, 1, 2, 3, 1)}, 1, 640000, 0, 1, "2003-2-1", none},
        {{"binary_date_before_first_day", binary(10, 0, 31, 12, 1997)}, 1, 640000, 0, 200, none, none},
        {{"binary_date_31_april", binary(10, 0, 31, 4, 2001, 0)}, 1, 640000, 0, 0, none, none},
    };
}

class BaseTagTest : public testing::TestWithParam<BaseCase> {};

TEST_P(BaseTagTest, DecodesLayoutLengthsDateAndEmulator) {
    const BaseCase& c = GetParam();
    const ID666Tag tag = decoded(c.file.bytes());
    EXPECT_EQ(tag.binaryFormat, c.binaryFormat);
    EXPECT_EQ(tag.introLength, c.introLength);
    EXPECT_EQ(tag.fadeLength, c.fadeLength);
    EXPECT_EQ(tag.emulator, c.emulator);
    const std::string date = tag.date.empty() ? std::string()
                                              : std::to_string(tag.date.year) + '-' + std::to_string(tag.date.month) +
                                                    '-' + std::to_string(tag.date.day);
    EXPECT_EQ(date, c.date);
    EXPECT_EQ(std::string(tag.dateText), c.dateText);
    EXPECT_EQ(std::string(tag.artist), c.artist);
    EXPECT_STREQ(tag.song, "Song");
    EXPECT_STREQ(tag.game, "Game");
    EXPECT_STREQ(tag.dumper, "Dumper");
    EXPECT_STREQ(tag.comments, "Comments");
}

INSTANTIATE_TEST_SUITE_P(BaseTag, BaseTagTest, testing::ValuesIn(baseCases()),
                         [](const testing::TestParamInfo<BaseCase>& p) { return p.param.file.name; });

// ---------------------------------------------------------------------------

// Text fields filled to their last byte, with bytes above 0x7F, each followed
// at once by a byte that must not be taken.
Bytes fullFieldsFile(bool binary) {
    std::string high(32, '\0'), higher(32, '\0');
    for (int i = 0; i < 32; ++i) {
        high[static_cast<std::size_t>(i)] = static_cast<char>(0x80 + i);
        higher[static_cast<std::size_t>(i)] = static_cast<char>(0xE0 + i);
    }
    const std::string artist(32, 'A');
    if (binary) {
        Bytes f = spcbuild::spcWithBinaryTag(
            BinaryTag{high, higher, std::string(16, 'D'), std::string(32, 'C'), artist, 0, 0, 0, 10, 0, 0});
        return patched(f, 0xD0, "X");
    }
    const Bytes f = spcbuild::spcWithTextTag(
        TextTag{high, higher, std::string(16, 'D'), std::string(32, 'C'), "1/1/2001", "1", "", artist, 'X'});
    return patched(f, 0xD1, "Y");
}

TEST(BaseTag, TextFieldsAreCopiedWholeByteForByte) {
    for (bool binary : {false, true}) {
        SCOPED_TRACE(binary ? "binary" : "text");
        const Bytes file = fullFieldsFile(binary);
        const ID666Tag tag = decoded(file);
        ASSERT_EQ(tag.binaryFormat, binary ? 1 : 0);
        EXPECT_EQ(std::string(tag.song), std::string(file.begin() + 0x2E, file.begin() + 0x4E));
        EXPECT_EQ(std::string(tag.game), std::string(file.begin() + 0x4E, file.begin() + 0x6E));
        EXPECT_EQ(std::string(tag.dumper), std::string(16, 'D'));
        EXPECT_EQ(std::string(tag.comments), std::string(32, 'C'));
        EXPECT_EQ(std::string(tag.artist), std::string(32, 'A'));
    }
}

TEST(BaseTag, WritesItsOwnFieldsOnlyAndClearsMutedVoicesAndAmplification) {
    for (bool binary : {false, true}) {
        SCOPED_TRACE(binary ? "binary" : "text");
        const ID666Tag tag = decoded(fullFieldsFile(binary));
        ID666Tag junk;
        fillRecord(junk, 0xAA);
        EXPECT_EQ(std::memcmp(tag.path, junk.path, sizeof tag.path), 0);
        EXPECT_EQ(std::memcmp(tag.ostTitle, junk.ostTitle, sizeof tag.ostTitle), 0);
        EXPECT_EQ(std::memcmp(tag.publisher, junk.publisher, sizeof tag.publisher), 0);
        EXPECT_EQ(tag.copyrightYear, junk.copyrightYear);
        EXPECT_EQ(tag.ostTrack, junk.ostTrack);
        EXPECT_EQ(tag.ostDisc, junk.ostDisc);
        EXPECT_EQ(tag.loopLength, junk.loopLength);
        EXPECT_EQ(tag.loopCount, junk.loopCount);
        EXPECT_EQ(tag.endLength, junk.endLength);
        EXPECT_EQ(tag.mutedVoices, 0);
        EXPECT_EQ(tag.amplification, 0u);
    }
}

}  // namespace

std::vector<NamedFile> baseTagFiles() {
    std::vector<NamedFile> files;
    for (const BaseCase& c : baseCases()) files.push_back({"base_" + c.file.name, c.file.bytes()});
    files.push_back({"base_text_full_fields", fullFieldsFile(false)});
    files.push_back({"base_binary_full_fields", fullFieldsFile(true)});
    return files;
}
