#ifndef BRINDLEMARK_PLATFORM_FOLDER_LISTING_H
#define BRINDLEMARK_PLATFORM_FOLDER_LISTING_H

#ifndef _WIN32
#include <dirent.h>

#include <memory>

namespace brindlemark::platform {

// A folder open for listing (opendir, fdopendir), closed when it goes.
struct FolderListingCloser {
    void operator()(DIR* listing) const { closedir(listing); }
};
using FolderListing = std::unique_ptr<DIR, FolderListingCloser>;

}  // namespace brindlemark::platform

#endif
#endif
