#ifndef BRINDLEMARK_PLATFORM_DRY_RUN_FILE_SYSTEM_H
#define BRINDLEMARK_PLATFORM_DRY_RUN_FILE_SYSTEM_H

#ifndef _WIN32
#include <sys/stat.h>

#include <cstdint>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <unordered_map>

#include "platform/file_system.h"

namespace brindlemark::platform {

// A file system that only pretends to move, and that shows its pretended
// moves to whatever it opens: a name a pretended move freed reads as gone, a
// name it took reads as the moved entry, and symlinks are followed through
// the pretended names. Folders are known by device and inode, so that two
// paths of one folder (symlinks, bind mounts) meet.
//
// A pretended move succeeds when target is source itself and the entry is
// there, or when the source entry is there, no entry of the new name is,
// and the kernel would allow the move as far as it can be asked without
// moving: the folder writable and searchable for the effective ids and
// capabilities (and not on a read-only file system), the sticky-bit rule,
// neither the entry immutable or append-only nor the folder, and the entry
// no mount point. Each object starts with no pretended move. Its calls may
// come from several threads at once: the pretended moves are read and
// changed under one lock.
class DryRunFileSystem final : public FileSystem {
public:
    // Whose moves are pretended: the effective user, and whether it may act
    // as every file's owner (CAP_FOWNER), for which the sticky bit does not
    // apply.
    struct Mover {
        std::uint32_t user = 0;
        bool ownsEverything = false;
        static Mover ofThisProcess();
    };

    explicit DryRunFileSystem(const Mover& mover = Mover::ofThisProcess());

    ReadOnlyFile openForReading(const char* path) override;

    // Where the entry that path names lies on disk now: path itself, or the
    // path a pretended move took it from. False when a pretended move took
    // it away.
    bool entryOnDisk(const std::string& path, std::string& onDisk);
    // Pretends to remove the name path of an entry, as unlink would, when
    // the kernel would allow it (the rules of a move out of its folder); on
    // failure the error unlink would give.
    SystemError removeName(const char* path);

protected:
    SystemError entryAt(const char* path) override;
    SystemError moveEntry(const char* source, const char* target) override;

private:
    // An entry's name within a folder known by device and inode.
    struct NameKey {
        std::uint64_t device = 0, inode = 0;
        std::string name;
        bool operator<(const NameKey& other) const;
    };
    // A folder as the kernel knows it, read once per path that names it.
    struct FolderFacts {
        bool known = false;  // false: the path names no folder that can be looked at
        std::uint64_t device = 0, inode = 0;
        std::uint32_t owner = 0;
        bool sticky = false;
        bool locked = false;  // append-only or immutable: no entry can leave it
        int writeError = -1;  // what faccessat said about writing into it; -1 not asked yet
    };

    // entryOnDisk with the lock held.
    bool locate(const std::string& path, std::string& real);
    // An entry as a pretended move looks at it (statx, symlinks not
    // followed): the error, or its owner and attributes.
    struct EntryFacts {
        int error = 0;
        std::uint32_t owner = 0;
        std::uint64_t attributes = 0;
    };
    static EntryFacts lookAt(const std::string& real);
    // The entry at real as a move finds it, with the lock held: as it was
    // looked at when it was read ahead (that look is used up), or now.
    EntryFacts takeLook(const std::string& real);
    FolderFacts& folder(const std::string& path);
    bool keyOf(const std::string& path, NameKey& key);
    int refusal(const std::string& from, const std::string& to, std::uint32_t entryOwner,
                std::uint64_t entryAttributes);

    std::map<NameKey, std::string> taken_;  // names given, each with the path the entry still has on disk
    std::set<NameKey> freed_;              // names taken away
    // Folders already looked at: a drop's files mostly share one.
    std::unordered_map<std::string, FolderFacts> folders_;
    // Entries looked at when they were opened for reading, by the path they
    // have on disk, each taken by the move that needs it: a drop's files are
    // read ahead by several threads at once, so their round trips overlap.
    std::unordered_map<std::string, EntryFacts> looked_;
    Mover mover_;
    std::mutex model_;  // guards the maps above
};

}  // namespace brindlemark::platform

#endif
#endif
