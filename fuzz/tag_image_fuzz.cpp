// Feeds arbitrary file images to identification and to the image form of the
// tag loader, and checks after every load that the record keeps the promises
// the rest of the program builds on. A broken promise aborts, which libFuzzer
// reports as a crash; AddressSanitizer reports any read outside the image.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "spctag/file_identification.h"
#include "spctag/id666_tag.h"
#include "spctag/spc_layout.h"

using namespace brindlemark::spctag;

extern "C" std::size_t LLVMFuzzerMutate(std::uint8_t* data, std::size_t size, std::size_t maxSize);

namespace {

void require(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "record invariant broken: %s\n", what);
    std::abort();
}

bool terminatedWithin(const char* field, std::size_t width) {
    return std::memchr(field, 0, width) != nullptr;
}

bool isLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

// A stored dump date is a real calendar date from 15 April 1998 to 31 December 9999.
bool isBelievableDate(const DumpDate& d) {
    static const int DATE_MONTH_LENGTHS[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const int year = d.year, month = d.month, day = d.day;
    if (year < 1998 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
    const int length = DATE_MONTH_LENGTHS[month - 1] + (month == 2 && isLeapYear(year) ? 1 : 0);
    if (day > length) return false;
    return !(year == 1998 && (month < 4 || (month == 4 && day < 15)));
}

void checkRecord(const ID666Tag& tag) {
    const char* const texts[] = {tag.path,     tag.song,     tag.game,      tag.artist,
                                 tag.dumper,   tag.comments, tag.ostTitle, tag.publisher};
    for (const char* text : texts) require(terminatedWithin(text, ID666Tag::kTextSize), "text field without NUL");
    require(terminatedWithin(tag.dateText, ID666Tag::DATE_TEXT_SIZE), "dateText without NUL");
    require(tag.dateText[0] == '\0' || tag.date.empty(), "dateText and date both set");
    require(tag.date.empty() || isBelievableDate(tag.date), "stored date is not a believable dump date");
    require(tag.ostDisc <= 9, "ostDisc above 9");
    const std::uint32_t track = tag.ostTrack >> 8;
    require(tag.ostTrack == 0 || (track >= 1 && track <= 99), "ostTrack outside 1..99");
    require(tag.loopCount >= 1 && tag.loopCount <= 9, "loopCount outside 1..9");
    require(tag.amplification == 0 || (tag.amplification >= 32768 && tag.amplification <= 524288),
            "amplification outside 0 or 32768..524288");
    require(tag.copyrightYear <= 65535, "copyrightYear above 65535");
    require(tag.introLength <= 383999999 && tag.loopLength <= 383999999, "length above 100 minutes");
    require(tag.fadeLength <= 3839999, "fade above 60 seconds");
    require(static_cast<std::int64_t>(tag.endLength) >= -static_cast<std::int64_t>(tag.loopLength),
            "endLength below minus loopLength");
    require(tag.binaryFormat <= 1, "binaryFormat neither 0 nor 1");
}

// The extended block once more, this time from a heap buffer of exactly the
// block's size: the decoder must not read at or past the block's end even
// where the image would have more bytes behind it.
void decodeBlockAlone(const ID666Tag& loaded, const std::uint8_t* image, std::uint32_t size) {
    const std::uint32_t stored = spclayout::readU32(image + spclayout::XID6_SIZE);
    const std::uint32_t available = size - spclayout::XID6_BLOCK;
    std::uint32_t blockSize = stored < available ? stored : available;
    if (blockSize > spclayout::XID6_READ_LIMIT) blockSize = spclayout::XID6_READ_LIMIT;  // as the loader reads it
    std::vector<unsigned char> block(image + spclayout::XID6_BLOCK, image + spclayout::XID6_BLOCK + blockSize);
    static ID666Tag again;
    again = loaded;
    again.decodeExtended(block.data(), static_cast<std::int32_t>(blockSize));
    checkRecord(again);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0 || size > UINT32_MAX) return 0;
    const auto imageSize = static_cast<std::uint32_t>(size);

    // One record for every input, as the batch reuses one record for a drop.
    static ID666Tag tag;
    static ID666Tag before;
    std::memcpy(static_cast<void*>(&before), &tag, sizeof tag);

    const FileKind identified = identifySpcImage(data, imageSize);
    require(identified != KIND_OPEN_FAILED, "image identified as unopenable");
    const FileKind kind = tag.load(data, imageSize);
    require(kind == identified, "load and identification disagree on the kind");

    if (kind <= 0) {
        require(std::memcmp(&before, &tag, sizeof tag) == 0, "unrecognised image changed the record");
        return 0;
    }
    require(std::memcmp(before.path, tag.path, sizeof tag.path) == 0, "image form changed path");
    checkRecord(tag);
    if (!isSpcKind(kind)) {
        require(tag.song[0] == '\0' && tag.artist[0] == '\0' && tag.ostTitle[0] == '\0' &&
                    tag.ostTrack == 0 && tag.ostDisc == 0,
                "a file that is no SPC kept tag items");
    }
    if (kind == KIND_SPC_XID6) {
        require(imageSize >= spclayout::MIN_XID6_LOOK, "extended tag reported for a short image");
        decodeBlockAlone(tag, data, imageSize);
    }
    return 0;
}

// Most bytes of a file image are the sound image, which nothing reads. Aim
// most mutations at the places the reader looks at: the header with the base
// tag, the copier header, the cartridge header candidates and the extended tag
// behind the sound image (the only region allowed to grow or shrink).
extern "C" std::size_t LLVMFuzzerCustomMutator(std::uint8_t* data, std::size_t size, std::size_t maxSize,
                                               unsigned int seed) {
    std::minstd_rand random(seed);
    const unsigned choice = static_cast<unsigned>(random() % 8);
    if (choice == 0 || size < spclayout::HEADER_SIZE) return LLVMFuzzerMutate(data, size, maxSize);

    if (choice <= 2 && size >= spclayout::XID6_MARKER && maxSize > spclayout::XID6_MARKER) {
        const std::size_t start = spclayout::XID6_MARKER;
        return start + LLVMFuzzerMutate(data + start, size - start, maxSize - start);
    }

    std::size_t start = 0, width = spclayout::HEADER_SIZE;
    if (choice == 3) width = 512;
    if (choice == 4) {
        start = spclayout::ROM_CANDIDATES[random() % 4];
        width = 64;
    }
    if (start + width > size) return LLVMFuzzerMutate(data, size, maxSize);
    // Mutate a copy of the window in place; a window that shrank keeps its
    // old bytes behind the new end, so the image keeps its size.
    std::uint8_t window[512];
    std::memcpy(window, data + start, width);
    const std::size_t produced = LLVMFuzzerMutate(window, width, width);
    std::memcpy(data + start, window, produced);
    return size;
}
