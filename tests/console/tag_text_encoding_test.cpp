// Deciding the encoding of real-world tag texts, and decoding them.

#include "ui/console/tag_text_encoding.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

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
        {"plain title", {{"Corridors of Time"}, {"Chrono Trigger"}}, TextEncoding::Ascii, "Corridors of Time"},
        {"filled field", {{std::string(32, 'x'), true}}, TextEncoding::Ascii, std::string(32, 'x')},
        {"no text at all", {{""}, {""}}, TextEncoding::Ascii, ""},
    });
}

TEST(TagTextEncoding, Utf8TitlesReadAsUtf8) {
    expectDecided({
        {"accented", {{"Pok\xC3\xA9mon Th\xC3\xA9me"}}, TextEncoding::Utf8, "Pokémon Théme"},
        {"kanji", {{"\xE8\x81\x96\xE5\x89\xA3\xE4\xBC\x9D\xE8\xAA\xAC"}}, TextEncoding::Utf8, "聖剣伝説"},
        {"ASCII but one character", {{"Mot\xC3\xB6rhead"}}, TextEncoding::Utf8, "Motörhead"},
        {"katakana cut by the 32-byte field",
         {{std::string("\xE3\x83\x95\xE3\x82\xA1\xE3\x82\xA4\xE3\x83\x8A\xE3\x83\xAB\xE3\x83\x95\xE3\x82\xA1"
                       "\xE3\x83\xB3\xE3\x82\xBF\xE3\x82\xB8\xE3\x83", 32), true}},
         TextEncoding::Utf8, "ファイナルファンタジ"},
        {"decided over the file's texts", {{"Caf\xC3\xA9 del Mar"}, {"Ibiza"}, {"Jos\xC3\xA9 Padilla"}},
         TextEncoding::Utf8, "Café del Mar"},
    });
}

TEST(TagTextEncoding, ShiftJisTitlesReadAsShiftJis) {
    expectDecided({
        {"8 bytes of kanji", {{"\x90\xB9\x8C\x95\x93`\x90\xE0"}}, TextEncoding::ShiftJis, "聖剣伝説"},
        {"8 bytes of kanji, valid Windows-1252 too", {{"\x93V\x92n\x91n\x91\xA2"}}, TextEncoding::ShiftJis,
         "天地創造"},
        {"kanji, valid Windows-1252 too", {{"\x92\xB4\x96\x82\x8A" "E\x91\xBA"}}, TextEncoding::ShiftJis, "超魔界村"},
        {"half-width katakana", {{"\xC4\xDE\xD7\xBA\xDE\xDD\xB8\xB4\xBD\xC4"}}, TextEncoding::ShiftJis,
         "ﾄﾞﾗｺﾞﾝｸｴｽﾄ"},
        {"ASCII but one character", {{"MOTHER\x82Q"}}, TextEncoding::ShiftJis, "MOTHER２"},
        {"katakana", {{"\x83X\x81[\x83p\x81[\x83}\x83\x8A\x83I\x83\x8F\x81[\x83\x8B\x83h"}}, TextEncoding::ShiftJis,
         "スーパーマリオワールド"},
        {"kanji cut by the 32-byte field",
         {{"SFC  \x83\x8D\x83}\x83\x93\x83V\x83\x93\x83O \x83T\x81" "E\x83K\x82R \x81u\x8C\x88\x90", true}},
         TextEncoding::ShiftJis, "SFC  ロマンシング サ・ガ３ 「決"},
        {"a lone lead byte not at a field's end is not taken for cut", {{"\x83\x8D\x83}\x83"}, {"\x90\xB9"}},
         TextEncoding::ShiftJis, "ロマ\xEF\xBF\xBD"},
        {"a short title and a long game",
         {{"\x83\x81\x83j\x83\x85\x81["},
          {"\x83\x8D\x83}\x83\x93\x83V\x83\x93\x83O \x83T\x81" "E\x83K\x82R \x81u\x8C\x88\x90\xED\x81I\x81v"}},
         TextEncoding::ShiftJis, "メニュー"},
    });
}

TEST(TagTextEncoding, Windows1252TitlesReadAsWindows1252) {
    expectDecided({
        {"E9 6D is also a Shift-JIS pair", {{"Pok\xE9mon"}}, TextEncoding::Windows1252, "Pokémon"},
        {"two pairs that read as kanji", {{"M\xEAl\xE9" "e"}}, TextEncoding::Windows1252, "Mêlée"},
        {"accent before a space", {{"Caf\xE9 del Mar"}}, TextEncoding::Windows1252, "Café del Mar"},
        {"capital umlaut, a half-width katakana", {{"\xDC" "ber den Wolken"}}, TextEncoding::Windows1252,
         "Über den Wolken"},
        {"user-defined Shift-JIS pair", {{"Ragnar\xF6k"}}, TextEncoding::Windows1252, "Ragnarök"},
        {"ASCII but one byte", {{"Zelda\x99"}}, TextEncoding::Windows1252, "Zelda™"},
        {"dash between words", {{"Chrono Trigger \x96 Corridors"}}, TextEncoding::Windows1252,
         "Chrono Trigger – Corridors"},
        {"several accents", {{"Se\xF1or D\xE9j\xE0 Vu"}}, TextEncoding::Windows1252, "Señor Déjà Vu"},
        {"accent at a filled field's end", {{"Cafe del Mar - Volumen Dos - Fat\xED", true}}, TextEncoding::Windows1252,
         "Cafe del Mar - Volumen Dos - Fatí"},
        {"a short title and a long comment",
         {{"Th\xE9me"}, {"Une chanson tr\xE8s c\xE9l\xE8" "bre de l\x92\xE9t\xE9"}}, TextEncoding::Windows1252,
         "Théme"},
    });
}

TEST(TagTextEncoding, ChosenEncodingOverridesTheDecision) {
    std::optional<TextEncoding> chosen;
    ASSERT_TRUE(parseTagEncoding("shift_jis", chosen));
    TagTextDecoder decoder(chosen);
    const std::string pokemon = "Pok\xE9mon";
    const std::vector<TagText> texts{{pokemon.data(), pokemon.size(), false}};
    EXPECT_EQ(decoder.decide(texts), TextEncoding::ShiftJis);
    std::string decoded;
    decoder.decode(texts.front(), TextEncoding::Utf8, decoded);
    EXPECT_EQ(decoded, "Pok\xEF\xBF\xBDmon");  // each invalid byte one U+FFFD

    ASSERT_TRUE(parseTagEncoding("auto", chosen));
    EXPECT_FALSE(chosen.has_value());
    for (const char* wrong : {"ascii", "sjis", "UTF-8", ""}) EXPECT_FALSE(parseTagEncoding(wrong, chosen)) << wrong;
}

}  // namespace
