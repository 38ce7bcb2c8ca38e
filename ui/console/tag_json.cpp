#include "ui/console/tag_json.h"

#include <cstring>

#include "spctag/text_items.h"
#include "text/utf8.h"
#include "ui/console/tag_text_encoding.h"

namespace brindlemark::console {

using spctag::ID666Tag;
using spctag::FileKind;
using spctag::DumpDate;

using text::Utf8Step;
using text::isAscii;
using text::readUtf8;

namespace {

constexpr char JSON_HEX_DIGITS[] = "0123456789abcdef";

void appendEscape(std::string& out, char32_t unit) {
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4) out += JSON_HEX_DIGITS[(unit >> shift) & 0xF];
}

void appendEscapedCharacter(std::string& out, char32_t codePoint) {
    if (codePoint < 0x10000) {
        appendEscape(out, codePoint);
        return;
    }
    const char32_t offset = codePoint - 0x10000;
    appendEscape(out, 0xD800 + (offset >> 10));
    appendEscape(out, 0xDC00 + (offset & 0x3FF));
}

// A byte a JSON string holds as it stands: printable ASCII but for the
// quote and the backslash.
bool isPlainJsonByte(unsigned char byte) { return byte >= 0x20 && byte < 0x7F && byte != '"' && byte != '\\'; }

}  // namespace

bool appendJsonString(std::string& out, const char* bytes, std::size_t count) {
    bool valid = true;
    out += '"';
    for (std::size_t at = 0; at < count;) {
        // A run of characters that stand as they are goes in at once.
        std::size_t plain = at;
        while (plain < count && isPlainJsonByte(static_cast<unsigned char>(bytes[plain]))) ++plain;
        out.append(bytes + at, plain - at);
        at = plain;
        if (at == count) break;
        const auto byte = static_cast<unsigned char>(bytes[at]);
        if (byte == '"' || byte == '\\') {
            out += '\\';
            out += static_cast<char>(byte);
            ++at;
        } else {
            const Utf8Step step = readUtf8(bytes + at, count - at);
            const bool whole = step.kind == Utf8Step::Character;
            valid = valid && whole;
            appendEscapedCharacter(out, whole ? step.codePoint : 0xFFFD);
            at += whole ? step.length : 1;
        }
    }
    out += '"';
    return valid;
}

void appendBase64(std::string& out, const char* bytes, std::size_t count) {
    static constexpr char BASE64_ALPHABET[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    const auto* data = reinterpret_cast<const unsigned char*>(bytes);
    for (std::size_t at = 0; at < count; at += 3) {
        const std::size_t left = count - at;
        const unsigned group = (data[at] << 16u) | ((left > 1 ? data[at + 1] : 0u) << 8u) | (left > 2 ? data[at + 2] : 0u);
        out += BASE64_ALPHABET[(group >> 18) & 0x3F];
        out += BASE64_ALPHABET[(group >> 12) & 0x3F];
        out += left > 1 ? BASE64_ALPHABET[(group >> 6) & 0x3F] : '=';
        out += left > 2 ? BASE64_ALPHABET[group & 0x3F] : '=';
    }
}

namespace {

void appendKey(std::string& out, const char* key, const char* suffix = "") {
    out += '"';
    out += key;
    out += suffix;
    out += "\": ";
}

void appendBase64Member(std::string& out, const char* key, const char* bytes, std::size_t count) {
    out += ", ";
    appendKey(out, key, "Base64");
    out += '"';
    appendBase64(out, bytes, count);
    out += '"';
}

}  // namespace

void appendJsonBytesMember(std::string& out, const char* key, const char* bytes, std::size_t count) {
    appendKey(out, key);
    if (!appendJsonString(out, bytes, count)) appendBase64Member(out, key, bytes, count);
}

namespace {

class ObjectWriter {
public:
    explicit ObjectWriter(std::string& out) : out_(out) { out_ += '{'; }

    void bytes(const char* name, const char* field, std::size_t fieldSize) {
        separate();
        appendJsonBytesMember(out_, name, field, strnlen(field, fieldSize));
    }
    // Decoded text, and the exact bytes when they are not plain ASCII.
    void decoded(const char* name, const std::string& text, const char* field, std::size_t fieldSize) {
        separate();
        appendKey(out_, name);
        appendJsonString(out_, text.data(), text.size());
        const std::size_t size = strnlen(field, fieldSize);
        if (!isAscii(field, size)) appendBase64Member(out_, name, field, size);
    }
    void text(const char* name, const char* value) {
        separate();
        appendKey(out_, name);
        appendJsonString(out_, value, std::strlen(value));
    }
    void number(const char* name, long long value) {
        raw(name, std::to_string(value));
    }
    void raw(const char* name, const std::string& json) {
        separate();
        appendKey(out_, name);
        out_ += json;
    }
    void close() { out_ += '}'; }

private:
    void separate() {
        if (!first_) out_ += ", ";
        first_ = false;
    }

    std::string& out_;
    bool first_ = true;
};

std::string dateJson(const DumpDate& date) {
    if (date.empty()) return "null";
    return "{\"year\": " + std::to_string(date.year) + ", \"month\": " + std::to_string(date.month) +
           ", \"day\": " + std::to_string(date.day) + "}";
}

}  // namespace

std::string tagJson(const char* path, FileKind kind, const ID666Tag& tag, const DecodedTagText* decoded) {
    std::string out;
    out.reserve(1024);  // a whole object of a common tag, without growing
    ObjectWriter object(out);
    object.bytes("path", path, std::strlen(path));
    object.number("kind", kind);
    if (kind > 0) {
        object.number("binaryFormat", tag.binaryFormat);
        if (decoded != nullptr) object.text("textEncoding", decoded->encoding);
        for (std::size_t i = 0; i < spctag::TAG_TEXT_ITEM_COUNT; ++i) {
            const spctag::TagTextItem& item = spctag::TAG_TEXT_ITEMS[i];
            const char* const field = tag.*item.field;
            if (decoded != nullptr) {
                object.decoded(item.name, decoded->text[i], field, ID666Tag::kTextSize);
            } else {
                object.bytes(item.name, field, ID666Tag::kTextSize);
            }
        }
        object.bytes("dateText", tag.dateText, ID666Tag::DATE_TEXT_SIZE);
        object.raw("date", dateJson(tag.date));
        object.number("copyrightYear", tag.copyrightYear);
        object.number("ostTrack", tag.ostTrack);
        object.number("ostDisc", tag.ostDisc);
        object.number("mutedVoices", tag.mutedVoices);
        object.number("emulator", tag.emulator);
        object.number("amplification", tag.amplification);
        object.number("introLength", tag.introLength);
        object.number("loopLength", tag.loopLength);
        object.number("loopCount", tag.loopCount);
        object.number("endLength", tag.endLength);
        object.number("fadeLength", tag.fadeLength);
    }
    object.close();
    return out;
}

}  // namespace brindlemark::console
