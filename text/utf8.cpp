#include "text/utf8.h"

#include <cstring>

namespace brindlemark::text {

namespace {

bool isContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The most bytes a UTF-8 sequence holds.
constexpr std::size_t LONGEST_SEQUENCE = 4;

}  // namespace

Utf8Step readUtf8(const char* text, std::size_t count) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    Utf8Step step;
    const unsigned char lead = bytes[0];
    if (lead < 0x80) {
        step.kind = Utf8Step::Character;
        step.codePoint = lead;
        return step;
    }
    // Length and the range the second byte must lie in: E0 and F0 exclude
    // overlong forms, ED the surrogates, F4 everything above U+10FFFF.
    std::size_t length = 0;
    unsigned char secondLow = 0x80, secondHigh = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) secondLow = 0xA0;
        if (lead == 0xED) secondHigh = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = LONGEST_SEQUENCE;
        if (lead == 0xF0) secondLow = 0x90;
        if (lead == 0xF4) secondHigh = 0x8F;
    } else {
        return step;
    }
    char32_t codePoint = lead & (0xFFu >> (length + 1));
    for (std::size_t i = 1; i < length; ++i) {
        if (i == count) {
            step.kind = Utf8Step::Cut;
            step.length = count;
            return step;
        }
        const unsigned char byte = bytes[i];
        const bool fits = i == 1 ? byte >= secondLow && byte <= secondHigh : isContinuation(byte);
        if (!fits) return step;
        codePoint = (codePoint << 6) | (byte & 0x3Fu);
    }
    step.kind = Utf8Step::Character;
    step.length = length;
    step.codePoint = codePoint;
    return step;
}

bool isAscii(const char* text, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        if (static_cast<unsigned char>(text[i]) >= 0x80) return false;
    }
    return true;
}

bool isValidUtf8(const char* text, std::size_t count) {
    for (std::size_t at = 0; at < count;) {
        const Utf8Step step = readUtf8(text + at, count - at);
        if (step.kind != Utf8Step::Character) return false;
        at += step.length;
    }
    return true;
}

std::size_t utf8PrefixLength(const char* text, std::size_t count, std::size_t limit) {
    if (count <= limit) return count;
    // Step back over the continuation bytes of the sequence the limit cuts
    // to its lead byte, at most three of them.
    std::size_t end = limit;
    for (std::size_t back = 1; back < LONGEST_SEQUENCE && end > 0 && isContinuation(static_cast<unsigned char>(text[end]));
         ++back) {
        --end;
    }
    return isContinuation(static_cast<unsigned char>(text[end])) ? limit : end;
}

std::size_t seenCharactersLength(const char* text, std::size_t characters, std::size_t maxBytes) {
    const std::size_t count = std::strlen(text);
    // A byte that starts no character stands for itself, as in the single-
    // byte code pages.
    const auto stepAt = [&](std::size_t at) {
        Utf8Step step = readUtf8(text + at, count - at);
        if (step.kind != Utf8Step::Character) {
            step.length = 1;
            step.codePoint = static_cast<unsigned char>(text[at]);
        }
        return step;
    };
    std::size_t at = 0;
    for (std::size_t seen = 0; seen < characters && at < count; ++seen) {
        std::size_t end = at + stepAt(at).length;
        while (end < count) {
            const Utf8Step mark = stepAt(end);
            if (!isCombiningMark(mark.codePoint)) break;
            end += mark.length;
        }
        if (end > maxBytes) break;
        at = end;
    }
    return at;
}

}  // namespace brindlemark::text
