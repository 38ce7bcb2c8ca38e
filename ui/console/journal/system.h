#ifndef BRINDLEMARK_UI_CONSOLE_JOURNAL_SYSTEM_H
#define BRINDLEMARK_UI_CONSOLE_JOURNAL_SYSTEM_H

// The journal's seam to the operating system: the identity of a file, the
// lock a run holds on its journal, whole writes and flushes to disk. The
// format, the policy and the undo rules above it only call these, so that a
// journal of another system could be written beside the POSIX one. Each
// failure is a SystemError: the step and the system's code.

#include <string>

#include "platform/system_error.h"
#include "ui/console/journal/identity.h"

namespace brindlemark::console {

// The identity of the entry at path, not followed if it is a symbolic link:
// one statx.
brindlemark::platform::SystemError identityAt(const char* path, FileIdentity& identity);

// Takes the lock on the journal open at fd without waiting: exclusive for
// a run writing it or an undo marking it, shared for a reader. Code
// EWOULDBLOCK when another holds it.
brindlemark::platform::SystemError lockJournal(int fd, bool exclusive);

// Writes all of text with one write; ENOSPC when only part of it got there.
brindlemark::platform::SystemError writeWhole(int fd, const std::string& text);

// Flushes the file open at fd to disk.
brindlemark::platform::SystemError flushToDisk(int fd);

// Flushes the folder's entries to disk, so that a file just created in it
// survives a crash. A file system that cannot flush folders (EINVAL) counts
// as flushed.
brindlemark::platform::SystemError flushFolder(const std::string& folder);

// True when the folder at path lies on a network share (NFS, SMB, CIFS,
// 9P, Ceph, AFS, or FUSE, which sshfs and the like are), where each ask of
// the file system waits for the network.
bool onNetworkShare(const std::string& path);

// How the journal is flushed to disk; tests make it fail.
extern int (*journalSync)(int fd);

}  // namespace brindlemark::console

#endif
