// File identification by signature and size, and the cartridge search with
// its copier headers.

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "spctag/file_identification.h"
#include "tests/spctag/tag_test_support.h"

using namespace brindlemark::spctag;

using spcbuild::Bytes;
using spcbuild::CopierHeader;
using spcbuild::putRomHeader;
using spcbuild::romImage;

namespace {

constexpr std::size_t ROM_IMAGE_SIZE = 0x40000;

Bytes resized(Bytes file, std::size_t size) {
    file.resize(size, 0);
    return file;
}

Bytes patched(Bytes file, std::size_t at, const std::string& bytes) {
    std::memcpy(file.data() + at, bytes.data(), bytes.size());
    return file;
}

Bytes spc(std::size_t size = spcbuild::SPC_MIN_SIZE) {
    return resized(spcbuild::spcWithTextTag(spcbuild::TextTag{"Song", "Game", "", "", "", "60", "", "", '0'}), size);
}

// An SPC file with "xid6" and a stored size, cut or grown to the given size.
Bytes spcWithMarker(std::size_t size, std::int64_t storedSize, const char* marker = "xid6") {
    Bytes file = spc();
    spcbuild::appendExtendedTag(file, Bytes(8, 0), storedSize);
    return patched(resized(file, size), 0x10200, marker);
}

Bytes withRomHeader(Bytes file, std::size_t at, const std::string& title = "HEADER", std::uint8_t mapMode = 0x20) {
    putRomHeader(file, at, title, 0x33, mapMode);
    return file;
}

Bytes zeros(std::size_t size) { return Bytes(size, 0); }

struct IdentifyCase {
    NamedFile file;
    FileKind kind;
};

void PrintTo(const IdentifyCase& c, std::ostream* os) { *os << c.file.name; }

std::vector<IdentifyCase> makeIdentifyCases();

// Built once per test process: every process builds the tables.
const std::vector<IdentifyCase>& identifyCases() {
    static const std::vector<IdentifyCase> cases = makeIdentifyCases();
    return cases;
}

std::vector<IdentifyCase> makeIdentifyCases() {
    const Bytes aabb = romImage(CopierHeader::Aabb, "AABB", 1);
    const Bytes flagHigh = romImage(CopierHeader::Flag, "FLAG", 1, 0x21);  // header at 0x101C0
    return {
        {{"empty", {}}, KIND_UNKNOWN},
        {{"signature_only", resized(spc(), 27)}, KIND_UNKNOWN},
        {{"spc_one_byte_short", spc(0x10200 - 1)}, KIND_UNKNOWN},
        {{"spc_smallest", spc(0x10200)}, KIND_SPC},
        {{"spc_other_version", patched(spc(), 28, "v1.00")}, KIND_SPC},
        {{"spc_28th_byte_differs", patched(spc(), 27, "_")}, KIND_UNKNOWN},
        {{"spc_first_byte_differs", patched(spc(), 0, "s")}, KIND_UNKNOWN},
        {{"xid6_too_short_to_look", spcWithMarker(0x1020C - 1, 4)}, KIND_SPC},
        {{"xid6_smallest", spcWithMarker(0x1020C, 4)}, KIND_SPC_XID6},
        {{"xid6_size_3", spcWithMarker(0x1020C, 3)}, KIND_SPC},
        {{"xid6_size_0", spcWithMarker(0x1020C, 0)}, KIND_SPC},
        {{"xid6_size_max", spcWithMarker(0x1020C, 0xFFFFFFFF)}, KIND_SPC_XID6},
        {{"xid6_other_marker", spcWithMarker(0x10300, 16, "xid7")}, KIND_SPC},
        {{"xid6_marker_in_capitals", spcWithMarker(0x10300, 16, "XID6")}, KIND_SPC},
        {{"spc_never_searched", withRomHeader(spc(ROM_IMAGE_SIZE), 0x7FC0)}, KIND_SPC},
        {{"not_spc_is_searched", withRomHeader(patched(spc(ROM_IMAGE_SIZE), 27, "_"), 0x7FC0)}, KIND_ROM},
        {{"save_state_one_byte_short", spcbuild::saveState(0x4127F - 1)}, KIND_UNKNOWN},
        {{"save_state_smallest", spcbuild::saveState(0x4127F)}, KIND_SAVE_STATE},
        {{"save_state_21st_byte_differs", patched(spcbuild::saveState(), 20, "f")}, KIND_UNKNOWN},
        {{"save_state_never_searched", withRomHeader(spcbuild::saveState(ROM_IMAGE_SIZE), 0x7FC0)}, KIND_UNKNOWN},
        {{"save_state_with_rom_header", withRomHeader(spcbuild::saveState(), 0x7FC0)}, KIND_SAVE_STATE},
        {{"rom_one_byte_short", withRomHeader(zeros(ROM_IMAGE_SIZE - 1), 0x7FC0)}, KIND_UNKNOWN},
        {{"rom_smallest", withRomHeader(zeros(ROM_IMAGE_SIZE), 0x7FC0)}, KIND_ROM},
        {{"rom_no_header", zeros(ROM_IMAGE_SIZE)}, KIND_UNKNOWN},
        {{"rom_map_20", romImage(CopierHeader::None, "T", 1, 0x20)}, KIND_ROM},
        {{"rom_map_21", romImage(CopierHeader::None, "T", 1, 0x21)}, KIND_ROM},
        {{"rom_map_30", romImage(CopierHeader::None, "T", 1, 0x30)}, KIND_ROM},
        {{"rom_map_31", romImage(CopierHeader::None, "T", 1, 0x31)}, KIND_ROM},
        {{"rom_map_35_nowhere", romImage(CopierHeader::None, "T", 1, 0x35)}, KIND_UNKNOWN},
        {{"rom_map_21_at_first_place", withRomHeader(zeros(ROM_IMAGE_SIZE), 0x7FC0, "T", 0x21)}, KIND_UNKNOWN},
        {{"rom_map_20_at_second_place", withRomHeader(zeros(ROM_IMAGE_SIZE), 0xFFC0, "T", 0x20)}, KIND_UNKNOWN},
        {{"rom_checksums_both_zero", [] {
              Bytes r = zeros(ROM_IMAGE_SIZE);
              putRomHeader(r, 0x7FC0, "T", 1, 0x20, 0, 0);
              return r;
          }()},
         KIND_UNKNOWN},
        {{"rom_checksums_off_by_one", [] {
              Bytes r = zeros(ROM_IMAGE_SIZE);
              putRomHeader(r, 0x7FC0, "T", 1, 0x20, 0xEDCB, 0x1235);
              return r;
          }()},
         KIND_UNKNOWN},
        {{"rom_checksums_ffff_0", [] {
              Bytes r = zeros(ROM_IMAGE_SIZE);
              putRomHeader(r, 0xFFC0, "T", 1, 0x21, 0xFFFF, 0);
              return r;
          }()},
         KIND_ROM},
        {{"rom_first_place_wins", withRomHeader(romImage(CopierHeader::Flag, "T", 1), 0x7FC0)}, KIND_ROM},
        {{"copier_aabb", aabb}, KIND_ROM_AABB_HEADER},
        {{"copier_aabb_with_flag_bytes", patched(aabb, 2, "\x40\x80")}, KIND_ROM_AABB_HEADER},
        {{"copier_aabb_wrong_last_byte", patched(aabb, 11, "\x01")}, KIND_ROM_OTHER},
        {{"copier_aabb_wrong_last_byte_flag", patched(patched(aabb, 11, "\x01"), 2, std::string(2, '\0'))},
         KIND_ROM_FLAG_HEADER},
        {{"copier_flag_40_80", flagHigh}, KIND_ROM_FLAG_HEADER},
        {{"copier_flag_00_80", patched(flagHigh, 2, std::string("\0\x80", 2))}, KIND_ROM_FLAG_HEADER},
        {{"copier_flag_40_01", patched(flagHigh, 2, "\x40\x01")}, KIND_ROM_OTHER},
        {{"copier_flag_20_00", patched(flagHigh, 2, std::string("\x20\0", 2))}, KIND_ROM_OTHER},
        {{"copier_all_zero", patched(flagHigh, 0, std::string(512, '\0'))}, KIND_ROM_FLAG_HEADER},
        {{"copier_game_doctor", romImage(CopierHeader::GameDoctor, "GD", 1)}, KIND_ROM_GAME_DOCTOR},
        {{"copier_game_doctor_16th_differs", patched(romImage(CopierHeader::GameDoctor, "GD", 1), 15, "2")},
         KIND_ROM_OTHER},
        {{"copier_other", romImage(CopierHeader::Other, "O", 1)}, KIND_ROM_OTHER},
        {{"copier_exactly_rom_size", resized(romImage(CopierHeader::GameDoctor, "GD", 1), ROM_IMAGE_SIZE)},
         KIND_ROM_GAME_DOCTOR},
    };
}

// The bytes identification reads are kept on the heap here: they hold a
// whole extended block.
FileKind identify(const Bytes& bytes, SpcFileBytes& read) { return identifySpcFile(TestSource(bytes), read); }

class IdentifyTest : public testing::TestWithParam<IdentifyCase> {};

TEST_P(IdentifyTest, GivesTheKind) {
    const IdentifyCase& c = GetParam();
    const auto read = std::make_unique<SpcFileBytes>();
    EXPECT_EQ(identify(c.file.bytes(), *read), c.kind);
    // The image form: the same file whole in memory.
    const Bytes& image = c.file.bytes();
    EXPECT_EQ(identifySpcImage(image.data(), static_cast<std::uint32_t>(image.size())), c.kind);
}

INSTANTIATE_TEST_SUITE_P(Identification, IdentifyTest, testing::ValuesIn(identifyCases()),
                         [](const testing::TestParamInfo<IdentifyCase>& p) { return p.param.file.name; });

// ---------------------------------------------------------------------------

TEST(Identification, HeaderBufferHoldsTheLastCandidateRead) {
    Bytes noMatch = zeros(ROM_IMAGE_SIZE + 512);
    for (std::size_t i = 0; i < 64; ++i) noMatch[0x101C0 + i] = static_cast<unsigned char>(0x80 + i);
    const struct {
        Bytes bytes;
        std::size_t candidate;  // 0: the search must not run
    } cases[] = {
        // The first candidate fails on its map mode, the second matches.
        {withRomHeader(withRomHeader(zeros(ROM_IMAGE_SIZE), 0x7FC0, "WRONG", 0x21), 0xFFC0, "RIGHT", 0x21), 0xFFC0},
        {noMatch, 0x101C0},
        {withRomHeader(zeros(ROM_IMAGE_SIZE - 1), 0x7FC0), 0},
        {withRomHeader(spc(ROM_IMAGE_SIZE), 0x7FC0), 0},
        {withRomHeader(spcbuild::saveState(ROM_IMAGE_SIZE), 0x7FC0), 0},
        {spcbuild::saveState(), 0},
    };
    const auto read = std::make_unique<SpcFileBytes>();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.candidate);
        Bytes expected(sizeof read->romHeader, 0x5A);
        const auto header = c.bytes.begin() + static_cast<std::ptrdiff_t>(c.candidate);
        if (c.candidate != 0) std::copy_n(header, expected.size(), expected.begin());
        std::memset(read->romHeader, 0x5A, sizeof read->romHeader);
        identify(c.bytes, *read);
        EXPECT_EQ(Bytes(std::begin(read->romHeader), std::end(read->romHeader)), expected);
    }
}

TEST(Identification, BytesEqual) {
    const unsigned char a[] = {0x00, 0x80, 0xFF, 'x'};
    const unsigned char b[] = {0x00, 0x80, 0xFF, 'y'};
    const unsigned char c[] = {0x01, 0x80, 0xFF, 'x'};
    EXPECT_TRUE(bytesEqual(a, c, 0));
    EXPECT_TRUE(bytesEqual(a, b, 3));
    EXPECT_FALSE(bytesEqual(a, b, 4));
    EXPECT_FALSE(bytesEqual(a, c, 1));
    EXPECT_TRUE(bytesEqual(a, a, 4));
    const unsigned char high[] = {0x80};
    const unsigned char low[] = {0x00};
    EXPECT_FALSE(bytesEqual(high, low, 1));
}

}  // namespace

std::vector<NamedFile> identificationFiles() {
    std::vector<NamedFile> files;
    for (const IdentifyCase& c : identifyCases()) files.push_back({"identify_" + c.file.name, c.file.bytes()});
    return files;
}
