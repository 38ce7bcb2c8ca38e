// How the time to read a shell drop grows with its size: drops of 2,000,
// 16,000 and 32,000 paths of 90 characters, in UTF-16 as Explorer drops,
// each read whole (both forms of every path, and whether it is altered) the
// way the dialog reads a drop. The goal: 16,000 paths take at most 2 times
// the time of 2,000 paths times 8. Prints its figures; run under Wine by
// scripts/test-windows.sh.

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/dropped_path.h"

namespace {

// A drop of count distinct paths of 90 characters each.
HGLOBAL makeDrop(std::size_t count) {
    std::vector<wchar_t> list;
    for (std::size_t i = 0; i < count; ++i) {
        std::wstring path = L"Z:\\music\\collection\\game-" + std::to_wstring(i) + L"-01.spc";
        path.insert(20, 90 - path.size(), L'x');
        list.insert(list.end(), path.begin(), path.end());
        list.push_back(L'\0');
    }
    list.push_back(L'\0');
    const std::size_t bytes = list.size() * sizeof(wchar_t);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + bytes);
    auto* header = static_cast<DROPFILES*>(GlobalLock(block));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    std::memcpy(reinterpret_cast<char*>(header) + sizeof(DROPFILES), list.data(), bytes);
    GlobalUnlock(block);
    return block;
}

// The time of one read of a drop of count paths, in milliseconds: the best
// of nine samples, each of repeats reads in a row, so that samples of
// small and large drops last alike and a busy machine interrupts them
// alike.
double readTime(std::size_t count, int repeats) {
    HGLOBAL drop = makeDrop(count);
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    double best = 1e300;
    for (int sample = 0; sample < 9; ++sample) {
        QueryPerformanceCounter(&start);
        for (int read = 0; read < repeats; ++read) {
            std::vector<brindlemark::platform::DroppedPath> paths;
            const brindlemark::platform::SystemError error = brindlemark::platform::readDroppedPaths(drop, paths);
            if (error || paths.size() != count) {
                std::printf("drop reading: %zu paths read as %zu (error %d)\n", count, paths.size(), error.code);
                return -1;
            }
        }
        QueryPerformanceCounter(&end);
        best = std::min(best, 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
                                  static_cast<double>(frequency.QuadPart) / repeats);
    }
    GlobalFree(drop);
    return best;
}

}  // namespace

int main() {
    const double small = readTime(2000, 8), large = readTime(16000, 1), larger = readTime(32000, 1);
    if (small < 0 || large < 0 || larger < 0) return 1;
    std::printf("drop reading: 2000 paths %.1f ms, 16000 paths %.1f ms, 32000 paths %.1f ms\n", small, large, larger);
    const double ratio = large / small;
    std::printf("drop reading: 16000 paths took %.1f times 2000 paths (goal: at most %.0f): %s\n", ratio, 2.0 * 8,
                ratio <= 2.0 * 8 ? "met" : "MISSED");
    return 0;
}
