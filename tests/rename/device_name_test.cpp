// The names Windows takes for devices, as Win32 reads them before it opens
// anything: the stem without the spaces, dots and colon that end it.

#include "rename/device_name.h"

#include <gtest/gtest.h>

namespace {

TEST(IsDeviceName, ReadsTheStemAsWin32Does) {
    const struct {
        const char* name;
        bool device;
    } cases[] = {
        {"aux.spc", true},   {"AUX", true},        {"Con.txt.spc", true}, {"nul. .", true},
        {"COM1 .spc", true}, {"lpt9", true},       {"conin$.spc", true},  {"CONOUT$", true},
        {"aux:", true},      {"COM1:", true},      {"aux:.spc", true},    {"prn :.spc", true},
        {"nul:. ", true},    {"auxy.spc", false},  {"COM10", false},      {"COM0", false},
        {"LPT", false},      {"a-aux.spc", false}, {":aux", false},       {"", false},
    };
    for (const auto& c : cases) EXPECT_EQ(brindlemark::rename::isDeviceName(c.name), c.device) << c.name;
}

}  // namespace
