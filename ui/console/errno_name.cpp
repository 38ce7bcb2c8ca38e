#include "ui/console/errno_name.h"

#include <cerrno>

namespace brindlemark::console {

namespace {

struct ErrnoName {
    int code;
    const char* name;
};

// The errors a move, an open or a read can meet on Linux.
constexpr ErrnoName NAMES[] = {
    {EPERM, "EPERM"},         {ENOENT, "ENOENT"},   {EIO, "EIO"},         {ENXIO, "ENXIO"},
    {EBADF, "EBADF"},         {EAGAIN, "EAGAIN"},   {ENOMEM, "ENOMEM"},   {EACCES, "EACCES"},
    {EFAULT, "EFAULT"},       {EBUSY, "EBUSY"},     {EEXIST, "EEXIST"},   {EXDEV, "EXDEV"},
    {ENODEV, "ENODEV"},       {ENOTDIR, "ENOTDIR"}, {EISDIR, "EISDIR"},   {EINVAL, "EINVAL"},
    {ENFILE, "ENFILE"},       {EMFILE, "EMFILE"},   {ETXTBSY, "ETXTBSY"}, {EFBIG, "EFBIG"},
    {ENOSPC, "ENOSPC"},       {EROFS, "EROFS"},     {EMLINK, "EMLINK"},   {EPIPE, "EPIPE"},
    {ENAMETOOLONG, "ENAMETOOLONG"}, {ENOSYS, "ENOSYS"}, {ENOTEMPTY, "ENOTEMPTY"}, {ELOOP, "ELOOP"},
    {EOVERFLOW, "EOVERFLOW"}, {EOPNOTSUPP, "EOPNOTSUPP"}, {ESTALE, "ESTALE"}, {EDQUOT, "EDQUOT"},
    {EINTR, "EINTR"},         {ENOTCONN, "ENOTCONN"}, {ETIMEDOUT, "ETIMEDOUT"}, {EHOSTDOWN, "EHOSTDOWN"},
};

}  // namespace

const char* errnoName(int code) {
    for (const ErrnoName& entry : NAMES) {
        if (entry.code == code) return entry.name;
    }
    return nullptr;
}

}  // namespace brindlemark::console
