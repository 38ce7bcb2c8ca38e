#include "rename/name_template.h"

#include <cstdio>
#include <cstring>

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

// Number and letter after the last "-" of the path: "game1-04.spc" gives
// "04". Null when the character after that "-" is not a digit.
char* trackFromPath(char* out, const char* droppedPath) {
    const char* dash = std::strrchr(droppedPath, '-');
    if (dash == nullptr || !isDigit(dash[1])) return nullptr;
    return copyUntil(out, dash + 1, '.');
}

// The digit right before the last "-" of the path, unless it is the path's
// first character: "game1-04.spc" gives "1".
char* discFromPath(char* out, const char* droppedPath) {
    const char* dash = std::strrchr(droppedPath, '-');
    if (dash == nullptr || dash - droppedPath < 2 || !isDigit(dash[-1])) return nullptr;
    out[0] = dash[-1];
    out[1] = '\0';
    return out + 1;
}

char* writeTrack(char* out, std::uint32_t ostTrack) {
    const int number = static_cast<int>(ostTrack >> 8);
    const char letter = static_cast<char>(ostTrack & 0xFF);
    const int n = letter != '\0' ? std::sprintf(out, "%i%c", number, letter)
                                 : std::sprintf(out, "%i", number);
    return out + n;
}

}  // namespace

int expandNameTemplate(const char* nameTemplate, const ID666Tag& tag, const char* droppedPath,
                       char* stem) {
    // Only the first 30 characters count, whatever the caller passes.
    char format[NAME_TEMPLATE_MAX_LENGTH + 1];
    const std::size_t length = strnlen(nameTemplate, NAME_TEMPLATE_MAX_LENGTH);
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
