#include "tests/support/temp_folder.h"

#include <filesystem>
#include <random>
#include <system_error>

TempDir::TempDir() {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path base = fs::temp_directory_path(ec);
    std::random_device seed;
    std::mt19937 random(seed());
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
        // No "-" in the name: the track fallback would read it.
        const fs::path candidate = base / ("brindlemark_" + std::to_string(random()));
        if (fs::create_directory(candidate, ec)) path_ = candidate.string();
    }
}

TempDir::~TempDir() {
    namespace fs = std::filesystem;
    if (path_.empty()) return;
    // Sub-folders a test locked are opened again first, so that all can go.
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(path_, fs::directory_options::skip_permission_denied, ec);
         it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_directory(ec) && !it->is_symlink(ec)) fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
}

std::string TempDir::pathOf(const std::string& name) const {
    return (std::filesystem::path(path_) / name).string();
}

std::string TempDir::write(const std::string& name, const spcbuild::Bytes& bytes) const {
    const std::string file = pathOf(name);
    return spcbuild::writeFile(file, bytes) ? file : std::string();
}

spcbuild::Bytes titledSpc(const std::string& title, std::uint16_t track) {
    spcbuild::TextTag tag;
    tag.song = title;
    spcbuild::Bytes bytes = spcbuild::spcWithTextTag(tag);
    if (track != 0) {
        spcbuild::appendExtendedTag(bytes, spcbuild::chunkBlock({spcbuild::valueChunk(0x12, static_cast<std::uint16_t>(track << 8))}));
    }
    return bytes;
}
