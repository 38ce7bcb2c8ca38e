#ifndef BRINDLEMARK_UI_CONSOLE_JOURNAL_READ_AHEAD_H
#define BRINDLEMARK_UI_CONSOLE_JOURNAL_READ_AHEAD_H

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "ui/console/journal/format.h"

namespace brindlemark::console {

// Reads ahead what undo asks of each record before it moves a file: whether
// the entries at its new and at its old name are the file the run moved.
// A small pool of threads reads them in the order undo takes the records,
// at most WINDOW records ahead of it, so that on a network share the
// waits for the file system overlap; undo still moves in order. What undo
// itself changed since (a name freed and taken again) it asks again.
class IdentityReadAhead {
public:
    struct Found {
        bool atNewName = false, atOldName = false;
    };
    static constexpr std::size_t WINDOW = 256;
    static constexpr unsigned THREADS = 4;
    static constexpr std::size_t CHUNK = 16;  // records a thread claims at once

    explicit IdentityReadAhead(std::vector<const JournalRecord*> order);
    ~IdentityReadAhead();
    IdentityReadAhead(const IdentityReadAhead&) = delete;
    IdentityReadAhead& operator=(const IdentityReadAhead&) = delete;

    // What was read for record number index of the order, taken in turn;
    // waits until it is read.
    Found take(std::size_t index);

private:
    void work();

    std::vector<const JournalRecord*> order_;
    std::vector<Found> found_;
    std::vector<char> ready_;
    std::size_t next_ = 0;   // the next record a thread reads
    std::size_t taken_ = 0;  // records undo has taken
    std::size_t awaited_ = SIZE_MAX;  // the record undo waits for, if any
    unsigned idle_ = 0;               // threads waiting for undo to take more
    bool stopping_ = false;
    std::mutex mutex_;
    std::condition_variable readyChanged_, takenChanged_;
    std::vector<std::thread> threads_;
};

// True when the entry at path is, by its identity, the file record moved.
bool isTheMovedFileAt(const char* path, const JournalRecord& record);

}  // namespace brindlemark::console

#endif
