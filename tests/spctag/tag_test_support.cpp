#include "tests/spctag/tag_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

// The text as a string, or a marker when the array holds no NUL.
std::string textOf(const char* field, std::size_t size) {
    const void* nul = std::memchr(field, '\0', size);
    if (nul == nullptr) return "<no NUL in " + std::to_string(size) + " bytes>";
    return std::string(field, static_cast<const char*>(nul));
}

}  // namespace

std::vector<NamedFile> allTestFiles() {
    std::vector<NamedFile> all;
    for (auto* group : {baseTagFiles, extendedTagFiles, identificationFiles, loaderFiles}) {
        std::vector<NamedFile> files = group();
        all.insert(all.end(), files.begin(), files.end());
    }
    return all;
}

void fillRecord(ID666Tag& tag, unsigned char pattern) {
    std::memset(static_cast<void*>(&tag), pattern, sizeof tag);
}

bool sameBytes(const ID666Tag& a, const ID666Tag& b) {
    return std::memcmp(static_cast<const void*>(&a), static_cast<const void*>(&b), sizeof a) == 0;
}

void expectSameRecord(const ID666Tag& a, const ID666Tag& b, bool withBinaryFormat) {
#define EXPECT_SAME_TEXT(field) \
    EXPECT_EQ(textOf(a.field, sizeof a.field), textOf(b.field, sizeof b.field)) << #field
#define EXPECT_SAME_NUMBER(field) EXPECT_EQ(a.field, b.field) << #field
    if (withBinaryFormat) {
        EXPECT_SAME_NUMBER(binaryFormat);
    }
    EXPECT_SAME_TEXT(song);
    EXPECT_SAME_TEXT(game);
    EXPECT_SAME_TEXT(artist);
    EXPECT_SAME_TEXT(dumper);
    EXPECT_SAME_TEXT(comments);
    EXPECT_SAME_TEXT(ostTitle);
    EXPECT_SAME_TEXT(publisher);
    EXPECT_SAME_TEXT(dateText);
    EXPECT_SAME_NUMBER(date.day);
    EXPECT_SAME_NUMBER(date.month);
    EXPECT_SAME_NUMBER(date.year);
    EXPECT_SAME_NUMBER(copyrightYear);
    EXPECT_SAME_NUMBER(ostTrack);
    EXPECT_SAME_NUMBER(ostDisc);
    EXPECT_SAME_NUMBER(mutedVoices);
    EXPECT_SAME_NUMBER(emulator);
    EXPECT_SAME_NUMBER(amplification);
    EXPECT_SAME_NUMBER(introLength);
    EXPECT_SAME_NUMBER(loopLength);
    EXPECT_SAME_NUMBER(loopCount);
    EXPECT_SAME_NUMBER(endLength);
    EXPECT_SAME_NUMBER(fadeLength);
#undef EXPECT_SAME_TEXT
#undef EXPECT_SAME_NUMBER
}

void expectRecordInvariants(const ID666Tag& tag) {
    for (const char* field : {tag.song, tag.game, tag.artist, tag.dumper, tag.comments,
                              tag.ostTitle, tag.publisher}) {
        EXPECT_NE(std::memchr(field, '\0', ID666Tag::kTextSize), nullptr);
    }
    ASSERT_NE(std::memchr(tag.dateText, '\0', sizeof tag.dateText), nullptr);
    EXPECT_TRUE(tag.dateText[0] == '\0' || tag.date.empty()) << "date and dateText both set";
    if (!tag.date.empty()) {
        const int ymd = tag.date.year * 10000 + tag.date.month * 100 + tag.date.day;
        EXPECT_GE(ymd, 19980415);
        EXPECT_LE(ymd, 99991231);
    }
    EXPECT_LE(tag.copyrightYear, 65535u);
    const unsigned track = tag.ostTrack >> 8;
    EXPECT_TRUE(tag.ostTrack == 0 || (track >= 1 && track <= 99)) << tag.ostTrack;
    EXPECT_LE(tag.ostDisc, 9u);
    EXPECT_TRUE(tag.amplification == 0 ||
                (tag.amplification >= 32768 && tag.amplification <= 524288))
        << tag.amplification;
    EXPECT_LE(tag.introLength, 383999999u);
    EXPECT_LE(tag.loopLength, 383999999u);
    EXPECT_GE(tag.loopCount, 1u);
    EXPECT_LE(tag.loopCount, 9u);
    EXPECT_LE(tag.endLength, 383999999);
    EXPECT_GE(static_cast<long long>(tag.endLength), -static_cast<long long>(tag.loopLength));
    EXPECT_LE(tag.fadeLength, 3839999u);
}

std::size_t TestSource::readAt(std::uint64_t offset, unsigned char* out, std::size_t count) const {
    reads.push_back({offset, count});
    std::fill_n(out, count, static_cast<unsigned char>(0xE7));
    if (failFrom >= 0 && reads.size() > static_cast<std::size_t>(failFrom)) return 0;
    const std::uint64_t end = std::min<std::uint64_t>(endsAt, image_.size());
    if (offset >= end) return 0;
    const std::size_t given = static_cast<std::size_t>(std::min<std::uint64_t>(count, end - offset));
    std::copy_n(image_.begin() + static_cast<std::ptrdiff_t>(offset), given, out);
    return given;
}

spcbuild::Bytes zeroedFrom(spcbuild::Bytes image, std::size_t from) {
    if (from < image.size()) std::fill(image.begin() + static_cast<std::ptrdiff_t>(from), image.end(), 0);
    return image;
}
