#include "rename/reader_pool.h"

#include <atomic>
#include <system_error>
#include <thread>
#include <vector>

namespace brindlemark::rename {

void forEachInParallel(std::size_t count, std::size_t readers, const std::function<void(std::size_t)>& job) {
    std::atomic<std::size_t> nextIndex{0};
    const auto work = [&nextIndex, count, &job] {
        for (std::size_t index = nextIndex++; index < count; index = nextIndex++) job(index);
    };
    std::vector<std::thread> helpers;
    const std::size_t wanted = readers < count ? readers : count;
    if (wanted > 1) helpers.reserve(wanted - 1);
    for (std::size_t started = 1; started < wanted; ++started) {
        try {
            helpers.emplace_back(work);
        } catch (const std::system_error&) {
            break;  // no more threads to be had: fewer readers do it
        }
    }
    work();
    for (std::thread& helper : helpers) helper.join();
}

}  // namespace brindlemark::rename
