// The UTF-8 rules every layer shares: where a character ends, and how a
// text is counted and cut without splitting one.

#include "text/utf8.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

namespace text = brindlemark::text;

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
