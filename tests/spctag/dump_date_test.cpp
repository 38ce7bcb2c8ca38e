// Which dump dates are believable, and what a refusal leaves behind.

#include <gtest/gtest.h>

#include <cstring>
#include <new>
#include <string>

#include "spctag/dump_date.h"
#include "spctag/id666_tag.h"

using namespace brindlemark::spctag;

namespace {

struct Ymd {
    int year;
    int month;
    int day;
};

std::string show(int year, int month, int day) {
    return std::to_string(year) + '-' + std::to_string(month) + '-' + std::to_string(day);
}
std::string show(const DumpDate& d) { return show(d.year, d.month, d.day); }
std::string show(const Ymd& d) { return show(d.year, d.month, d.day); }

// A date held before the call, so that a refusal has something to clear.
DumpDate heldDate() {
    DumpDate d;
    EXPECT_TRUE(d.normalize(2010, 6, 15));
    return d;
}

struct NormalizeCase {
    std::uint32_t year;
    std::uint8_t month, day;
    bool accepted;
    Ymd stored;  // all 0 when refused: the date is cleared
};

void PrintTo(const NormalizeCase& c, std::ostream* os) { *os << c.year << '-' << int{c.month} << '-' << int{c.day}; }

class NormalizeTest : public testing::TestWithParam<NormalizeCase> {};

TEST_P(NormalizeTest, StoresTheWidenedDateOrClearsIt) {
    const NormalizeCase& c = GetParam();
    DumpDate d = heldDate();
    EXPECT_EQ(d.normalize(c.year, c.month, c.day), c.accepted);
    EXPECT_EQ(show(d), show(c.stored));
}

INSTANTIATE_TEST_SUITE_P(
    DumpDates, NormalizeTest,
    testing::Values(
        // The earliest believable dump, and the days just before it.
        NormalizeCase{98, 4, 15, true, {1998, 4, 15}}, NormalizeCase{1998, 4, 15, true, {1998, 4, 15}},
        NormalizeCase{98, 4, 14, false, {0, 0, 0}}, NormalizeCase{98, 3, 31, false, {0, 0, 0}},
        NormalizeCase{1998, 1, 31, false, {0, 0, 0}}, NormalizeCase{1998, 5, 1, true, {1998, 5, 1}},
        // Two-digit years and the edges of the year range.
        NormalizeCase{0, 1, 1, true, {2000, 1, 1}}, NormalizeCase{97, 12, 31, true, {2097, 12, 31}},
        NormalizeCase{99, 12, 31, true, {1999, 12, 31}}, NormalizeCase{100, 1, 1, false, {0, 0, 0}},
        NormalizeCase{1997, 12, 31, false, {0, 0, 0}}, NormalizeCase{9999, 12, 31, true, {9999, 12, 31}},
        NormalizeCase{10000, 1, 1, false, {0, 0, 0}},
        NormalizeCase{0xFFFFFFFFu, 1, 1, false, {0, 0, 0}},  // -1 arrives as a huge year
        NormalizeCase{0x80000000u + 2001, 1, 1, false, {0, 0, 0}},
        // Month and day bounds, and days beyond the month's length.
        NormalizeCase{2001, 0, 1, false, {0, 0, 0}}, NormalizeCase{2001, 13, 1, false, {0, 0, 0}},
        NormalizeCase{2001, 1, 0, false, {0, 0, 0}}, NormalizeCase{2001, 1, 32, false, {0, 0, 0}},
        NormalizeCase{2001, 255, 255, false, {0, 0, 0}}, NormalizeCase{2001, 4, 31, false, {0, 0, 0}},
        NormalizeCase{2001, 4, 30, true, {2001, 4, 30}}, NormalizeCase{2001, 12, 31, true, {2001, 12, 31}},
        // 29 February in leap and common years, two-digit years included.
        NormalizeCase{2000, 2, 29, true, {2000, 2, 29}}, NormalizeCase{2004, 2, 29, true, {2004, 2, 29}},
        NormalizeCase{2400, 2, 29, true, {2400, 2, 29}}, NormalizeCase{0, 2, 29, true, {2000, 2, 29}},
        NormalizeCase{2001, 2, 29, false, {0, 0, 0}}, NormalizeCase{2100, 2, 29, false, {0, 0, 0}},
        NormalizeCase{1, 2, 29, false, {0, 0, 0}}, NormalizeCase{2004, 2, 30, false, {0, 0, 0}}));

struct SetCase {
    std::int32_t year;
    std::uint32_t month, day;
    bool accepted;
};

void PrintTo(const SetCase& c, std::ostream* os) { *os << c.year << '-' << c.month << '-' << c.day; }

class SetTest : public testing::TestWithParam<SetCase> {};

TEST_P(SetTest, StoresOnlyRealDatesAndKeepsTheOldOneOtherwise) {
    const SetCase& c = GetParam();
    DumpDate d = heldDate();
    EXPECT_EQ(d.set(c.year, c.month, c.day), c.accepted);
    if (c.accepted) {
        EXPECT_EQ(show(d), show(c.year, static_cast<int>(c.month), static_cast<int>(c.day)));
    } else {
        EXPECT_EQ(show(d), "2010-6-15");
    }
}

INSTANTIATE_TEST_SUITE_P(
    DumpDates, SetTest,
    testing::Values(SetCase{32767, 1, 1, true}, SetCase{-32767, 1, 1, true}, SetCase{1, 1, 1, true},
                    SetCase{32768, 1, 1, false}, SetCase{-32768, 1, 1, false}, SetCase{0, 1, 1, false},
                    SetCase{2001, 0, 1, false}, SetCase{2001, 13, 1, false},
                    SetCase{2001, 0xFFFFFFFFu, 1, false}, SetCase{2001, 1, 0, false},
                    SetCase{2001, 1, 32, false}, SetCase{2001, 6, 31, false},
                    SetCase{2001, 1, 0xFFFFFFFFu, false},
                    // Gregorian leap years, before the year 1 as well.
                    SetCase{1996, 2, 29, true}, SetCase{1900, 2, 29, false}, SetCase{1600, 2, 29, true},
                    SetCase{-400, 2, 29, true}, SetCase{-100, 2, 29, false}, SetCase{-3, 2, 29, false}));

TEST(DumpDate, DefaultIsEmpty) {
    DumpDate d;
    EXPECT_TRUE(d.empty());
    EXPECT_EQ(show(d), "0-0-0");
}

TEST(ID666TagRecord, ConstructionClearsWhatLoadsRelyOn) {
    // Construct over storage full of junk, so a field left alone shows.
    alignas(ID666Tag) unsigned char storage[sizeof(ID666Tag)];
    std::memset(storage, 0xA5, sizeof storage);
    const ID666Tag* tag = new (storage) ID666Tag();
    EXPECT_EQ(tag->path[0], '\0');
    EXPECT_TRUE(tag->date.empty());
    EXPECT_EQ(tag->binaryFormat, 0);
    EXPECT_EQ(tag->mutedVoices, 0);
    EXPECT_EQ(tag->amplification, 0u);
    tag->~ID666Tag();
}

}  // namespace
