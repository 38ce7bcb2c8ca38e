// The console's JSON: Unicode text, and bytes that are not UTF-8 kept.

#include "ui/console/tag_json.h"

#include <gtest/gtest.h>

#include "spctag/text_items.h"
#include "ui/console/tag_text_encoding.h"

#include <cstring>
#include <string>

namespace {

using namespace brindlemark::console;
using brindlemark::spctag::TAG_TEXT_ITEMS;
using brindlemark::spctag::TagTextItem;
using namespace brindlemark::spctag;

std::string member(const std::string& bytes) {
    std::string out;
    appendJsonBytesMember(out, "path", bytes.data(), bytes.size());
    return out;
}

TEST(TagJson, PathsAreTheirCharactersOrTextAndExactBytes) {
    struct Case {
        std::string bytes, json;
    };
    for (const Case& c : {
             Case{"a/b.spc", R"("path": "a/b.spc")"},
             Case{"q\"b\\s\x01\x7F", R"("path": "q\"b\\s\u0001\u007f")"},
             Case{"caf\xC3\xA9-03.spc", R"("path": "caf\u00e9-03.spc")"},
             Case{"\xE8\x81\x96\xE5\x89\xA3.spc", R"("path": "\u8056\u5263.spc")"},
             Case{"\xF0\x9F\x8E\xB5", R"("path": "\ud83c\udfb5")"},  // beyond U+FFFF: a surrogate pair
             Case{"caf\xE9-03.spc", R"("path": "caf\ufffd-03.spc", "pathBase64": "Y2Fm6S0wMy5zcGM=")"},
             Case{"caf\xE8-03.spc", R"("path": "caf\ufffd-03.spc", "pathBase64": "Y2Fm6C0wMy5zcGM=")"},
             Case{"\xC3", R"("path": "\ufffd", "pathBase64": "ww==")"},                     // cut
             Case{"\xED\xA0\x80", R"("path": "\ufffd\ufffd\ufffd", "pathBase64": "7aCA")"},  // a surrogate
             Case{"\xC0\xAF", R"("path": "\ufffd\ufffd", "pathBase64": "wK8=")"},            // overlong "/"
         }) {
        EXPECT_EQ(member(c.bytes), c.json) << c.bytes;
    }
}

TEST(TagJson, ShowGivesDecodedTextWithTheBytesOfEachItemNotAscii) {
    ID666Tag tag;
    tag.binaryFormat = 0;
    for (const TagTextItem& item : TAG_TEXT_ITEMS) (tag.*item.field)[0] = '\0';
    std::strcpy(tag.song, "Pok\xE9mon");
    std::strcpy(tag.game, "Red");
    DecodedTagText decoded;
    decoded.encoding = "windows-1252";
    decoded.text[0] = "Pok\xC3\xA9mon";
    decoded.text[1] = "Red";
    const std::string json = tagJson("p\xE9.spc", KIND_SPC, tag, &decoded);
    EXPECT_EQ(json.substr(0, json.find(", \"artist\"")),
              R"({"path": "p\ufffd.spc", "pathBase64": "cOkuc3Bj", "kind": 1, "binaryFormat": 0, )"
              R"("textEncoding": "windows-1252", "song": "Pok\u00e9mon", "songBase64": "UG9r6W1vbg==", )"
              R"("game": "Red")");
}

}  // namespace
