// Expands arbitrary templates with arbitrary tag texts and dropped paths and
// cleans the result as the batch does. The stem goes to heap storage of
// exactly the size the expansion promises to stay within, and the template
// and path sit in heap copies of their own length, so AddressSanitizer
// reports any write past the stem's storage and any read past an input.
// See name_input.h for the form of an input.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "fuzz/name_input.h"
#include "rename/name_template.h"
#include "rename/name_style.h"
#include "spctag/id666_tag.h"

using namespace brindlemark::spctag;

namespace {

using namespace brindlemark::rename;

void require(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "name invariant broken: %s\n", what);
    std::abort();
}

// A copy of text in a heap block of exactly its length and NUL.
std::unique_ptr<char[]> exactCopy(const char* text) {
    const std::size_t size = std::strlen(text) + 1;
    std::unique_ptr<char[]> copy(new char[size]);
    std::memcpy(copy.get(), text, size);
    return copy;
}

bool isSafeNameByte(unsigned char c) {
    return c >= 0x20 && c <= 0x7F && std::strchr("\\/:*?\"<>|", c) == nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    const std::uint8_t* at = data + 3;
    const std::uint8_t* const end = data + size;

    // The loader only ever leaves a disc of 0..9 and a track of 1..99 (or 0).
    static ID666Tag tag;
    tag.ostDisc = static_cast<std::uint8_t>(data[0] % 10);
    const unsigned track = data[1] % 100u;
    tag.ostTrack = track == 0 ? 0 : (track << 8 | data[2]);

    char nameTemplate[nameinput::TEMPLATE_MAX + 1];
    char path[nameinput::FUZZ_PATH_MAX + 1];
    nameinput::takeText(at, end, nameTemplate, nameinput::TEMPLATE_MAX);
    for (char* text : {tag.song, tag.game, tag.artist, tag.ostTitle}) {
        nameinput::takeText(at, end, text, nameinput::TEXT_MAX);
    }
    nameinput::takeText(at, end, path, nameinput::FUZZ_PATH_MAX);

    const auto templateCopy = exactCopy(nameTemplate);
    const auto pathCopy = exactCopy(path);
    static ID666Tag before;
    std::memcpy(static_cast<void*>(&before), &tag, sizeof tag);

    // Room for the stem and ".spc", so the batch's new name can be made in place.
    static std::unique_ptr<char[]> name(new char[NAME_STEM_SIZE + 4]);
    static std::unique_ptr<char[]> stem(new char[NAME_STEM_SIZE]);
    // Both languages: the high bit of the disc byte picks the console's.
    const TemplateDialect dialect = (data[0] & 0x80) != 0 ? TemplateDialect::Console : TemplateDialect::Dialog;
    const Expansion expansion = expandNameTemplate(NameTemplate(templateCopy.get(), dialect), tag, pathCopy.get(),
                                                   data[1] % 12u, {stem.get(), NAME_STEM_SIZE});
    const int status = expansion.status;

    require(status >= 0 && status <= 3, "status outside 0..3");
    const std::size_t stemLength = std::strlen(stem.get());
    require(stemLength == expansion.length, "expansion's length is not its stem's");
    require(stemLength <= NAME_STEM_MAX_LENGTH, "stem longer than its storage allows");
    require(std::memcmp(&before, &tag, sizeof tag) == 0, "expansion changed the tag");
    require(std::strcmp(pathCopy.get(), path) == 0 && std::strcmp(templateCopy.get(), nameTemplate) == 0,
            "expansion changed its inputs");
    if (nameTemplate[0] == '\0') require(status == noTagItem && stemLength == 0, "empty template not refused");
    if (std::strpbrk(nameTemplate, dialect == TemplateDialect::Console ? "%{}" : "%") == nullptr) {
        require(status == noTagItem && std::strcmp(stem.get(), nameTemplate) == 0,
                "literal template not copied as it is");
    }

    std::memcpy(name.get(), stem.get(), stemLength);
    std::memcpy(name.get() + stemLength, ".spc", 5);
    brindlemark::rename::cleanFileName(name.get());
    require(std::strlen(name.get()) == stemLength + 4, "cleaning changed the length");
    for (std::size_t i = 0; i < stemLength + 4; ++i) {
        require(isSafeNameByte(static_cast<unsigned char>(name[i])), "unsafe byte left in a cleaned name");
    }
    return 0;
}
