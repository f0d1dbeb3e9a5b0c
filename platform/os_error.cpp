#include "platform/os_error.h"

#include <string>

namespace orvelin::platform {
namespace {

Failure WithOsWords(ErrorNumber number, std::string_view osWords)
{
    std::string description(DescriptionOf(number));
    description += " (";
    description += osWords;
    description += ")";
    return Failure(number, std::move(description));
}

}  // namespace

Failure FailureFor(OsErrorKind kind, std::string_view osWords)
{
    switch (kind) {
    case OsErrorKind::NotFound:
    case OsErrorKind::PathNotFound: return Failure(ErrorNumber::PathNotFound);
    case OsErrorKind::AccessDenied: return Failure(ErrorNumber::PermissionDenied);
    case OsErrorKind::ReadOnlyFileSystem:
    case OsErrorKind::InUse: return WithOsWords(ErrorNumber::PermissionDenied, osWords);
    case OsErrorKind::AlreadyExists: return Failure(ErrorNumber::FileAlreadyExists);
    case OsErrorKind::DiskFull: return Failure(ErrorNumber::DiskFull);
    case OsErrorKind::FileSizeLimit: return Failure(ErrorNumber::FileSizeLimit);
    case OsErrorKind::TooManyFiles: return Failure(ErrorNumber::TooManyFiles);
    case OsErrorKind::DeviceError: return Failure(ErrorNumber::DeviceIoError);
    case OsErrorKind::NameTooLong: return Failure(ErrorNumber::BadFileName);
    case OsErrorKind::OutOfMemory: return Failure(ErrorNumber::OutOfMemory);
    case OsErrorKind::NotAFile: return Failure(ErrorNumber::NotAnOrdinaryFile);
    case OsErrorKind::Unsupported:
    case OsErrorKind::Other: break;
    }
    // Keep the OS's own words so that the user learns what went wrong.
    return WithOsWords(ErrorNumber::PathFileAccessError, osWords);
}

}  // namespace orvelin::platform
