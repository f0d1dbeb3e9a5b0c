#include "platform/os_error.h"

#include <cerrno>
#include <cstring>

namespace orvelin::platform {

Failure FailureFromErrno(int error)
{
    switch (error) {
    case ENOENT: return Failure(ErrorNumber::PathNotFound);
    case ENOTDIR: return Failure(ErrorNumber::PathNotFound);
    case EACCES:
    case EPERM:
    case EROFS: return Failure(ErrorNumber::PermissionDenied);
    case EEXIST: return Failure(ErrorNumber::FileAlreadyExists);
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return Failure(ErrorNumber::DiskFull);
    case EMFILE:
    case ENFILE: return Failure(ErrorNumber::TooManyFiles);
    case EIO: return Failure(ErrorNumber::DeviceIoError);
    case ENAMETOOLONG: return Failure(ErrorNumber::BadFileName);
    default: {
        // Keep the OS's own words so that the user learns what went wrong.
        std::string description(DescriptionOf(ErrorNumber::PathFileAccessError));
        description += " (";
        description += std::strerror(error);
        description += ")";
        return Failure(ErrorNumber::PathFileAccessError, std::move(description));
    }
    }
}

void ThrowLastError()
{
    throw FailureFromErrno(errno);
}

}  // namespace orvelin::platform
