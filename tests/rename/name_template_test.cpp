#include "rename/name_template.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace brindlemark::rename;

// ---- Text routines ----------------------------------------------------------

TEST(TextRoutines, AfterLastFindsTheLastOccurrenceOrTheStart) {
    const char path[] = "/music/snd-2/title.spc";
    EXPECT_STREQ(afterLast(path, '/'), "title.spc");
    EXPECT_STREQ(afterLast(path, '-'), "2/title.spc");
    EXPECT_EQ(afterLast(path, '\\'), path);
    EXPECT_EQ(afterLast(path, '\0'), path);  // the NUL is not part of the text
    EXPECT_STREQ(afterLast("dir/", '/'), "");
}

TEST(TextRoutines, CopiesReturnTheirTerminatorForAppending) {
    char out[32];
    char* end = copyToEnd(out, "abc");
    EXPECT_EQ(end, out + 3);
    end = copyUntil(end, "12.spc", '.');
    EXPECT_STREQ(out, "abc12");
    EXPECT_EQ(end, out + 5);
    end = copyUntil(end, "xyz", '.');  // no stop character: copied to the end
    EXPECT_STREQ(out, "abc12xyz");
    EXPECT_EQ(copyUntil(end, ".spc", '.'), end);  // stop first: nothing copied
    EXPECT_EQ(*end, '\0');
}

// ---- Expansion ------------------------------------------------------------

class Expansion : public ::testing::Test {
protected:
    Expansion() {
        std::strcpy(tag.song, "Title");
        std::strcpy(tag.game, "Game");
        tag.artist[0] = '\0';
        tag.ostTitle[0] = '\0';
        tag.ostDisc = 0;
        tag.ostTrack = 0;
    }

    std::string expand(const char* nameTemplate, const char* path = "/music/a.spc") {
        char stem[NAME_STEM_SIZE];
        status = expandNameTemplate(nameTemplate, tag, path, stem);
        return stem;
    }

    ID666Tag tag;
    int status = -1;
};

TEST_F(Expansion, TokensTakeTheirItemsInEitherCase) {
    std::strcpy(tag.artist, "Artist");
    std::strcpy(tag.ostTitle, "OST");
    tag.ostDisc = 4;
    tag.ostTrack = 12 << 8;
    EXPECT_EQ(expand("%S|%G|%A|%T|%D|%N"), "Title|Game|Artist|OST|4|12");
    EXPECT_EQ(status, 0);
    EXPECT_EQ(expand("%s|%g|%a|%t|%d|%n"), "Title|Game|Artist|OST|4|12");
    EXPECT_EQ(status, 0);
    tag.ostTrack = (12 << 8) | 'b';
    EXPECT_EQ(expand("%N - %S"), "12b - Title");
    tag.ostTrack = 7 << 8;
    EXPECT_EQ(expand("%N"), "7");  // no leading zeros from the tag
}

// Only the first 30 characters count: a UTF-8 character is one, never cut
// in half; a byte of another code page is one.
TEST_F(Expansion, TheFirstThirtyCharactersCountAsTheUserSeesThem) {
    std::string eAcute;
    for (int i = 0; i < 15; ++i) eAcute += "\xC3\xA9";
    const std::string dash = " \xE2\x80\x93 ";  // an en dash between blanks
    const struct {
        std::string nameTemplate, stem;
    } cases[] = {
        {std::string(28, 'x') + "%S", std::string(28, 'x') + "Title"},
        {std::string(29, 'x') + "%S", std::string(29, 'x') + "%"},
        {eAcute + "%S", eAcute + "Title"},  // 17 characters, 32 bytes
        {"%N" + dash + "%G" + dash + "%G" + dash + "%G" + dash + "%G" + dash + "%S",
         "01" + dash + "Game" + dash + "Game" + dash + "Game" + dash + "Game" + dash + "Title"},
        {std::string(29, 'x') + "\xF0\x9F\x8E\xB5%S", std::string(29, 'x') + "\xF0\x9F\x8E\xB5"},
        {std::string(29, 'x') + "\xE9%S", std::string(29, 'x') + "\xE9"},  // code page 1252: one byte
        // A letter and the accent that combines with it are one character.
        {std::string(29, 'x') + "e\xCC\x81%S", std::string(29, 'x') + "e\xCC\x81"},
        {std::string(28, 'x') + "e\xCC\x81%S", std::string(28, 'x') + "e\xCC\x81%"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(expand(c.nameTemplate.c_str(), "/music/a-01.spc"), c.stem) << c.nameTemplate;
    }
    // However many marks a character carries, no more than 255 bytes of the
    // template are read, and never part of a character.
    std::string heavy = "a";
    for (int i = 0; i < 40; ++i) heavy += "\xCC\x81";  // 81 bytes
    const std::string stem = expand((heavy + heavy + heavy + heavy).c_str());
    EXPECT_EQ(stem, heavy + heavy + heavy);
}

TEST_F(Expansion, PercentSignsThatAreNoTokenStandForThemselves) {
    const struct {
        const char* nameTemplate;
        const char* stem;
        int status;
    } cases[] = {
        {"", "", noTagItem},
        {"literal", "literal", noTagItem},
        {"%%", "%", noTagItem},
        {"50%", "50%", noTagItem},
        {"%x", "%x", noTagItem},
        {"%%S", "%S", noTagItem},
        {"%\x05", "%", noTagItem},  // folds onto "%"
        {"%S%x%", "Title%x%", 0},
        {"%S/%G", "Title/Game", 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(expand(c.nameTemplate), c.stem) << c.nameTemplate;
        EXPECT_EQ(status, c.status) << c.nameTemplate;
    }
}

TEST_F(Expansion, AbsentItemsSetTheStatus) {
    tag.song[0] = '\0';
    EXPECT_EQ(expand("%S"), "");
    EXPECT_EQ(status, noTagItem | itemMissing);
    EXPECT_EQ(expand("%G %S"), "Game ");
    EXPECT_EQ(status, itemMissing);
    EXPECT_EQ(expand("%T%A"), "");
    EXPECT_EQ(status, noTagItem | itemMissing);
}

TEST_F(Expansion, TrackAndDiscFallBackToTheLastDashOfThePath) {
    EXPECT_EQ(expand("%N - %S", "/music/castle-07.spc"), "07 - Title");
    EXPECT_EQ(status, 0);
    EXPECT_EQ(expand("%N", "/music/castle-07.spc"), "07");
    EXPECT_EQ(status, noTagItem);  // a fallback is not an item of the tag
    EXPECT_EQ(expand("%D-%N", "/music/game1-04.spc"), "1-04");
    EXPECT_EQ(expand("%N", "/music/a-12"), "12");

    const struct {
        const char* nameTemplate;
        const char* path;
    } missing[] = {
        {"%N", "/music/title.spc"},    // no dash
        {"%N", "/music/x-a7.spc"},     // a letter after the dash
        {"%D", "/music/x-05.spc"},     // a letter before the dash
        {"%D", "/music/snd-2/t.spc"},  // likewise, in the folder
        {"%D", "1-05.spc"},            // the digit is the path's first character
        // A dash in a folder's name is none of the file's: only its own name counts.
        {"%N", "/music/snd-2/title.spc"},
        {"%N", "Game-2/03.spc"},
        {"%D", "Mega Man X3-1/track.spc"},
        {"%D", "/music/x3-1/-07.spc"},
    };
    for (const auto& c : missing) {
        EXPECT_EQ(expand(c.nameTemplate, c.path), "") << c.path;
        EXPECT_EQ(status, noTagItem | itemMissing) << c.path;
    }
    tag.ostTrack = 3 << 8;
    tag.ostDisc = 2;
    EXPECT_EQ(expand("%D-%N", "/music/game1-04.spc"), "2-3");  // the tag wins
    tag.ostTrack = 0;
    tag.ostDisc = 0;
    EXPECT_EQ(expand("%D-%N", "/music/snd-2/game1-04.spc"), "1-04");  // a folder's dash changes nothing
    EXPECT_EQ(expand("%D-%N", "/music/1-04.spc"), "1-04");
}

TEST_F(Expansion, OnlyTheFirstThirtyTemplateCharactersCount) {
    const std::string thirty = "%S" + std::string(28, 'x');
    EXPECT_EQ(expand((thirty + "%G").c_str()), "Title" + std::string(28, 'x'));
    // A "%" cut from its letter ends the template and stands for itself.
    EXPECT_EQ(expand((std::string(29, 'x') + "%S").c_str()), std::string(29, 'x') + "%");
    EXPECT_EQ(status, noTagItem);
}

TEST_F(Expansion, TheLongestStemFitsItsStorage) {
    std::memset(tag.song, 'S', sizeof tag.song);  // no NUL at all: 255 characters count
    const std::string fifteenSongs = "%S%S%S%S%S%S%S%S%S%S%S%S%S%S%S";
    std::vector<char> stem(NAME_STEM_SIZE + 16, '#');
    EXPECT_EQ(expandNameTemplate(fifteenSongs.c_str(), tag, "/a.spc", stem.data()), 0);
    EXPECT_EQ(std::strlen(stem.data()), NAME_STEM_MAX_LENGTH);
    EXPECT_EQ(NAME_STEM_MAX_LENGTH, 15u * 255u);
    EXPECT_EQ(stem[NAME_STEM_SIZE], '#');
}

}  // namespace
