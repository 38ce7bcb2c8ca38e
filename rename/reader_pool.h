#ifndef BRINDLEMARK_RENAME_READER_POOL_H
#define BRINDLEMARK_RENAME_READER_POOL_H

#include <cstddef>
#include <functional>

namespace brindlemark::rename {

// Runs job(0) .. job(count - 1), each once, on up to `readers` threads (the
// calling one among them) and returns when all are done. Each job takes the
// next index free, so a slow file holds up only its own thread. Where no
// further thread can be started, the calling thread does the rest alone.
void forEachInParallel(std::size_t count, std::size_t readers, const std::function<void(std::size_t)>& job);

}  // namespace brindlemark::rename

#endif
