#pragma once

#include "engine/failure.h"

#include <string_view>

namespace orvelin::platform {

// What went wrong at the OS boundary, whatever the OS's own code for it was.
enum class OsErrorKind {
    NotFound,
    PathNotFound,
    AccessDenied,
    ReadOnlyFileSystem,
    InUse,  // another program holds the file without sharing it
    AlreadyExists,
    DiskFull,
    FileSizeLimit,
    TooManyFiles,
    DeviceError,
    NameTooLong,
    OutOfMemory,
    Unsupported,  // the file system cannot do what was asked
    NotAFile,     // a device's name, where a file was wanted
    Other,
};

// The numbered failure for a kind of OS error; osWords, the OS's own
// description, completes the descriptions that would otherwise say too little.
Failure FailureFor(OsErrorKind kind, std::string_view osWords);

// What this OS's error code (errno, or GetLastError on Windows) means.
OsErrorKind KindOfOsError(int code);

// The numbered failure for this OS's error code, with a readable description.
Failure FailureFromOsError(int code);

// The same for the error of the OS call that just failed.
[[noreturn]] void ThrowLastError();

}  // namespace orvelin::platform
