// Deciding the encoding of real-world tag texts, and decoding them.

#include "ui/console/tag_text_encoding.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace brindlemark::console;
using namespace brindlemark::spctag;

using brindlemark::console::parseTagEncoding;
using brindlemark::console::TagText;
using brindlemark::console::TagTextDecoder;
using brindlemark::console::TextEncoding;
using brindlemark::console::textEncodingName;

// A text as the tag reader leaves it: bytes, and whether it filled its field.
struct Text {
    std::string bytes;
    bool filled = false;
};

struct Case {
    const char* title;
    std::vector<Text> texts;  // one file's texts
    TextEncoding encoding;
    std::string first;  // the first text decoded, in UTF-8
};

std::vector<TagText> tagTexts(const std::vector<Text>& texts) {
    std::vector<TagText> result;
    for (const Text& text : texts) result.push_back({text.bytes.data(), text.bytes.size(), text.filled});
    return result;
}

void expectDecided(const std::vector<Case>& cases) {
    TagTextDecoder decoder;  // one decoder for the whole table, as for a run
    for (const Case& c : cases) {
        const std::vector<TagText> texts = tagTexts(c.texts);
        const TextEncoding encoding = decoder.decide(texts);
        EXPECT_STREQ(textEncodingName(encoding), textEncodingName(c.encoding)) << c.title;
        std::string decoded;
        decoder.decode(texts.front(), encoding, decoded);
        EXPECT_EQ(decoded, c.first) << c.title;
    }
}

TEST(TagTextEncoding, AsciiIsDecidedAlone) {
    expectDecided({
        {"plain title", {{"Corridors of Time"}, {"Chrono Trigger"}}, ENCODING_ASCII, "Corridors of Time"},
        {"filled field", {{std::string(32, 'x'), true}}, ENCODING_ASCII, std::string(32, 'x')},
        {"no text at all", {{""}, {""}}, ENCODING_ASCII, ""},
    });
}

TEST(TagTextEncoding, Utf8TitlesReadAsUtf8) {
    expectDecided({
        {"accented", {{"Pok\xC3\xA9mon Th\xC3\xA9me"}}, ENCODING_UTF8, "Pokémon Théme"},
        {"kanji", {{"\xE8\x81\x96\xE5\x89\xA3\xE4\xBC\x9D\xE8\xAA\xAC"}}, ENCODING_UTF8, "聖剣伝説"},
        {"ASCII but one character", {{"Mot\xC3\xB6rhead"}}, ENCODING_UTF8, "Motörhead"},
        {"katakana cut by the 32-byte field",
         {{std::string("\xE3\x83\x95\xE3\x82\xA1\xE3\x82\xA4\xE3\x83\x8A\xE3\x83\xAB\xE3\x83\x95\xE3\x82\xA1"
                       "\xE3\x83\xB3\xE3\x82\xBF\xE3\x82\xB8\xE3\x83", 32), true}},
         ENCODING_UTF8, "ファイナルファンタジ"},
        {"decided over the file's texts", {{"Caf\xC3\xA9 del Mar"}, {"Ibiza"}, {"Jos\xC3\xA9 Padilla"}},
         ENCODING_UTF8, "Café del Mar"},
    });
}

TEST(TagTextEncoding, ShiftJisTitlesReadAsShiftJis) {
    expectDecided({
        {"8 bytes of kanji", {{"\x90\xB9\x8C\x95\x93`\x90\xE0"}}, ENCODING_SHIFT_JIS, "聖剣伝説"},
        {"8 bytes of kanji, valid Windows-1252 too", {{"\x93V\x92n\x91n\x91\xA2"}}, ENCODING_SHIFT_JIS,
         "天地創造"},
        {"kanji, valid Windows-1252 too", {{"\x92\xB4\x96\x82\x8A" "E\x91\xBA"}}, ENCODING_SHIFT_JIS, "超魔界村"},
        {"half-width katakana", {{"\xC4\xDE\xD7\xBA\xDE\xDD\xB8\xB4\xBD\xC4"}}, ENCODING_SHIFT_JIS,
         "ﾄﾞﾗｺﾞﾝｸｴｽﾄ"},
        {"ASCII but one character", {{"MOTHER\x82Q"}}, ENCODING_SHIFT_JIS, "MOTHER２"},
        {"katakana", {{"\x83X\x81[\x83p\x81[\x83}\x83\x8A\x83I\x83\x8F\x81[\x83\x8B\x83h"}}, ENCODING_SHIFT_JIS,
         "スーパーマリオワールド"},
        {"kanji cut by the 32-byte field",
         {{"SFC  \x83\x8D\x83}\x83\x93\x83V\x83\x93\x83O \x83T\x81" "E\x83K\x82R \x81u\x8C\x88\x90", true}},
         ENCODING_SHIFT_JIS, "SFC  ロマンシング サ・ガ３ 「決"},
        {"a lone lead byte not at a field's end is not taken for cut", {{"\x83\x8D\x83}\x83"}, {"\x90\xB9"}},
         ENCODING_SHIFT_JIS, "ロマ\xEF\xBF\xBD"},
        {"a short title and a long game",
         {{"\x83\x81\x83j\x83\x85\x81["},
          {"\x83\x8D\x83}\x83\x93\x83V\x83\x93\x83O \x83T\x81" "E\x83K\x82R \x81u\x8C\x88\x90\xED\x81I\x81v"}},
         ENCODING_SHIFT_JIS, "メニュー"},
    });
}

TEST(TagTextEncoding, Windows1252TitlesReadAsWindows1252) {
    expectDecided({
        {"E9 6D is also a Shift-JIS pair", {{"Pok\xE9mon"}}, ENCODING_WINDOWS_1252, "Pokémon"},
        {"two pairs that read as kanji", {{"M\xEAl\xE9" "e"}}, ENCODING_WINDOWS_1252, "Mêlée"},
        {"accent before a space", {{"Caf\xE9 del Mar"}}, ENCODING_WINDOWS_1252, "Café del Mar"},
        {"capital umlaut, a half-width katakana", {{"\xDC" "ber den Wolken"}}, ENCODING_WINDOWS_1252,
         "Über den Wolken"},
        {"user-defined Shift-JIS pair", {{"Ragnar\xF6k"}}, ENCODING_WINDOWS_1252, "Ragnarök"},
        {"ASCII but one byte", {{"Zelda\x99"}}, ENCODING_WINDOWS_1252, "Zelda™"},
        {"dash between words", {{"Chrono Trigger \x96 Corridors"}}, ENCODING_WINDOWS_1252,
         "Chrono Trigger – Corridors"},
        {"several accents", {{"Se\xF1or D\xE9j\xE0 Vu"}}, ENCODING_WINDOWS_1252, "Señor Déjà Vu"},
        {"accent at a filled field's end", {{"Cafe del Mar - Volumen Dos - Fat\xED", true}}, ENCODING_WINDOWS_1252,
         "Cafe del Mar - Volumen Dos - Fatí"},
        {"ligature starting a word", {{"\x8Cuvre"}}, ENCODING_WINDOWS_1252, "Œuvre"},
        {"capital with a caron starting a word", {{"\x8Akoda Rally"}}, ENCODING_WINDOWS_1252, "Škoda Rally"},
        {"caron ending a word", {{"Tom\xE1\x9A"}}, ENCODING_WINDOWS_1252, "Tomáš"},
        {"small ligature inside a word", {{"S\x9Cur Sourire"}}, ENCODING_WINDOWS_1252, "Sœur Sourire"},
        {"a short title and a long comment",
         {{"Th\xE9me"}, {"Une chanson tr\xE8s c\xE9l\xE8" "bre de l\x92\xE9t\xE9"}}, ENCODING_WINDOWS_1252,
         "Théme"},
    });
}

// A quote or dash of Windows-1252 between two letters reads in Shift-JIS as
// a common kanji with the letter after it ("Yoshi痴 Island"): it stays
// punctuation. The other items are ASCII, as in most Western tags.
TEST(TagTextEncoding, Windows1252QuotesAndDashesBetweenLetters) {
    expectDecided({
        {"apostrophe, 92 73", {{"Yoshi\x92s Island"}, {"Super Mario World 2"}, {"Koji Kondo"}},
         ENCODING_WINDOWS_1252, "Yoshi’s Island"},
        {"apostrophe, 92 74", {{"Don\x92t Stop"}, {"Sonic Blast Man"}}, ENCODING_WINDOWS_1252, "Don’t Stop"},
        {"em dash before a capital", {{"Act I\x97Prologue"}, {"ActRaiser"}, {"Yuzo Koshiro"}},
         ENCODING_WINDOWS_1252, "Act I—Prologue"},
        {"after a capital", {{"I\x92m Sad"}}, ENCODING_WINDOWS_1252, "I’m Sad"},
        {"name in the possessive", {{"Dr. Wily\x92s Castle"}, {"Mega Man 7"}}, ENCODING_WINDOWS_1252,
         "Dr. Wily’s Castle"},
        {"game in the possessive", {{"Kirby\x92s Dream Land 3"}}, ENCODING_WINDOWS_1252, "Kirby’s Dream Land 3"},
        {"after a short word", {{"Let\x92s Go Away"}, {"Rock n' Roll Racing"}}, ENCODING_WINDOWS_1252, "Let’s Go Away"},
        {"em dash after a numeral letter", {{"Ys I\x97" "Feena"}}, ENCODING_WINDOWS_1252, "Ys I—Feena"},
        {"em dash in a long title", {{"Mega Man X\x97Sigma Stage"}}, ENCODING_WINDOWS_1252,
         "Mega Man X—Sigma Stage"},
        {"two apostrophes", {{"O\x92" "Brien\x92s Theme"}}, ENCODING_WINDOWS_1252, "O’Brien’s Theme"},
        {"contraction of 're", {{"We\x92re Flying"}}, ENCODING_WINDOWS_1252, "We’re Flying"},
        {"apostrophes on both sides of a letter", {{"Rock\x92n\x92Roll Racing"}}, ENCODING_WINDOWS_1252,
         "Rock’n’Roll Racing"},
        {"en dash inside a word", {{"Pre\x96" "Battle"}}, ENCODING_WINDOWS_1252, "Pre–Battle"},
        {"among other items", {{"Bowser\x92s Castle"}, {"Super Mario RPG"}, {"Yoko Shimomura"}, {"Dumper"}},
         ENCODING_WINDOWS_1252, "Bowser’s Castle"},
    });
}

// Short Japanese text of kanji only, the other items ASCII: in Windows-1252
// the lead bytes read as Š Œ Ž and symbols, the trail bytes as letters
// ("ŠC", "ŽRŒû"), which no Western word looks like.
TEST(TagTextEncoding, ShortKanjiTitlesAndComposersReadAsShiftJis) {
    expectDecided({
        {"one kanji, Œõ", {{"\x8C\xF5"}, {"Hikari no Densetsu"}}, ENCODING_SHIFT_JIS, "光"},
        {"one kanji, ŠC", {{"\x8A" "C"}, {"Umi"}}, ENCODING_SHIFT_JIS, "海"},
        {"one kanji, ŠX", {{"\x8AX"}}, ENCODING_SHIFT_JIS, "街"},
        {"two kanji, —EŽÒ", {{"\x97" "E\x8E\xD2"}, {"Dragon Quest"}}, ENCODING_SHIFT_JIS, "勇者"},
        {"composer, ŽRŒû", {{"\x8ER\x8C\xFB"}, {"Title"}, {"Romancing SaGa"}}, ENCODING_SHIFT_JIS, "山口"},
        {"composer, –{ŠÔ", {{"\x96{\x8A\xD4"}, {"Opening"}}, ENCODING_SHIFT_JIS, "本間"},
        {"composer, –]ŒŽ", {{"\x96]\x8C\x8E"}, {"Field"}}, ENCODING_SHIFT_JIS, "望月"},
        {"one kanji, ŒŽ", {{"\x8C\x8E"}}, ENCODING_SHIFT_JIS, "月"},
        {"one kanji, ŒF", {{"\x8C" "F"}}, ENCODING_SHIFT_JIS, "熊"},
        {"one kanji, ŠZ", {{"\x8AZ"}}, ENCODING_SHIFT_JIS, "鎧"},
        {"one kanji, ŠM", {{"\x8AM"}}, ENCODING_SHIFT_JIS, "凱"},
        {"two kanji, ‹RŽm", {{"\x8BR\x8Em"}}, ENCODING_SHIFT_JIS, "騎士"},
        {"one kanji, Ž˜", {{"\x8E\x98"}}, ENCODING_SHIFT_JIS, "侍"},
        {"composer, Œõ“c", {{"\x8C\xF5\x93" "c"}, {"Chrono Trigger"}}, ENCODING_SHIFT_JIS, "光田"},
        {"composer, ŒÃ‘ã", {{"\x8C\xC3\x91\xE3"}, {"Actraiser"}}, ENCODING_SHIFT_JIS, "古代"},
        {"composer, —é–Ø", {{"\x97\xE9\x96\xD8"}}, ENCODING_SHIFT_JIS, "鈴木"},
        {"composer, “n•Ó", {{"\x93n\x95\xD3"}}, ENCODING_SHIFT_JIS, "渡辺"},
        {"composer, “c’†", {{"\x93" "c\x92\x86"}}, ENCODING_SHIFT_JIS, "田中"},
        {"composer, ‰º‘º", {{"\x89\xBA\x91\xBA"}}, ENCODING_SHIFT_JIS, "下村"},
        {"two kanji, —E‹C", {{"\x97" "E\x8B" "C"}}, ENCODING_SHIFT_JIS, "勇気"},
    });
}

// The same titles in UTF-8 keep reading as UTF-8: the rules above weigh
// only the two legacy readings.
TEST(TagTextEncoding, Utf8TitlesWithQuotesAndKanji) {
    expectDecided({
        {"apostrophe", {{"Yoshi\xE2\x80\x99s Island"}, {"Super Mario World 2"}}, ENCODING_UTF8,
         "Yoshi’s Island"},
        {"apostrophe, short", {{"Don\xE2\x80\x99t Stop"}}, ENCODING_UTF8, "Don’t Stop"},
        {"em dash", {{"Act I\xE2\x80\x94Prologue"}}, ENCODING_UTF8, "Act I—Prologue"},
        {"one kanji", {{"\xE5\x85\x89"}, {"Hikari"}}, ENCODING_UTF8, "光"},
        {"composer", {{"\xE5\xB1\xB1\xE5\x8F\xA3"}}, ENCODING_UTF8, "山口"},
        {"two kanji", {{"\xE5\x8B\x87\xE8\x80\x85"}}, ENCODING_UTF8, "勇者"},
    });
}

// A tag of a set: its song, game and artist, the other items empty.
ID666Tag setTag(const std::vector<std::string>& texts) {
    ID666Tag tag;
    for (const TagTextItem& item : TAG_TEXT_ITEMS) (tag.*item.field)[0] = '\0';
    for (std::size_t i = 0; i < texts.size(); ++i) std::strcpy(tag.*TAG_TEXT_ITEMS[i].field, texts[i].c_str());
    return tag;
}

// The files of one folder decided together: each file's encoding, and the
// first file's song decoded as the set's decision leaves it.
TEST(TagTextEncoding, SetsAreDecidedTogetherUnlessAFileSettlesItsOwn) {
    struct SetCase {
        const char* title;
        std::vector<std::vector<std::string>> files;  // song, game, artist of each
        std::vector<TextEncoding> encodings;
        std::string firstSong;
    };
    const std::vector<SetCase> cases = {
        {"a one-kanji title that alone reads as Windows-1252, in a Japanese folder",
         {{"\xE3\xC4", "Hiten"}, {"\x90\xB9\x8C\x95\x93`\x90\xE0", "Hiten"}, {"\x8C\xF5", "Hiten"}},
         {ENCODING_SHIFT_JIS, ENCODING_SHIFT_JIS, ENCODING_SHIFT_JIS}, "翔"},
        {"titles each ambiguous alone",
         {{"\xE3Y"}, {"\x8C\xF5"}, {"\x97" "E\x8E\xD2"}, {"\x8A" "C"}}, {ENCODING_SHIFT_JIS, ENCODING_SHIFT_JIS, ENCODING_SHIFT_JIS, ENCODING_SHIFT_JIS},
         "綺"},
        {"composers of a Japanese game",
         {{"Opening", "Romancing SaGa", "\x8ER\x8C\xFB"}, {"Battle", "Romancing SaGa", "\x90" "A\x8F\xBC"}},
         {ENCODING_SHIFT_JIS, ENCODING_SHIFT_JIS}, "Opening"},
        {"a title that alone reads as a kanji, in a Western folder",
         {{"Ghosts \x92n Goblins"}, {"Caf\xE9 del Mar"}, {"Arthur\x92s Theme"}},
         {ENCODING_WINDOWS_1252, ENCODING_WINDOWS_1252, ENCODING_WINDOWS_1252}, "Ghosts ’n Goblins"},
        {"a Windows-1252 title that only Windows-1252 reads keeps it in a Japanese folder",
         {{"Zelda\x99"}, {"\x90\xB9\x8C\x95\x93`\x90\xE0"}, {"\x8C\xF5"}, {"\x8A" "C"}},
         {ENCODING_WINDOWS_1252, ENCODING_SHIFT_JIS, ENCODING_SHIFT_JIS, ENCODING_SHIFT_JIS}, "Zelda™"},
        {"a Shift-JIS title that only Shift-JIS reads keeps it in a Western folder",
         {{"\x90\xB9\x8C\x95\x93`\x90\xE0"}, {"Caf\xE9 del Mar"}, {"Don\x92t Stop"}, {"\xDC" "ber den Wolken"}},
         {ENCODING_SHIFT_JIS, ENCODING_WINDOWS_1252, ENCODING_WINDOWS_1252, ENCODING_WINDOWS_1252}, "聖剣伝説"},
        {"ASCII and UTF-8 files keep theirs",
         {{"Plain Title"}, {"Pok\xC3\xA9mon"}, {"\x8C\xF5"}, {"\x90\xB9\x8C\x95\x93`\x90\xE0"}},
         {ENCODING_ASCII, ENCODING_UTF8, ENCODING_SHIFT_JIS, ENCODING_SHIFT_JIS}, "Plain Title"},
        {"a set of one decides as the file alone", {{"\xE3\xC4"}}, {ENCODING_WINDOWS_1252}, "ãÄ"},
        {"a one-kanji title beside one title only Shift-JIS reads",
         {{"\xE3\xC4"}, {"\x90\xB9\x8C\x95\x93`\x90\xE0"}}, {ENCODING_SHIFT_JIS, ENCODING_SHIFT_JIS}, "翔"},

        {"a set of plain ASCII", {{"Title"}, {"Theme"}}, {ENCODING_ASCII, ENCODING_ASCII}, "Title"},
    };
    for (const SetCase& c : cases) {
        TagTextDecoder decoder;
        std::vector<ID666Tag> tags;
        for (const auto& file : c.files) tags.push_back(setTag(file));
        std::vector<const ID666Tag*> set;
        for (const ID666Tag& tag : tags) set.push_back(&tag);
        std::vector<TextEncoding> encodings(set.size(), ENCODING_ASCII);
        decoder.decideSet(set.data(), set.size(), encodings.data());
        EXPECT_EQ(encodings, c.encodings) << c.title;
        // The set's files decoded one by one, as the batch and --show do.
        DecodedTagText decoded;
        for (std::size_t i = 0; i < tags.size(); ++i) {
            decoder.decodeTag(tags[i], decoded);
            EXPECT_STREQ(decoded.encoding, textEncodingName(c.encodings[i])) << c.title << ", file " << i;
            if (i == 0) {
                EXPECT_EQ(decoded.text[0], c.firstSong) << c.title;
            }
        }
    }
}

TEST(TagTextEncoding, ChosenEncodingOverridesTheDecision) {
    std::optional<TextEncoding> chosen;
    ASSERT_TRUE(parseTagEncoding("shift_jis", chosen));
    TagTextDecoder decoder(chosen);
    const std::string pokemon = "Pok\xE9mon";
    const std::vector<TagText> texts{{pokemon.data(), pokemon.size(), false}};
    EXPECT_EQ(decoder.decide(texts), ENCODING_SHIFT_JIS);
    std::string decoded;
    decoder.decode(texts.front(), ENCODING_UTF8, decoded);
    EXPECT_EQ(decoded, "Pok\xEF\xBF\xBDmon");  // each invalid byte one U+FFFD
    const ID666Tag plain = setTag({"Plain"}), utf8 = setTag({"Pok\xC3\xA9mon"});
    const ID666Tag* const set[] = {&plain, &utf8};
    TextEncoding encodings[2] = {};
    decoder.decideSet(set, 2, encodings);
    EXPECT_EQ(encodings[0], ENCODING_SHIFT_JIS);  // the set's files too, settled or not
    EXPECT_EQ(encodings[1], ENCODING_SHIFT_JIS);

    ASSERT_TRUE(parseTagEncoding("auto", chosen));
    EXPECT_FALSE(chosen.has_value());
    for (const char* wrong : {"ascii", "sjis", "UTF-8", ""}) EXPECT_FALSE(parseTagEncoding(wrong, chosen)) << wrong;
}

}  // namespace
