// Micro-benchmarks of the tag reader's hot paths: the two decoders,
// identification, and a load from memory and from a file.

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>

#include "spctag/byte_source.h"
#include "spctag/file_identification.h"
#include "spctag/id666_tag.h"
#include "spctag/image_source.h"
#include "spctag/spc_layout.h"
#include "spcbuild/spc_builder.h"

using namespace brindlemark::spctag;

using namespace spcbuild;

namespace {

// A base tag with every field in use, as dumps usually carry them.
TextTag textTag() {
    TextTag t;
    t.song = "Underground Waterway";
    t.game = "A Quest Through Many Lands";
    t.dumper = "a dumper";
    t.comments = "looped once, faded out";
    t.date = "03/07/2004";
    t.seconds = "125";
    t.fadeMs = "8000";
    t.artist = "First and Second Composer";
    t.emulator = '1';
    return t;
}

BinaryTag binaryTag() {
    BinaryTag t;
    t.song = "Underground Waterway";
    t.game = "A Quest Through Many Lands";
    t.artist = "First and Second Composer";
    t.day = 7;
    t.month = 3;
    t.year = 2004;
    t.seconds = 125;
    t.fadeMs = 8000;
    return t;
}

// Twenty chunks as a well-filled extended tag carries them.
Bytes twentyChunks() {
    return chunkBlock({
        textChunk(0x01, "A Rather Long Song Title Beyond 32 Characters"),
        textChunk(0x02, "A Rather Long Game Title Beyond 32 Characters"),
        textChunk(0x03, "Composer One, Composer Two"),
        textChunk(0x04, "Dumper"),
        integerChunk(0x05, 0x07D00C1F),
        valueChunk(0x06, 3),
        textChunk(0x07, "Some comments about this dump"),
        textChunk(0x10, "Original Soundtrack Title"),
        valueChunk(0x11, 2),
        valueChunk(0x12, 0x0C00),
        textChunk(0x13, "Publisher"),
        valueChunk(0x14, 1995),
        integerChunk(0x30, 64000 * 90),
        integerChunk(0x31, 64000 * 30),
        integerChunk(0x32, 64000 * 2),
        integerChunk(0x33, 64000 * 5),
        valueChunk(0x34, 0x00),
        valueChunk(0x35, 2),
        valueChunk(0x36, 16),
        textChunk(0x02, "Game Title Again"),
    });
}

Bytes spcWithExtendedTag() { return withExtendedTag(spcWithTextTag(textTag()), twentyChunks()); }

// An open file read with pread, as the batch reads one.
class DescriptorSource final : public ByteSource {
public:
    DescriptorSource(int fd, std::uint64_t size) : fd_(fd), size_(size) {}
    std::uint64_t size() const override { return size_; }
    std::size_t readAt(std::uint64_t offset, unsigned char* out, std::size_t count) const override {
        const ssize_t got = ::pread(fd_, out, count, static_cast<off_t>(offset));
        return got > 0 ? static_cast<std::size_t>(got) : 0;
    }

private:
    int fd_;
    std::uint64_t size_;
};

void BM_decodeBase_text(benchmark::State& state) {
    const Bytes spc = spcWithTextTag(textTag());
    ID666Tag tag;
    for (auto _ : state) {
        tag.decodeBase(spc.data());
        benchmark::DoNotOptimize(tag);
    }
}
BENCHMARK(BM_decodeBase_text);

void BM_decodeBase_binary(benchmark::State& state) {
    const Bytes spc = spcWithBinaryTag(binaryTag());
    ID666Tag tag;
    for (auto _ : state) {
        tag.decodeBase(spc.data());
        benchmark::DoNotOptimize(tag);
    }
}
BENCHMARK(BM_decodeBase_binary);

void BM_decodeExtended_20chunks(benchmark::State& state) {
    const Bytes block = twentyChunks();
    ID666Tag tag;
    tag.load(spcWithTextTag(textTag()).data(), static_cast<std::uint32_t>(SPC_MIN_SIZE));
    for (auto _ : state) {
        benchmark::DoNotOptimize(tag.decodeExtended(block.data(), static_cast<std::int32_t>(block.size())));
        benchmark::DoNotOptimize(tag);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(block.size()));
}
BENCHMARK(BM_decodeExtended_20chunks);

void identify(benchmark::State& state, const Bytes& file) {
    const ImageSource image(file.data(), static_cast<std::uint32_t>(file.size()));
    const auto bytes = std::make_unique<SpcFileBytes>();
    for (auto _ : state) benchmark::DoNotOptimize(identifySpcFile(image, *bytes));
}

void BM_identify_spc(benchmark::State& state) { identify(state, spcWithExtendedTag()); }
BENCHMARK(BM_identify_spc);

void BM_identify_rom(benchmark::State& state) {
    // The longest road: a cartridge whose header is found at the last candidate.
    identify(state, romImage(CopierHeader::Other, "TITLE", 0x33, 0x21));
}
BENCHMARK(BM_identify_rom);

void BM_loadImage(benchmark::State& state, bool extended) {
    const Bytes spc = extended ? spcWithExtendedTag() : spcWithTextTag(textTag());
    ID666Tag tag;
    for (auto _ : state) {
        benchmark::DoNotOptimize(tag.load(spc.data(), static_cast<std::uint32_t>(spc.size())));
        benchmark::DoNotOptimize(tag);
    }
}
BENCHMARK_CAPTURE(BM_loadImage, base_only, false);
BENCHMARK_CAPTURE(BM_loadImage, with_20_chunks, true);

// From a file, for comparison: open, measure, read the tag and close a file
// that sits in the page cache.
void BM_loadFile(benchmark::State& state, bool extended) {
    char path[] = "/tmp/brindlemark-bench-XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0) {
        state.SkipWithError("cannot make a temporary file");
        return;
    }
    close(fd);
    writeFile(path, extended ? spcWithExtendedTag() : spcWithTextTag(textTag()));
    ID666Tag tag;
    for (auto _ : state) {
        const int file = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        struct stat info;
        if (file < 0 || ::fstat(file, &info) != 0) {
            if (file >= 0) ::close(file);
            state.SkipWithError("cannot open the temporary file");
            break;
        }
        benchmark::DoNotOptimize(tag.load(DescriptorSource(file, static_cast<std::uint64_t>(info.st_size)), path));
        benchmark::DoNotOptimize(tag);
        ::close(file);
    }
    std::remove(path);
}
BENCHMARK_CAPTURE(BM_loadFile, base_only, false);
BENCHMARK_CAPTURE(BM_loadFile, with_20_chunks, true);

}  // namespace

BENCHMARK_MAIN();
