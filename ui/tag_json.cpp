#include "ui/tag_json.h"

#include <cstdio>
#include <cstring>

void appendJsonString(std::string& out, const char* bytes, std::size_t count) {
    out += '"';
    for (std::size_t i = 0; i < count; ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte == '"' || byte == '\\') {
            out += '\\';
            out += static_cast<char>(byte);
        } else if (byte < 0x20 || byte >= 0x7F) {
            char escaped[7];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            out += escaped;
        } else {
            out += static_cast<char>(byte);
        }
    }
    out += '"';
}

namespace {

class ObjectWriter {
public:
    explicit ObjectWriter(std::string& out) : out_(out) { out_ += '{'; }

    void text(const char* name, const char* field, std::size_t fieldSize) {
        key(name);
        appendJsonString(out_, field, strnlen(field, fieldSize));
    }
    void number(const char* name, long long value) {
        key(name);
        out_ += std::to_string(value);
    }
    void raw(const char* name, const std::string& json) {
        key(name);
        out_ += json;
    }
    void close() { out_ += '}'; }

private:
    void key(const char* name) {
        if (!first_) out_ += ", ";
        first_ = false;
        appendJsonString(out_, name, std::strlen(name));
        out_ += ": ";
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

std::string tagJson(const char* path, FileKind kind, const ID666Tag& tag) {
    std::string out;
    ObjectWriter object(out);
    object.text("path", path, std::strlen(path));
    object.number("kind", kind);
    if (kind > 0) {
        constexpr std::size_t textSize = ID666Tag::kTextSize;
        object.number("binaryFormat", tag.binaryFormat);
        object.text("song", tag.song, textSize);
        object.text("game", tag.game, textSize);
        object.text("artist", tag.artist, textSize);
        object.text("dumper", tag.dumper, textSize);
        object.text("comments", tag.comments, textSize);
        object.text("ostTitle", tag.ostTitle, textSize);
        object.text("publisher", tag.publisher, textSize);
        object.text("dateText", tag.dateText, ID666Tag::kDateTextSize);
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
