#ifndef BRINDLEMARK_RENAME_READER_POOL_H
#define BRINDLEMARK_RENAME_READER_POOL_H

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace brindlemark::rename {

// A few threads that read files at the same time, started at the first job
// that has more than one file and kept until the pool goes, so that a long
// drop starts them once.
class ReaderPool {
public:
    // readers: how many threads read at once, the calling one among them.
    explicit ReaderPool(std::size_t readers) : readers_(readers) {}
    ~ReaderPool();
    ReaderPool(const ReaderPool&) = delete;
    ReaderPool& operator=(const ReaderPool&) = delete;

    // Runs job(0) .. job(count - 1), each once, and returns when all are
    // done. Each thread takes the next index free, so a slow file holds up
    // only its own thread. Where no further thread can be started, fewer do
    // the work, at least the calling one.
    void forEach(std::size_t count, const std::function<void(std::size_t)>& job);

private:
    void start();
    void serve();
    void work();

    std::size_t readers_;
    std::vector<std::thread> threads_;
    std::mutex lock_;
    std::condition_variable wake_, done_;
    const std::function<void(std::size_t)>* job_ = nullptr;
    std::size_t count_ = 0;
    std::atomic<std::size_t> next_{0};
    std::size_t round_ = 0;  // one more for each job handed out
    std::size_t busy_ = 0;   // threads still on the current job
    bool ending_ = false;
};

}  // namespace brindlemark::rename

#endif
