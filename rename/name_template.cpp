#include "rename/name_template.h"

#include <cstdio>
#include <cstring>

#include "platform/path_parts.h"
#include "text/utf8.h"

namespace brindlemark::rename {

using spctag::ID666Tag;

const char* afterLast(const char* text, char c) {
    const char* last = c == '\0' ? nullptr : std::strrchr(text, c);
    return last == nullptr ? text : last + 1;
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
bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// ---- Numbers from the file's own name -----------------------------------

// Disc and track as the file's name gives them, each as its characters
// stand (null when the name gives none).
struct NameNumbers {
    const char* disc = nullptr;
    std::size_t discLength = 0;
    const char* track = nullptr;
    std::size_t trackLength = 0;
};

// The characters next to the last "-" of the file's own name (never a
// folder's): "game1-04.spc" is disc 1 (a digit right before the "-", unless
// it is the path's first character) and track 04 (from a digit right after
// it up to the next ".").
NameNumbers numbersNextToLastDash(const char* droppedPath) {
    NameNumbers numbers;
    const char* dash = std::strrchr(platform::fileNameOf(droppedPath), '-');
    if (dash == nullptr) return numbers;
    if (isDigit(dash[1])) {
        numbers.track = dash + 1;
        numbers.trackLength = std::strcspn(dash + 1, ".");
    }
    if (dash - droppedPath >= 2 && isDigit(dash[-1])) {
        numbers.disc = dash - 1;
        numbers.discLength = 1;
    }
    return numbers;
}

// The end of a number at text: zeros, then at most `significant` digits
// (%9N writes "000000007"); null when there is no digit or more of them.
const char* numberEnd(const char* text, std::size_t significant) {
    const char* at = text;
    while (*at == '0') ++at;
    const char* const first = at;
    while (isDigit(*at)) ++at;
    return at == text || static_cast<std::size_t>(at - first) > significant ? nullptr : at;
}

// The console's own form, "07 - Castle Gate", "12b - Boss", "1-07 - Title":
// a disc of one digit and "-" if there is one, a track of up to three
// digits (and zeros before them) with its letter, then " - ".
bool numbersOfOwnForm(const char* name, NameNumbers& numbers) {
    const char* track = name;
    const char* discEnd = numberEnd(name, 1);
    if (discEnd != nullptr && *discEnd == '-' && numberEnd(discEnd + 1, 3) != nullptr) track = discEnd + 1;
    const char* end = numberEnd(track, 3);
    if (end == nullptr) return false;
    if (isLetter(*end)) ++end;
    if (std::strncmp(end, " - ", 3) != 0) return false;
    if (track != name) {
        numbers.disc = name;
        numbers.discLength = static_cast<std::size_t>(discEnd - name);
    }
    numbers.track = track;
    numbers.trackLength = static_cast<std::size_t>(end - track);
    return true;
}

// A number of one to three digits that begins the name and is followed by
// its end, " ", ".", "-" or "_": "03.spc", "03 Title.spc"; not "3D World"
// or "1999 Remix". Null when there is none.
const char* leadingNumberEnd(const char* name) {
    const char* end = name;
    while (isDigit(*end) && end - name < 4) ++end;
    const std::size_t digits = static_cast<std::size_t>(end - name);
    return digits >= 1 && digits <= 3 && (*end == '\0' || std::strchr(" .-_", *end) != nullptr) ? end : nullptr;
}

// The dialog reads the characters next to the last "-". The console reads,
// first, a name in its own form; then that "-"; then a number that begins
// the name, so that a run over names it made gives them again.
NameNumbers numbersOfName(const char* droppedPath, TemplateDialect dialect) {
    const NameNumbers nextToDash = numbersNextToLastDash(droppedPath);
    if (dialect == TemplateDialect::Dialog) return nextToDash;
    const char* name = platform::fileNameOf(droppedPath);
    NameNumbers numbers;
    if (numbersOfOwnForm(name, numbers)) return numbers;
    if (nextToDash.track != nullptr) return nextToDash;
    if (const char* end = leadingNumberEnd(name)) {
        numbers.track = name;
        numbers.trackLength = static_cast<std::size_t>(end - name);
        return numbers;
    }
    return nextToDash;
}

// ---- The codes ------------------------------------------------------------

// What a code writes.
enum class Item : std::uint8_t { Percent, Text, Disc, Track, Year };

// One code of the template and its rules.
struct CodeRule {
    char letter;              // after "%", in either case (folded by | 0x20)
    bool consoleOnly;         // unknown to the dialog, which keeps it literal
    Item item;
    char (ID666Tag::*text)[ID666Tag::kTextSize];  // Item::Text: the field
    bool takesWidth;          // %2N
    bool takesSetWidth;       // %*N
};

constexpr CodeRule CODES[] = {
    {'%', false, Item::Percent, nullptr, false, false},
    {'s', false, Item::Text, &ID666Tag::song, false, false},
    {'g', false, Item::Text, &ID666Tag::game, false, false},
    {'a', false, Item::Text, &ID666Tag::artist, false, false},
    {'t', false, Item::Text, &ID666Tag::ostTitle, false, false},
    {'d', false, Item::Disc, nullptr, true, false},
    {'n', false, Item::Track, nullptr, true, true},
    {'y', true, Item::Year, nullptr, false, false},
    {'p', true, Item::Text, &ID666Tag::publisher, false, false},
};

// The rule of the code character c in the dialect, or null. The folding
// also maps the control character 0x05 onto "%", as the dialog always did.
const CodeRule* findCode(char c, TemplateDialect dialect) {
    const char folded = static_cast<char>(c | 0x20);
    for (const CodeRule& rule : CODES) {
        if (rule.letter == folded && (!rule.consoleOnly || dialect == TemplateDialect::Console)) return &rule;
    }
    return nullptr;
}

std::uint8_t indexOf(const CodeRule* rule) { return static_cast<std::uint8_t>(rule - CODES); }

// ---- Writing ----------------------------------------------------------------

// Appends to a stem, never past its storage, always NUL-terminated.
class StemWriter {
public:
    explicit StemWriter(StemOutput out) : out_(out) {
        if (out_.size > 0) out_.data[0] = '\0';
    }
    void append(const char* text, std::size_t length) {
        const std::size_t room = out_.size > 0 ? out_.size - 1 - length_ : 0;
        if (length > room) length = room;
        std::memcpy(out_.data + length_, text, length);
        cutTo(length_ + length);
    }
    // Leading zeros until the digits that begin text are width, then text.
    void appendPadded(const char* text, std::size_t length, unsigned width) {
        std::size_t digits = 0;
        while (digits < length && isDigit(text[digits])) ++digits;
        for (; digits < width; ++digits) append("0", 1);
        append(text, length);
    }
    void cutTo(std::size_t length) {
        length_ = length;
        if (out_.size > 0) out_.data[length_] = '\0';
    }
    std::size_t length() const { return length_; }

private:
    StemOutput out_;
    std::size_t length_ = 0;
};

// Where a code's item came from.
enum class Served { Tag, Name, Absent, Always };

// What one expansion reads: the tag, and the file's name when the tag lacks
// a number (read once, when first asked).
class ItemSource {
public:
    ItemSource(const ID666Tag& tag, const char* droppedPath, TemplateDialect dialect)
        : tag_(tag), droppedPath_(droppedPath), dialect_(dialect) {}
    const ID666Tag& tag() const { return tag_; }
    const NameNumbers& name() {
        if (!nameRead_) numbers_ = numbersOfName(droppedPath_, dialect_);
        nameRead_ = true;
        return numbers_;
    }

private:
    const ID666Tag& tag_;
    const char* droppedPath_;
    TemplateDialect dialect_;
    NameNumbers numbers_;
    bool nameRead_ = false;
};

// Writes a number of the tag with the least digits width; a track's letter
// (its low 8 bits) follows its number.
void writeNumber(StemWriter& out, std::uint32_t number, char letter, unsigned width) {
    char digits[16];
    const int n = letter != '\0' ? std::snprintf(digits, sizeof digits, "%u%c", number, letter)
                                 : std::snprintf(digits, sizeof digits, "%u", number);
    out.appendPadded(digits, static_cast<std::size_t>(n), width);
}

Served writeItem(const CodeRule& rule, unsigned width, ItemSource& source, StemWriter& out) {
    const ID666Tag& tag = source.tag();
    switch (rule.item) {
        case Item::Percent: out.append("%", 1); return Served::Always;
        case Item::Text: {
            // At most 255 characters, even were the field's NUL missing.
            const char* field = tag.*rule.text;
            const std::size_t length = strnlen(field, ID666Tag::kTextSize - 1);
            out.append(field, length);
            return length > 0 ? Served::Tag : Served::Absent;
        }
        case Item::Year:
            if (tag.copyrightYear == 0) return Served::Absent;
            writeNumber(out, tag.copyrightYear, '\0', 0);
            return Served::Tag;
        case Item::Disc: {
            if (tag.ostDisc != 0) {
                writeNumber(out, tag.ostDisc, '\0', width);
                return Served::Tag;
            }
            const NameNumbers& name = source.name();
            if (name.disc == nullptr) return Served::Absent;
            out.appendPadded(name.disc, name.discLength, width);
            return Served::Name;
        }
        case Item::Track: {
            if (tag.ostTrack != 0) {
                writeNumber(out, tag.ostTrack >> 8, static_cast<char>(tag.ostTrack & 0xFF), width);
                return Served::Tag;
            }
            const NameNumbers& name = source.name();
            if (name.track == nullptr) return Served::Absent;
            out.appendPadded(name.track, name.trackLength, width);
            return Served::Name;
        }
    }
    return Served::Absent;
}

}  // namespace

unsigned trackNumberWritten(const ID666Tag& tag, const char* droppedPath, TemplateDialect dialect) {
    if (tag.ostTrack != 0) return tag.ostTrack >> 8;
    // The largest number of NAME_NUMBER_MAX_WIDTH digits: no set is wider.
    constexpr unsigned WIDEST = [] {
        unsigned widest = 0;
        for (unsigned digit = 0; digit < NAME_NUMBER_MAX_WIDTH; ++digit) widest = widest * 10 + 9;
        return widest;
    }();
    const NameNumbers name = numbersOfName(droppedPath, dialect);
    unsigned number = 0;
    for (std::size_t at = 0; at < name.trackLength && isDigit(name.track[at]); ++at) {
        number = number > WIDEST / 10 ? WIDEST : number * 10 + static_cast<unsigned>(name.track[at] - '0');
    }
    return number;
}

std::size_t countedTemplateLength(const char* text) {
    return text::seenCharactersLength(text, NAME_TEMPLATE_MAX_LENGTH, NAME_TEMPLATE_MAX_BYTES);
}

NameTemplate::NameTemplate(const char* text, TemplateDialect dialect) : dialect_(dialect) {
    // The template comes counted where it was read; only its storage bounds it here.
    const std::size_t length = platform::pathPrefixLength(text, std::strlen(text), NAME_TEMPLATE_MAX_BYTES);
    std::memcpy(text_, text, length);
    text_[length] = '\0';
    const bool console = dialect == TemplateDialect::Console;
    const auto fault = [this](TemplateFault::Kind kind, std::size_t at) {
        if (fault_.kind == TemplateFault::None) fault_ = {kind, at};
    };
    const auto piece = [](Piece::Kind kind, std::size_t at, std::size_t bytes) {
        return Piece{kind, 0, 0, false, static_cast<std::uint8_t>(at), static_cast<std::uint8_t>(bytes)};
    };
    constexpr std::size_t NONE = NAME_TEMPLATE_MAX_BYTES + 1;
    std::size_t open = NONE;  // where the group being read opened
    for (std::size_t at = 0; at < length;) {
        const char c = text_[at];
        if (console && (c == '{' || c == '}')) {
            // A brace out of place stays literal: the console refuses it before any expansion.
            const bool opens = c == '{';
            if (opens == (open == NONE)) {
                add(piece(opens ? Piece::Open : Piece::Close, at, 1));
                open = opens ? at : NONE;
            } else {
                fault(opens ? TemplateFault::NestedBrace : TemplateFault::StrayClosingBrace, at);
                add(piece(Piece::Text, at, 1));
            }
            ++at;
            continue;
        }
        if (c != '%') {
            const std::size_t run = std::strcspn(text_ + at, console ? "%{}" : "%");
            add(piece(Piece::Text, at, run));
            at += run;
            continue;
        }
        const char* next = text_ + at + 1;
        if (console && (*next == '{' || *next == '}')) {  // %{ and %} write a brace
            add(piece(Piece::Text, at + 1, 1));
            at += 2;
            continue;
        }
        if (console) {  // %2N, %02N, %2D, %*N
            const char* code = next;
            const bool setWidth = *code == '*';
            if (setWidth) ++code;
            if (!setWidth && code[0] == '0' && code[1] >= '1' && code[1] <= '9') ++code;
            unsigned width = 0;
            if (!setWidth && *code >= '1' && *code <= '9') width = static_cast<unsigned>(*code++ - '0');
            const CodeRule* rule = setWidth || width > 0 ? findCode(*code, dialect) : nullptr;
            if (rule != nullptr && (setWidth ? rule->takesSetWidth : rule->takesWidth)) {
                add(Piece{Piece::Code, indexOf(rule), static_cast<std::uint8_t>(width), setWidth,
                          static_cast<std::uint8_t>(at), static_cast<std::uint8_t>(code + 1 - (text_ + at))});
                at = static_cast<std::size_t>(code + 1 - text_);
                continue;
            }
        }
        const CodeRule* rule = findCode(*next, dialect);
        if (rule == nullptr) {
            // Not a code: the "%" stands for itself, and the character after
            // it is read again as literal text.
            if (console && isLetter(*next)) fault(TemplateFault::UnknownCode, at);
            add(piece(Piece::Text, at, 1));
            ++at;
            continue;
        }
        Piece code = piece(rule->item == Item::Percent ? Piece::Text : Piece::Code, at, 2);
        code.code = indexOf(rule);
        if (rule->item == Item::Percent) code.length = 1;  // "%%" writes its first "%"
        add(code);
        at += 2;
    }
    if (open != NONE) {
        fault(TemplateFault::UnclosedBrace, open);
        add(piece(Piece::Close, length, 0));
    }
}

void NameTemplate::add(const Piece& piece) {
    Piece* last = count_ > 0 ? &pieces_[count_ - 1] : nullptr;
    if (piece.kind == Piece::Text && last != nullptr && last->kind == Piece::Text &&
        last->at + last->length == piece.at) {
        last->length = static_cast<std::uint8_t>(last->length + piece.length);
        return;
    }
    if (count_ < NAME_TEMPLATE_MAX_BYTES) pieces_[count_++] = piece;
}

Expansion expandNameTemplate(const NameTemplate& nameTemplate, const ID666Tag& tag, const char* droppedPath,
                             unsigned setWidth, StemOutput stem) {
    StemWriter out(stem);
    ItemSource source(tag, droppedPath, nameTemplate.dialect());
    const unsigned widthOfSet =
        setWidth < NAME_SET_MIN_WIDTH ? NAME_SET_MIN_WIDTH : setWidth > NAME_NUMBER_MAX_WIDTH ? NAME_NUMBER_MAX_WIDTH : setWidth;
    int status = noTagItem;
    // A group is written only when every item in it is present; then its
    // items from the tag count as taken. One that is not written counts as
    // neither taken nor missing.
    bool inGroup = false, groupTaken = false, groupMissing = false;
    std::size_t groupStart = 0;
    for (const NameTemplate::Piece& piece : nameTemplate) {
        switch (piece.kind) {
            case NameTemplate::Piece::Text: out.append(nameTemplate.text() + piece.at, piece.length); break;
            case NameTemplate::Piece::Open:
                inGroup = true;
                groupTaken = groupMissing = false;
                groupStart = out.length();
                break;
            case NameTemplate::Piece::Close:
                if (groupMissing) out.cutTo(groupStart);
                if (groupTaken && !groupMissing) status &= ~noTagItem;
                inGroup = false;
                break;
            case NameTemplate::Piece::Code: {
                const unsigned width = piece.setWidth ? widthOfSet : piece.width;
                const Served served = writeItem(CODES[piece.code], width, source, out);
                if (inGroup) {
                    groupTaken = groupTaken || served == Served::Tag;
                    groupMissing = groupMissing || served == Served::Absent;
                } else if (served == Served::Tag) {
                    status &= ~noTagItem;
                } else if (served == Served::Absent) {
                    status |= itemMissing;
                }
                break;
            }
        }
    }
    return {status, out.length()};
}

}  // namespace brindlemark::rename
