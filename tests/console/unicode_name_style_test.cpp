// Unicode names: tag texts decoded to NFC, names cleaned with characters kept.

#include "ui/console/unicode_name_style.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using namespace brindlemark::console;
using namespace brindlemark::spctag;

using brindlemark::console::TextEncoding;
using brindlemark::console::UnicodeNameStyle;

ID666Tag tagWith(const std::string& song, const std::string& game) {
    ID666Tag tag;
    for (const TagTextItem& item : TAG_TEXT_ITEMS) (tag.*item.field)[0] = '\0';
    std::memcpy(tag.song, song.c_str(), song.size() + 1);
    std::memcpy(tag.game, game.c_str(), game.size() + 1);
    return tag;
}

// Which encoding a text is read in is the decoder's to test; here, that the
// decoded text is put into NFC and ASCII is left alone.
TEST(UnicodeNameStyle, TagTextsBecomeUtf8InNfc) {
    struct Case {
        std::string song, game;
        std::string newSong, newGame;
    };
    const UnicodeNameStyle style;
    for (const Case& c : {
             Case{"Poke\xCC\x81mon", "Pok\xC3\xA9mon", "Pokémon", "Pokémon"},  // NFD made NFC
             Case{"Plain", "Title", "Plain", "Title"},
         }) {
        ID666Tag tag = tagWith(c.song, c.game);
        style.prepareTag(tag);
        EXPECT_STREQ(tag.song, c.newSong.c_str()) << c.song;
        EXPECT_STREQ(tag.game, c.newGame.c_str()) << c.song;
    }
}

TEST(UnicodeNameStyle, ALongDecodedTextIsCutBetweenCharacters) {
    const UnicodeNameStyle style(ENCODING_WINDOWS_1252);
    ID666Tag tag = tagWith(std::string(255, '\xE9'), "");
    style.prepareTag(tag);
    std::string expected;
    for (int i = 0; i < 127; ++i) expected += "é";  // 254 bytes: a 128th would need 256
    EXPECT_STREQ(tag.song, expected.c_str());
}

TEST(UnicodeNameStyle, NamesKeepTheirCharactersAndLoseWhatNoNameMayHold) {
    struct Case {
        std::string name, cleaned;
    };
    const UnicodeNameStyle style;
    for (const Case& c : {
             Case{"03 - Pokémon Théme.spc", "03 - Pokémon Théme.spc"},
             Case{"a\\b/c:d*e?f\"g<h>i|j.spc", "a_b_c_d_e_f_g_h_i_j.spc"},
             Case{"tab\there\x7F.spc", "tab_here_.spc"},
             Case{"next\xC2\x85line.spc", "next_line.spc"},                 // C1 control: two bytes, one "_"
             Case{"caf\xE9.spc", "caf_.spc"},                               // not UTF-8
             Case{"cut\xE8\x81.spc", "cut__.spc"},                          // a template cut in a character
             Case{"Poke\xCC\x81mon.spc", "Pokémon.spc"},                    // NFC
             Case{"\xEF\xBF\xBD and \xE2\x80\x94.spc", "\xEF\xBF\xBD and \xE2\x80\x94.spc"},
         }) {
        std::string name = c.name;
        const std::size_t length = style.cleanName(name.data(), name.size());
        EXPECT_EQ(std::string(name.c_str()), c.cleaned) << c.name;
        EXPECT_EQ(length, c.cleaned.size()) << c.name;
    }
}

TEST(UnicodeNameStyle, ANameIsPutInNfcEvenWhereThatMakesItLonger) {
    struct Case {
        std::string name, finished;
    };
    const UnicodeNameStyle style;
    for (const Case& c : {
             Case{"\xE0\xA5\x98.spc", "\xE0\xA4\x95\xE0\xA4\xBC.spc"},              // U+0958
             Case{"\xEF\xAC\xAA.spc", "\xD7\xA9\xD7\x81.spc"},                      // U+FB2A
             Case{"\xF0\x9D\x85\x9E.spc", "\xF0\x9D\x85\x97\xF0\x9D\x85\xA5.spc"},  // U+1D15E
             Case{"Pok\xC3\xA9mon.spc", "Pok\xC3\xA9mon.spc"},
         }) {
        std::string path = "/music/" + c.name;
        style.finishName(path, 7);
        EXPECT_EQ(path, "/music/" + c.finished) << c.name;
    }
}

}  // namespace
