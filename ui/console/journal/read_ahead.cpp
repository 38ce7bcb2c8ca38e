#include "ui/console/journal/read_ahead.h"

#include <utility>

#include "ui/console/journal/system.h"

namespace brindlemark::console {

bool isTheMovedFileAt(const char* path, const JournalRecord& record) {
    FileIdentity now;
    return !identityAt(path, now) && isSameFile(record.file, now);
}

IdentityReadAhead::IdentityReadAhead(std::vector<const JournalRecord*> order)
    : order_(std::move(order)), found_(order_.size()), ready_(order_.size(), 0) {
    const unsigned threads = order_.size() < kThreads ? static_cast<unsigned>(order_.size()) : kThreads;
    for (unsigned i = 0; i < threads; ++i) threads_.emplace_back([this] { work(); });
}

IdentityReadAhead::~IdentityReadAhead() {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    takenChanged_.notify_all();
    for (std::thread& thread : threads_) thread.join();
}

void IdentityReadAhead::work() {
    for (;;) {
        std::size_t index = 0;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            takenChanged_.wait(lock, [this] { return stopping_ || next_ >= order_.size() || next_ < taken_ + kWindow; });
            if (stopping_ || next_ >= order_.size()) return;
            index = next_++;
        }
        const JournalRecord& record = *order_[index];
        const Found found{isTheMovedFileAt(record.newPath.c_str(), record), isTheMovedFileAt(record.oldPath.c_str(), record)};
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            found_[index] = found;
            ready_[index] = 1;
        }
        readyChanged_.notify_all();
    }
}

IdentityReadAhead::Found IdentityReadAhead::take(std::size_t index) {
    std::unique_lock<std::mutex> lock(mutex_);
    readyChanged_.wait(lock, [this, index] { return ready_[index] != 0; });
    taken_ = index + 1;
    lock.unlock();
    takenChanged_.notify_all();
    return found_[index];
}

}  // namespace brindlemark::console
