// The UTF-8 rules every layer shares: where a character ends, and how a
// text is counted and cut without splitting one.

#include "text/utf8.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

namespace text = brindlemark::text;

TEST(ReadUtf8, TakesOnlyWholeValidSequences) {
    const struct {
        std::string bytes;
        text::Utf8Step::Kind kind;
        std::size_t length;
        char32_t codePoint;
    } cases[] = {
        {"a", text::Utf8Step::Character, 1, U'a'},
        {"\xC3\xA9", text::Utf8Step::Character, 2, U'\u00E9'},
        {"\xE3\x82\xBD", text::Utf8Step::Character, 3, U'\u30BD'},
        {"\xF0\x9F\x98\x80", text::Utf8Step::Character, 4, U'\U0001F600'},
        {"\xC0\xAF", text::Utf8Step::Invalid, 1, 0},        // overlong
        {"\xED\xA0\x80", text::Utf8Step::Invalid, 1, 0},    // a surrogate
        {"\xF4\x90\x80\x80", text::Utf8Step::Invalid, 1, 0},  // above U+10FFFF
        {"\x83\x5C", text::Utf8Step::Invalid, 1, 0},        // ソ in code page 932
        {"\xE3\x82", text::Utf8Step::Cut, 2, 0},
    };
    for (const auto& c : cases) {
        const text::Utf8Step step = text::readUtf8(c.bytes.data(), c.bytes.size());
        EXPECT_EQ(step.kind, c.kind) << c.bytes;
        EXPECT_EQ(step.length, c.length) << c.bytes;
        if (c.kind == text::Utf8Step::Character) {
            EXPECT_EQ(step.codePoint, c.codePoint) << c.bytes;
        }
    }
}

// The template's rule: 30 characters as the user sees them, at most 255
// bytes, a character never cut apart.
TEST(SeenCharactersLength, CountsALetterWithItsMarksAsOne) {
    const std::string accent = "e\xCC\x81";  // e and a combining acute accent
    const std::string smile = "\xF0\x9F\x98\x80";
    const struct {
        std::string text;
        std::size_t characters, maxBytes, length;
    } cases[] = {
        {"%N - %S", 30, 255, 7},
        {std::string(31, 'x'), 30, 255, 30},
        {std::string(29, 'x') + accent + "%A", 30, 255, 29 + accent.size()},
        {std::string(29, 'x') + smile + "%A", 30, 255, 29 + smile.size()},
        {"a\xCC\x81\xCC\x81" "b", 1, 255, 5},                  // two marks on one letter
        {"\x83\x5C\x83\x93", 3, 255, 3},                         // bytes that start no character count one each
        {std::string(254, 'x') + "\xC3\xA9", 300, 255, 254},     // stops before a character past the bytes
        {"", 30, 255, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(text::seenCharactersLength(c.text.c_str(), c.characters, c.maxBytes), c.length) << c.text;
    }
}

TEST(Utf8PrefixLength, LeavesACutSequenceOutWhole) {
    const struct {
        std::string text;
        std::size_t limit, length;
    } cases[] = {
        {"abc", 5, 3},
        {"ab\xC3\xA9", 3, 2},
        {"ab\xC3\xA9", 4, 4},
        {"a\xE3\x82\xBD", 3, 1},
        {"\xF0\x9F\x98\x80x", 4, 4},
        {"\xF0\x9F\x98\x80x", 3, 0},
        {"\x80\x80\x80\x80\x80", 4, 4},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(text::utf8PrefixLength(c.text.data(), c.text.size(), c.limit), c.length) << c.text;
    }
}

}  // namespace
