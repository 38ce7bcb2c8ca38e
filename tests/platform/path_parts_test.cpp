// Where a path's folder ends: on this system, and by the Windows rules in
// every kind of code page, tried here on any system.

#include "platform/path_parts.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

namespace platform = brindlemark::platform;

// Code page 932: a byte 81..9F or E0..FC starts a two-byte character, whose
// second byte may be 0x5C, the byte of "\".
bool codePage932Lead(unsigned char byte) { return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC); }

const std::string SO = "\x83\x5C";                         // ソ in code page 932
const std::string SONG = SO + "\x83\x93\x83\x4F-01.spc";  // ソング-01.spc

TEST(FileNameOf, EndsTheFolderAtTheSystemsSeparators) {
    const struct {
        const char* path;
        const char* name;
    } cases[] = {
        {"/m/a.spc", "a.spc"},
        {"a.spc", "a.spc"},
        {"/m/", ""},
#ifdef _WIN32
        {"Z:\\music\\sub/a-01.spc", "a-01.spc"},
        {"Z:/music\\b-02.spc", "b-02.spc"},
        {"Y:a-01.spc", "a-01.spc"},
#else
        {"/m/back\\slash.spc", "back\\slash.spc"},
        {"Y:a-01.spc", "Y:a-01.spc"},
#endif
    };
    for (const auto& c : cases) EXPECT_STREQ(platform::fileNameOf(c.path), c.name) << c.path;
}

TEST(WindowsFileNameOf, SplitsOnlyAtWholeCharactersAndAfterADrivePrefix) {
    const struct {
        std::string path;
        bool codePage932;
        std::string name;
    } cases[] = {
        {"Z:\\m\\" + SONG, true, SONG},
        {"Z:\\m\\" + SONG, false, "\x83\x93\x83\x4F-01.spc"},  // where 0x5C is a whole character
        {"Z:\\" + SO + "\\b.spc", true, "b.spc"},
        {"Z:\\\x95\x5C/\x94\x5C.spc", true, "\x94\x5C.spc"},  // 表/能.spc
        {"Z:\\a\x83", true, "a\x83"},                        // a lead byte with nothing after it
        {"Y:a-01.spc", false, "a-01.spc"},
        {"y:" + SONG, true, SONG},
        {"Y:", false, ""},
        {"Y:\\a.spc", false, "a.spc"},
        {"1:a.spc", false, "1:a.spc"},          // no drive letter
        {"Z:\\a.spc:x", false, "a.spc:x"},      // a stream's colon is no separator
        {"\\\\server\\share\\a.spc", false, "a.spc"},
        {"\\\\?\\UNC\\server\\share\\a.spc", true, "a.spc"},
    };
    for (const auto& c : cases) {
        const char* name = platform::windowsFileNameOf(c.path.c_str(), c.codePage932 ? codePage932Lead : nullptr);
        EXPECT_EQ(name, c.name) << c.path << (c.codePage932 ? " (932)" : "");
    }
}

TEST(WindowsPathPrefixLength, NeverEndsInsideACharacter) {
    const struct {
        std::string path;
        bool codePage932;
        std::size_t limit, length;
    } cases[] = {
        {SO + SO, true, 3, 2},
        {SO + SO, true, 4, 4},
        {"a" + SO + "b", true, 2, 1},
        {"a" + SO + "b", true, 3, 3},
        {"a\xC3\xA9", false, 2, 1},             // é in UTF-8
        {"ab\xF0\x9F\x98\x80", false, 5, 2},   // a four-byte sequence
        {"\x80\x80\x80\x80\x80", false, 4, 4},  // no UTF-8 at all: cut at the limit
    };
    for (const auto& c : cases) {
        EXPECT_EQ(platform::windowsPathPrefixLength(c.path.c_str(), c.path.size(), c.limit,
                                                    c.codePage932 ? codePage932Lead : nullptr),
                  c.length)
            << c.path << " limit " << c.limit;
    }
}

}  // namespace
