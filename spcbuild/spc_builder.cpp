#include "spcbuild/spc_builder.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace spcbuild {
namespace {

constexpr char SIGNATURE[] = "SNES-SPC700 Sound File Data v0.30";

void putText(Bytes& out, std::size_t offset, const std::string& text, std::size_t width) {
    std::memcpy(out.data() + offset, text.data(), std::min(text.size(), width));
}

void putU16(Bytes& out, std::size_t offset, std::uint32_t v) {
    out[offset] = static_cast<unsigned char>(v & 0xFF);
    out[offset + 1] = static_cast<unsigned char>((v >> 8) & 0xFF);
}

void putU32(Bytes& out, std::size_t offset, std::uint32_t v) {
    putU16(out, offset, v & 0xFFFF);
    putU16(out, offset + 2, v >> 16);
}

Bytes blankSpc() {
    Bytes out(SPC_MIN_SIZE, 0);
    std::memcpy(out.data(), SIGNATURE, sizeof SIGNATURE - 1);
    out[0x21] = 0x1A;  // the usual bytes behind the signature
    out[0x22] = 0x1A;
    out[0x23] = 0x1A;  // "has ID666 tag"
    out[0x24] = 30;    // minor version
    return out;
}

void putCommonFields(Bytes& out, const std::string& song, const std::string& game,
                     const std::string& dumper, const std::string& comments) {
    putText(out, 0x2E, song, 32);
    putText(out, 0x4E, game, 32);
    putText(out, 0x6E, dumper, 16);
    putText(out, 0x7E, comments, 32);
}

}  // namespace

Chunk valueChunk(std::uint8_t id, std::uint16_t value) { return Chunk{id, 0, value, {}}; }

Chunk textChunk(std::uint8_t id, const std::string& text) {
    Chunk c{id, 1, static_cast<std::uint16_t>(text.size() + 1), Bytes(text.begin(), text.end())};
    c.data.push_back(0);
    return c;
}

Chunk integerChunk(std::uint8_t id, std::uint32_t value) {
    Chunk c{id, 4, 4, Bytes(4, 0)};
    putU32(c.data, 0, value);
    return c;
}

Bytes chunkBlock(const std::vector<Chunk>& chunks) {
    Bytes out;
    for (const Chunk& c : chunks) {
        out.push_back(c.id);
        out.push_back(c.type);
        out.push_back(static_cast<unsigned char>(c.field & 0xFF));
        out.push_back(static_cast<unsigned char>(c.field >> 8));
        out.insert(out.end(), c.data.begin(), c.data.end());
        while (out.size() % 4 != 0) out.push_back(0);
    }
    return out;
}

Bytes spcWithTextTag(const TextTag& tag) {
    Bytes out = blankSpc();
    putCommonFields(out, tag.song, tag.game, tag.dumper, tag.comments);
    putText(out, 0x9E, tag.date, 11);
    putText(out, 0xA9, tag.seconds, 3);
    putText(out, 0xAC, tag.fadeMs, 5);
    putText(out, 0xB1, tag.artist, 32);
    out[0xD2] = static_cast<unsigned char>(tag.emulator);
    return out;
}

Bytes spcWithBinaryTag(const BinaryTag& tag) {
    Bytes out = blankSpc();
    putCommonFields(out, tag.song, tag.game, tag.dumper, tag.comments);
    out[0x9E] = tag.day;
    out[0x9F] = tag.month;
    putU16(out, 0xA0, tag.year);
    putU16(out, 0xA9, tag.seconds);
    putU32(out, 0xAC, tag.fadeMs);
    putText(out, 0xB0, tag.artist, 32);
    out[0xD1] = tag.emulator;
    return out;
}

Bytes spcWithHeader(const Bytes& header256) {
    Bytes out = blankSpc();
    std::copy_n(header256.begin(), std::min<std::size_t>(header256.size(), 256), out.begin());
    std::memcpy(out.data(), SIGNATURE, 28);
    return out;
}

void appendExtendedTag(Bytes& spc, const Bytes& block, std::int64_t storedSize) {
    spc.resize(SPC_MIN_SIZE, 0);
    const char marker[] = "xid6";
    spc.insert(spc.end(), marker, marker + 4);
    spc.resize(spc.size() + 4, 0);
    putU32(spc, SPC_MIN_SIZE + 4,
           static_cast<std::uint32_t>(storedSize < 0 ? static_cast<std::int64_t>(block.size()) : storedSize));
    spc.insert(spc.end(), block.begin(), block.end());
}

Bytes withExtendedTag(Bytes spc, const Bytes& block, std::int64_t storedSize) {
    appendExtendedTag(spc, block, storedSize);
    return spc;
}

Bytes saveState(std::size_t size) {
    Bytes out(size, 0);
    const char signature[] = "ZSNES Save State File";
    std::memcpy(out.data(), signature, std::min(size, sizeof signature - 1));
    return out;
}

Bytes romImage(CopierHeader copier, const std::string& title, std::uint8_t licensee,
               std::uint8_t mapMode) {
    const std::size_t prefix = copier == CopierHeader::None ? 0 : 512;
    Bytes out(prefix + 0x40000, 0);
    const std::size_t header = prefix + ((mapMode & 0x0F) == 1 ? 0xFFC0 : 0x7FC0);
    putRomHeader(out, header, title, licensee, mapMode);
    switch (copier) {
        case CopierHeader::None:
            break;
        case CopierHeader::Aabb:
            out[2] = 0x12;  // make sure only bytes 8..11 decide
            out[8] = 0xAA; out[9] = 0xBB; out[10] = 0x04; out[11] = 0x00;
            break;
        case CopierHeader::Flag:
            out[0] = 0x80; out[2] = 0x40; out[3] = 0x80;
            break;
        case CopierHeader::GameDoctor:
            std::memcpy(out.data(), "GAME DOCTOR SF 3", 16);
            break;
        case CopierHeader::Other:
            out[2] = 0x20; out[3] = 0x01;
            break;
    }
    return out;
}

void putRomHeader(Bytes& image, std::size_t at, const std::string& title, std::uint8_t licensee,
                  std::uint8_t mapMode, std::uint16_t complement, std::uint16_t checksum) {
    std::string padded = title;
    padded.resize(21, ' ');
    putText(image, at, padded, 21);
    image[at + 0x15] = mapMode;
    image[at + 0x1A] = licensee;
    putU16(image, at + 0x1C, complement);
    putU16(image, at + 0x1E, checksum);
}

bool writeFile(const std::string& path, const Bytes& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return false;
    const bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace spcbuild
