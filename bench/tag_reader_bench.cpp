// Micro-benchmarks of the tag reader's hot paths: the two decoders, the
// image identification, and a load in both forms.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <unistd.h>

#include "spctag/file_identification.h"
#include "spctag/id666_tag.h"
#include "spctag/spc_layout.h"
#include "spcbuild/spc_builder.h"

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

Bytes spcWithExtendedTag() {
    Bytes spc = spcWithTextTag(textTag());
    appendExtendedTag(spc, twentyChunks());
    return spc;
}

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
    tag.load(spcWithTextTag(textTag()).data(), static_cast<std::uint32_t>(kSpcMinSize));
    for (auto _ : state) {
        benchmark::DoNotOptimize(tag.decodeExtended(block.data(), static_cast<std::int32_t>(block.size())));
        benchmark::DoNotOptimize(tag);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(block.size()));
}
BENCHMARK(BM_decodeExtended_20chunks);

void BM_identifySpcImage_spc(benchmark::State& state) {
    const Bytes spc = spcWithExtendedTag();
    for (auto _ : state) benchmark::DoNotOptimize(identifySpcImage(spc.data(), static_cast<std::uint32_t>(spc.size())));
}
BENCHMARK(BM_identifySpcImage_spc);

void BM_identifySpcImage_rom(benchmark::State& state) {
    // The longest road: a cartridge whose header is found at the last candidate.
    const Bytes rom = romImage(CopierHeader::Other, "TITLE", 0x33, 0x21);
    for (auto _ : state) benchmark::DoNotOptimize(identifySpcImage(rom.data(), static_cast<std::uint32_t>(rom.size())));
}
BENCHMARK(BM_identifySpcImage_rom);

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

// The path form, for comparison: open, identify, read and close a file that
// sits in the page cache.
void BM_loadPath(benchmark::State& state, bool extended) {
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
        benchmark::DoNotOptimize(tag.load(path, 0));
        benchmark::DoNotOptimize(tag);
    }
    std::remove(path);
}
BENCHMARK_CAPTURE(BM_loadPath, base_only, false);
BENCHMARK_CAPTURE(BM_loadPath, with_20_chunks, true);

}  // namespace

BENCHMARK_MAIN();
