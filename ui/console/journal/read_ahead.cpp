#include "ui/console/journal/read_ahead.h"

#include <algorithm>
#include <system_error>
#include <utility>

#include "ui/console/journal/system.h"

namespace brindlemark::console {

bool isTheMovedFileAt(const char* path, const JournalRecord& record) {
    FileIdentity now;
    return !identityAt(path, now) && isSameFile(record.file, now);
}

IdentityReadAhead::IdentityReadAhead(std::vector<const JournalRecord*> order)
    : order_(std::move(order)), found_(order_.size()), ready_(order_.size(), 0) {
    const unsigned threads = order_.size() < THREADS ? static_cast<unsigned>(order_.size()) : THREADS;
    for (unsigned i = 0; i < threads; ++i) {
        try {
            threads_.emplace_back([this] { work(); });
        } catch (const std::system_error&) {
            break;  // no more threads to be had: fewer read ahead, or none
        }
    }
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
        std::size_t first = 0, end = 0;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            const auto mayRead = [this] { return stopping_ || next_ >= order_.size() || next_ < taken_ + WINDOW; };
            if (!mayRead()) {
                ++idle_;
                takenChanged_.wait(lock, mayRead);
                --idle_;
            }
            if (stopping_ || next_ >= order_.size()) return;
            first = next_;
            end = std::min(order_.size(), first + CHUNK);
            next_ = end;
        }
        for (std::size_t index = first; index < end; ++index) {
            const JournalRecord& record = *order_[index];
            const Found found{isTheMovedFileAt(record.newPath.c_str(), record),
                              isTheMovedFileAt(record.oldPath.c_str(), record)};
            bool wanted = false;
            {
                const std::lock_guard<std::mutex> lock(mutex_);
                found_[index] = found;
                ready_[index] = 1;
                wanted = awaited_ == index;
            }
            if (wanted) readyChanged_.notify_one();
        }
    }
}

IdentityReadAhead::Found IdentityReadAhead::take(std::size_t index) {
    if (threads_.empty()) {  // no thread could be started: each record is asked in its turn
        const JournalRecord& record = *order_[index];
        return {isTheMovedFileAt(record.newPath.c_str(), record), isTheMovedFileAt(record.oldPath.c_str(), record)};
    }
    std::unique_lock<std::mutex> lock(mutex_);
    if (ready_[index] == 0) {
        awaited_ = index;
        readyChanged_.wait(lock, [this, index] { return ready_[index] != 0; });
        awaited_ = SIZE_MAX;
    }
    taken_ = index + 1;
    const bool wake = idle_ > 0;
    const Found found = found_[index];
    lock.unlock();
    if (wake) takenChanged_.notify_all();
    return found;
}

}  // namespace brindlemark::console
