#include "rename/name_template.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

using brindlemark::spctag::ID666Tag;

namespace {

// The template as the dialog and the console read it: its characters that
// count, cut once where it is read.
std::string counted(const char* nameTemplate) {
    return std::string(nameTemplate, brindlemark::rename::countedTemplateLength(nameTemplate));
}

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

// A template in the console's language, a dropped path, and what they give.
struct ConsoleCase {
    const char* nameTemplate;
    const char* path;
    const char* stem;
    int status;
};

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

    std::string expand(const char* nameTemplate, const char* path = "/music/a.spc",
                       TemplateDialect dialect = TemplateDialect::Dialog) {
        char stem[NAME_STEM_SIZE];
        const brindlemark::rename::Expansion expansion =
            expandNameTemplate(NameTemplate(counted(nameTemplate).c_str(), dialect), tag, path, setWidth,
                               {stem, sizeof stem});
        status = expansion.status;
        EXPECT_EQ(expansion.length, std::strlen(stem)) << nameTemplate;
        return stem;
    }
    std::string console(const char* nameTemplate, const char* path = "/music/a.spc") {
        return expand(nameTemplate, path, TemplateDialect::Console);
    }
    template <std::size_t N>
    void expectConsole(const ConsoleCase (&cases)[N]) {
        for (const auto& c : cases) {
            EXPECT_EQ(console(c.nameTemplate, c.path), c.stem) << c.nameTemplate << " " << c.path;
            EXPECT_EQ(status, c.status) << c.nameTemplate << " " << c.path;
        }
    }

    ID666Tag tag;
    int status = -1;
    unsigned setWidth = 0;
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
    for (const TemplateDialect dialect : {TemplateDialect::Dialog, TemplateDialect::Console}) {
        const brindlemark::rename::Expansion expansion = expandNameTemplate(NameTemplate(fifteenSongs.c_str(), dialect), tag, "/a.spc",
                                                       0, {stem.data(), NAME_STEM_SIZE});
        EXPECT_EQ(expansion.status, 0);
        EXPECT_EQ(expansion.length, NAME_STEM_MAX_LENGTH);
        EXPECT_EQ(std::strlen(stem.data()), NAME_STEM_MAX_LENGTH);
        EXPECT_EQ(stem[NAME_STEM_SIZE], '#');
    }
    EXPECT_EQ(NAME_STEM_MAX_LENGTH, 15u * 255u);
    // Smaller storage is filled, never passed.
    std::fill(stem.begin(), stem.end(), '#');
    const brindlemark::rename::Expansion cut = expandNameTemplate(NameTemplate("%S", TemplateDialect::Dialog), tag, "/a.spc", 0,
                                             {stem.data(), 8});
    EXPECT_EQ(cut.length, 7u);
    EXPECT_EQ(std::string(stem.data()), "SSSSSSS");
    EXPECT_EQ(stem[8], '#');
}

// ---- The console's language ---------------------------------------------

TEST_F(Expansion, WidthsPadNumbersWithZerosInFront) {
    tag.ostTrack = 3 << 8;
    tag.ostDisc = 1;
    EXPECT_EQ(expand("%2N-%02D"), "%2N-%02D");  // the dialog keeps widths literal
    const ConsoleCase cases[] = {
        {"%2N", "/m/a.spc", "03", 0},
        {"%02N", "/m/a.spc", "03", 0},
        {"%2n %2d", "/m/a.spc", "03 01", 0},
        {"%9N", "/m/a.spc", "000000003", 0},
        {"%*N", "/m/a.spc", "03", 0},  // no set width known: at least 2
        // Not a width: the "%" stays literal.
        {"%0N", "/m/a.spc", "%0N", noTagItem},
        {"%10N", "/m/a.spc", "%10N", noTagItem},
        {"%*D", "/m/a.spc", "%*D", noTagItem},
    };
    expectConsole(cases);
    setWidth = 3;
    EXPECT_EQ(console("%*N"), "003");
    const struct {
        std::uint32_t track;
        const char* stem;
    } tracks[] = {{(12 << 8) | 'b', "12b"}, {100 << 8, "100"}, {(3 << 8) | 'b', "03b"}};
    for (const auto& t : tracks) {
        tag.ostTrack = t.track;
        EXPECT_EQ(console("%2N"), t.stem);
    }
    // Numbers from the file's name are padded as they stand.
    tag.ostTrack = 0;
    tag.ostDisc = 0;
    const ConsoleCase fromName[] = {
        {"%2N", "/m/castle-7.spc", "07", noTagItem},
        {"%2N", "/m/castle-07.spc", "07", noTagItem},
        {"%3N", "/m/castle-7b.spc", "007b", noTagItem},
        {"%2D-%2N", "/m/game1-4.spc", "01-04", noTagItem},
    };
    expectConsole(fromName);
}

TEST_F(Expansion, BracesWriteTheirPartOnlyWhenEveryItemInItIsPresent) {
    tag.ostTrack = 3 << 8;
    EXPECT_EQ(expand("{%S} [%G]"), "{Title} [Game]");  // the dialog keeps braces literal
    const ConsoleCase cases[] = {
        {"{%D-}%2N - %S", "/m/a.spc", "03 - Title", 0},
        {"{%A - }%S", "/m/a.spc", "Title", 0},
        {"{%A}", "/m/a.spc", "", noTagItem},              // neither taken nor missing
        {"{%A%S}", "/m/a.spc", "", noTagItem},            // not written: the song is not taken
        {"{%S}%A", "/m/a.spc", "Title", itemMissing},     // outside braces an item is missing
        {"{%N }%T", "/m/a.spc", "3 ", itemMissing},
        {"{(%N)}", "/m/b.spc", "(3)", 0},
        {"%{%S%}", "/m/a.spc", "{Title}", 0},
        {"[SNES] %S", "/m/a.spc", "[SNES] Title", 0},
        {"%[%]", "/m/a.spc", "%[%]", noTagItem},          // square brackets are no braces
        {"{%D-}%N", "/m/game1-04.spc", "1-3", 0},        // a disc from the name is present
        {"{%D-}%N %S", "/m/x-05.spc", "3 Title", 0},
    };
    expectConsole(cases);
    tag.ostDisc = 2;
    EXPECT_EQ(console("{%D-}%2N - %S"), "2-03 - Title");
    EXPECT_EQ(status, 0);
}

TEST_F(Expansion, CopyrightYearAndPublisherAreTheConsolesCodes) {
    tag.copyrightYear = 1995;
    std::strcpy(tag.publisher, "Squaresoft");
    EXPECT_EQ(expand("%Y %P"), "%Y %P");  // the dialog's codes stay as they were
    EXPECT_EQ(status, noTagItem);
    EXPECT_EQ(console("%S (%Y, %p)"), "Title (1995, Squaresoft)");
    EXPECT_EQ(status, 0);
    tag.copyrightYear = 0;
    tag.publisher[0] = '\0';
    EXPECT_EQ(console("%S (%Y)"), "Title ()");
    EXPECT_EQ(status, itemMissing);
    EXPECT_EQ(console("%P"), "");
    EXPECT_EQ(status, noTagItem | itemMissing);
    EXPECT_EQ(console("%S{ (%Y)}"), "Title");
    EXPECT_EQ(status, 0);
}

// Without numbers in the tag, the console reads its own form first, then
// the characters next to the last "-", then a number that begins the name.
TEST_F(Expansion, TheConsoleReadsTheNumbersThatBeginTheFilesName) {
    const struct {
        const char* path;
        const char* stem;  // of "{%D-}%N"; "" when the track is missing
    } cases[] = {
        {"/m/07 - Castle Gate.spc", "07"},
        {"/m/12b - Boss.spc", "12b"},
        {"/m/1-07 - Title.spc", "1-07"},
        {"/m/007 - Title.spc", "007"},
        {"/m/12 - Mega-3 Theme.spc", "12"},  // its own form before the "-"
        {"/m/castle-07.spc", "07"},
        {"/m/game1-04.spc", "1-04"},
        {"/m/03.spc", "03"},
        {"/m/03 Title.spc", "03"},
        {"/m/03-Title.spc", "03"},
        {"/m/100", "100"},
        {"/m/Mega Man 7.spc", ""},
        {"/m/3D World.spc", ""},
        {"/m/1999 Remix.spc", ""},
        {"/m/10-07 - Title.spc", "10"},  // a disc has one digit: "10" begins the name
        {"/m/07-2/title.spc", ""},  // a folder's name is never read
    };
    for (const auto& c : cases) {
        EXPECT_EQ(console("{%D-}%N", c.path), c.stem) << c.path;
        EXPECT_EQ(status, c.stem[0] != '\0' ? noTagItem : noTagItem | itemMissing) << c.path;
    }
    // The dialog reads the "-" alone.
    EXPECT_EQ(expand("%N", "/m/07 - Castle Gate.spc"), "");
    EXPECT_EQ(expand("%N", "/m/03.spc"), "");
}

TEST(NameTemplateFaults, TheConsoleCannotMeanAnUnknownCodeOrAMisplacedBrace) {
    const struct {
        const char* text;
        TemplateFault::Kind kind;
        std::size_t at;
    } cases[] = {
        {"%N - %S", TemplateFault::None, 0},
        {"100% %S", TemplateFault::None, 0},
        {"%2Q %* %", TemplateFault::None, 0},
        {"%{%}}{", TemplateFault::StrayClosingBrace, 4},
        {"%Q - %S", TemplateFault::UnknownCode, 0},
        {"%S %x", TemplateFault::UnknownCode, 3},
        {"{%D-%N", TemplateFault::UnclosedBrace, 0},
        {"%D-}%N", TemplateFault::StrayClosingBrace, 3},
        {"{{%D}}", TemplateFault::NestedBrace, 1},
        // The 30 characters that count leave the brace open.
        {"%S {and a much longer tail of text}", TemplateFault::UnclosedBrace, 3},
        // A "%" cut from its letter by the 30 characters is literal.
        {"xxxxxxxxxxxxxxxxxxxxxxxxxxxxx%Q", TemplateFault::None, 0},
    };
    for (const auto& c : cases) {
        const NameTemplate parsed(counted(c.text).c_str(), TemplateDialect::Console);
        EXPECT_EQ(parsed.fault().kind, c.kind) << c.text;
        EXPECT_EQ(parsed.fault().at, c.at) << c.text;
        EXPECT_EQ(NameTemplate(c.text, TemplateDialect::Dialog).fault().kind, TemplateFault::None) << c.text;
    }
}

}  // namespace
