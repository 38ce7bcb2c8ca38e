#include "ui/console/journal/writer.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>

#include "platform/path_parts.h"
#include "ui/console/journal/format.h"
#include "ui/console/journal/location.h"
#include "ui/console/journal/system.h"

namespace brindlemark::console {

using brindlemark::platform::folderOf;
using brindlemark::platform::SystemError;

bool JournalWriter::create(const std::string& path, std::string& error) {
    finish();
    if (const int refusal = folderRefusal(folderOf(path))) {
        error = "cannot create the journal " + path + ": " + std::strerror(refusal);
        return false;
    }
    fd_.reset(open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0600));
    if (!fd_.valid()) {
        error = "cannot create the journal " + path + ": " + std::strerror(errno);
        return false;
    }
    path_ = path;
    failure_ = {};
    made_ = 0;
    removeIfUnused_ = false;
    // The lock tells an undo that the run is still writing its journal.
    SystemError failure = lockJournal(fd_.get(), true);
    if (!failure) failure = writeWhole(fd_.get(), headerLine());
    if (!failure) failure = flushFolder(folderOf(path));
    if (failure) {
        error = "cannot write the journal " + path + ": " + std::strerror(failure.code);
        unlink(path.c_str());
        fd_.reset();
        return false;
    }
    return true;
}

bool JournalWriter::createIn(const std::string& folder, std::string& error) {
    if (!readyJournalFolder(folder, true, error)) return false;
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    pruneJournals(folder, now.tv_sec);
    if (!create(folder + "/" + newJournalName(now), error)) return false;
    removeIfUnused_ = true;
    return true;
}

bool JournalWriter::writeLine() {
    failure_ = writeWhole(fd_.get(), line_);
    errno = failure_.code;
    return !failure_;
}

bool JournalWriter::recordMove(const char* source, const char* target) {
    if (!fd_.valid() || failure_) {
        errno = EIO;
        return false;
    }
    FileIdentity file;
    if (const SystemError missing = identityAt(source, file)) {  // the move would fail the same way
        errno = missing.code;
        return false;
    }
    line_ = moveLine(file, source, target);
    if (!writeLine()) return false;
    ++made_;
    return true;
}

bool JournalWriter::recordRefused(const char* source, const char* target) {
    if (made_ > 0) --made_;
    if (!fd_.valid() || failure_) {
        errno = EIO;
        return false;
    }
    line_ = refusedLine(source, target);
    return writeLine();
}

bool JournalWriter::finish() {
    if (!fd_.valid()) return !failure_;
    bool flushed = true;
    if (made_ == 0 && removeIfUnused_) {
        unlink(path_.c_str());
    } else if (const SystemError failure = flushToDisk(fd_.get())) {
        failure_ = failure;
        flushed = false;
    }
    fd_.reset();
    return flushed;
}

}  // namespace brindlemark::console
