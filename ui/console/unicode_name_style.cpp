#include "ui/console/unicode_name_style.h"

#include <utf8proc.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "spctag/text_items.h"
#include "text/utf8.h"

namespace brindlemark::console {

using spctag::ID666Tag;

using text::Utf8Step;
using text::isAscii;
using text::readUtf8;
using text::utf8PrefixLength;

namespace {

// Replaces text by its NFC form when that is at most `limit` bytes long;
// false (text unchanged) otherwise or when it cannot be normalised.
bool normalise(std::string& text, std::size_t limit) {
    utf8proc_uint8_t* mapped = nullptr;
    const utf8proc_ssize_t length =
        utf8proc_map(reinterpret_cast<const utf8proc_uint8_t*>(text.data()), static_cast<utf8proc_ssize_t>(text.size()),
                     &mapped, static_cast<utf8proc_option_t>(UTF8PROC_STABLE | UTF8PROC_COMPOSE));
    // utf8proc hands over text it allocated with malloc: freed when this returns.
    const std::unique_ptr<utf8proc_uint8_t, decltype(&std::free)> composed(mapped, &std::free);
    const bool fits = length >= 0 && static_cast<std::size_t>(length) <= limit;
    if (fits) text.assign(reinterpret_cast<const char*>(composed.get()), static_cast<std::size_t>(length));
    return fits;
}

bool isForbiddenCharacter(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || rename::isForbiddenNameCharacter(c);
}

}  // namespace

void UnicodeNameStyle::prepareSet(const std::vector<const ID666Tag*>& tags) const {
    decoder_.decideSet(tags.data(), tags.size());
}

void UnicodeNameStyle::prepareTag(ID666Tag& tag) const {
    readTagTexts(tag, texts_);
    const std::vector<TagText>& texts = texts_;
    TextEncoding encoding = ENCODING_ASCII;
    bool decided = false;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (isAscii(texts[i].bytes, texts[i].size)) continue;
        if (!decided) encoding = decoder_.decide(texts);
        decided = true;
        text_.clear();
        decoder_.decode(texts[i], encoding, text_);
        normalise(text_, std::string::npos);
        const std::size_t length = utf8PrefixLength(text_.data(), text_.size(), spctag::TAG_TEXT_LONGEST);
        char* const field = tag.*spctag::TAG_TEXT_ITEMS[i].field;
        std::memcpy(field, text_.data(), length);
        field[length] = '\0';
    }
}

std::size_t UnicodeNameStyle::cleanName(char* name, std::size_t size) const {
    text_.clear();
    for (std::size_t at = 0; at < size;) {
        const Utf8Step step = readUtf8(name + at, size - at);
        const bool whole = step.kind == Utf8Step::Character;
        const std::size_t length = whole ? step.length : 1;
        if (!whole || isForbiddenCharacter(step.codePoint)) {
            text_ += '_';
        } else {
            text_.append(name + at, length);
        }
        at += length;
    }
    normalise(text_, size);
    std::memcpy(name, text_.data(), text_.size());
    name[text_.size()] = '\0';
    return text_.size();
}

void UnicodeNameStyle::finishName(std::string& newPath, std::size_t nameStart) const {
    text_.assign(newPath, nameStart, std::string::npos);
    if (!normalise(text_, std::string::npos)) return;
    newPath.resize(nameStart);
    newPath += text_;
}

}  // namespace brindlemark::console
