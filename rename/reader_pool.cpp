#include "rename/reader_pool.h"

#include <system_error>

namespace brindlemark::rename {

ReaderPool::~ReaderPool() {
    {
        const std::lock_guard<std::mutex> held(lock_);
        ending_ = true;
    }
    wake_.notify_all();
    for (std::thread& thread : threads_) thread.join();
}

void ReaderPool::start() {
    threads_.reserve(readers_ - 1);
    while (threads_.size() + 1 < readers_) {
        try {
            threads_.emplace_back([this] { serve(); });
        } catch (const std::system_error&) {
            readers_ = threads_.size() + 1;  // no more threads to be had: fewer read
        }
    }
}

void ReaderPool::work() {
    for (std::size_t index = next_++; index < count_; index = next_++) (*job_)(index);
}

void ReaderPool::serve() {
    std::size_t seen = 0;
    for (;;) {
        {
            std::unique_lock<std::mutex> held(lock_);
            wake_.wait(held, [this, seen] { return ending_ || round_ != seen; });
            if (ending_) return;
            seen = round_;
        }
        work();
        const std::lock_guard<std::mutex> held(lock_);
        if (--busy_ == 0) done_.notify_one();
    }
}

void ReaderPool::forEach(std::size_t count, const std::function<void(std::size_t)>& job) {
    if (count > 1 && readers_ > 1 && threads_.empty()) start();
    if (count <= 1 || threads_.empty()) {
        for (std::size_t index = 0; index < count; ++index) job(index);
        return;
    }
    {
        const std::lock_guard<std::mutex> held(lock_);
        job_ = &job;
        count_ = count;
        next_ = 0;
        busy_ = threads_.size();
        ++round_;
    }
    wake_.notify_all();
    work();
    std::unique_lock<std::mutex> held(lock_);
    done_.wait(held, [this] { return busy_ == 0; });
    job_ = nullptr;
}

}  // namespace brindlemark::rename
