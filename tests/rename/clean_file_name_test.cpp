#include "rename/name_style.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(CleanFileName, KeepsOnlyPrintableAsciiOutsideTheNineReservedCharacters) {
    std::string name;
    for (int byte = 1; byte <= 255; ++byte) name += static_cast<char>(byte);
    std::string cleaned = name;
    brindlemark::rename::cleanFileName(cleaned.data());

    ASSERT_EQ(cleaned.size(), name.size());
    const std::string reserved = "\\/:*?\"<>|";
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto byte = static_cast<unsigned char>(name[i]);
        const bool kept = byte >= 0x20 && byte <= 0x7F && reserved.find(name[i]) == std::string::npos;
        EXPECT_EQ(cleaned[i], kept ? name[i] : '_') << "byte " << int(byte);
    }
}

TEST(CleanFileName, StopsAtTheTerminator) {
    char name[] = "a/b\0c/d";
    brindlemark::rename::cleanFileName(name);
    EXPECT_EQ(std::memcmp(name, "a_b\0c/d", sizeof name), 0);
}

}  // namespace
