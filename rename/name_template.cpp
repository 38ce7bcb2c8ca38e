#include "rename/name_template.h"

#include <cstdio>
#include <cstring>

#include "rename/batch_outcome.h"

namespace brindlemark::rename {

const char* afterLast(const char* text, char c) {
    const char* last = c == '\0' ? nullptr : std::strrchr(text, c);
    return last == nullptr ? text : last + 1;
}

char* afterLast(char* text, char c) {
    return const_cast<char*>(afterLast(static_cast<const char*>(text), c));
}

char* copyToEnd(char* destination, const char* source) {
    while ((*destination = *source) != '\0') {
        ++destination;
        ++source;
    }
    return destination;
}

char* copyUntil(char* destination, const char* source, char stop) {
    while (*source != '\0' && *source != stop) *destination++ = *source++;
    *destination = '\0';
    return destination;
}

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// A text field of the record, at most 255 characters even if its NUL were
// missing. Returns the end of what was written; nothing for an empty field.
char* copyField(char* out, const char* field) {
    const std::size_t n = strnlen(field, ID666Tag::kTextSize - 1);
    std::memcpy(out, field, n);
    out[n] = '\0';
    return out + n;
}

// The last "-" of the file's own name, never one of a folder's: the
// numbers next to it are the file's disc and track. Null when there is none.
const char* lastDashOfName(const char* droppedPath) { return std::strrchr(fileNameOf(droppedPath), '-'); }

// Number and letter after the last "-" of the file's name: "game1-04.spc"
// gives "04". Null when the character after that "-" is not a digit.
char* trackFromPath(char* out, const char* droppedPath) {
    const char* dash = lastDashOfName(droppedPath);
    if (dash == nullptr || !isDigit(dash[1])) return nullptr;
    return copyUntil(out, dash + 1, '.');
}

// The digit right before the last "-" of the file's name, unless it is the
// path's first character: "game1-04.spc" gives "1".
char* discFromPath(char* out, const char* droppedPath) {
    const char* dash = lastDashOfName(droppedPath);
    if (dash == nullptr || dash - droppedPath < 2 || !isDigit(dash[-1])) return nullptr;
    out[0] = dash[-1];
    out[1] = '\0';
    return out + 1;
}

// The length of the UTF-8 sequence at text when it is a whole, valid one
// of two to four bytes, its code point stored; 1 for any other byte (ASCII,
// or text in another code page), the byte stored.
std::size_t utf8Sequence(const unsigned char* text, std::uint32_t& codePoint) {
    const unsigned char lead = text[0];
    codePoint = lead;
    std::size_t length = 1;
    unsigned char lowest = 0x80, highest = 0xBF;  // the bounds of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) lowest = 0xA0;
        if (lead == 0xED) highest = 0x9F;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) lowest = 0x90;
        if (lead == 0xF4) highest = 0x8F;
    } else {
        return 1;
    }
    if (text[1] < lowest || text[1] > highest) return 1;
    for (std::size_t i = 2; i < length; ++i) {
        if ((text[i] & 0xC0) != 0x80) return 1;
    }
    codePoint = lead & (0x7Fu >> length);
    for (std::size_t i = 1; i < length; ++i) codePoint = (codePoint << 6) | (text[i] & 0x3Fu);
    return length;
}

char* writeTrack(char* out, std::uint32_t ostTrack) {
    const int number = static_cast<int>(ostTrack >> 8);
    const char letter = static_cast<char>(ostTrack & 0xFF);
    const int n = letter != '\0' ? std::sprintf(out, "%i%c", number, letter)
                                 : std::sprintf(out, "%i", number);
    return out + n;
}

}  // namespace

std::size_t countedTemplateLength(const char* text) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    std::size_t at = 0;
    for (std::size_t characters = 0; characters < NAME_TEMPLATE_MAX_LENGTH && bytes[at] != 0; ++characters) {
        std::uint32_t codePoint = 0;
        std::size_t end = at + utf8Sequence(bytes + at, codePoint);
        for (std::size_t mark; bytes[end] != 0; end += mark) {
            mark = utf8Sequence(bytes + end, codePoint);
            if (!isCombiningMark(codePoint)) break;
        }
        if (end > NAME_TEMPLATE_MAX_BYTES) break;
        at = end;
    }
    return at;
}

int expandNameTemplate(const char* nameTemplate, const ID666Tag& tag, const char* droppedPath,
                       char* stem) {
    // Only the first 30 characters count, whatever the caller passes.
    char format[NAME_TEMPLATE_MAX_BYTES + 1];
    const std::size_t length = countedTemplateLength(nameTemplate);
    std::memcpy(format, nameTemplate, length);
    format[length] = '\0';

    int status = noTagItem;
    char* out = stem;
    *out = '\0';

    const char* at = format;
    while (*at != '\0') {
        if (*at != '%') {
            out = copyUntil(out, at, '%');
            at += std::strcspn(at, "%");
            continue;
        }
        const char* text = nullptr;  // a text item of the tag, when the token names one
        char* written = nullptr;     // where a number item or a fallback ended
        bool fromTag = false;
        switch (at[1] | 0x20) {
            case '%':
                *out++ = '%';
                *out = '\0';
                at += 2;
                continue;
            case 'a': text = tag.artist; break;
            case 'g': text = tag.game; break;
            case 's': text = tag.song; break;
            case 't': text = tag.ostTitle; break;
            case 'd':
                fromTag = tag.ostDisc != 0;
                written = fromTag ? out + std::sprintf(out, "%i", tag.ostDisc)
                                  : discFromPath(out, droppedPath);
                break;
            case 'n':
                fromTag = tag.ostTrack != 0;
                written = fromTag ? writeTrack(out, tag.ostTrack) : trackFromPath(out, droppedPath);
                break;
            default:
                // Not a token: the "%" stands for itself, and the character
                // after it is read again as literal text.
                *out++ = '%';
                *out = '\0';
                ++at;
                continue;
        }
        if (text != nullptr) {
            fromTag = text[0] != '\0';
            if (fromTag) written = copyField(out, text);
        }
        if (fromTag) {
            status &= ~noTagItem;
        } else if (written == nullptr) {
            status |= itemMissing;
        }
        if (written != nullptr) out = written;
        at += 2;
    }
    return status;
}

}  // namespace brindlemark::rename
