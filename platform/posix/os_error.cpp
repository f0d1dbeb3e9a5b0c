#include "platform/os_error.h"

#include <cerrno>
#include <cstring>

namespace orvelin::platform {

OsErrorKind KindOfOsError(int error)
{
    switch (error) {
    case ENOENT: return OsErrorKind::NotFound;
    case ENOTDIR: return OsErrorKind::PathNotFound;
    case EACCES:
    case EPERM: return OsErrorKind::AccessDenied;
    case EROFS: return OsErrorKind::ReadOnlyFileSystem;
    case EEXIST: return OsErrorKind::AlreadyExists;
    case ENOSPC:
    case EDQUOT: return OsErrorKind::DiskFull;
    case EFBIG: return OsErrorKind::FileSizeLimit;
    case EMFILE:
    case ENFILE: return OsErrorKind::TooManyFiles;
    case EIO: return OsErrorKind::DeviceError;
    case ENAMETOOLONG: return OsErrorKind::NameTooLong;
    case ENOMEM: return OsErrorKind::OutOfMemory;
    case EOPNOTSUPP: return OsErrorKind::Unsupported;
    default: return OsErrorKind::Other;
    }
}

Failure FailureFromOsError(int code)
{
    return FailureFor(KindOfOsError(code), std::strerror(code));
}

void ThrowLastError()
{
    throw FailureFromOsError(errno);
}

}  // namespace orvelin::platform
