#pragma once

#include <string_view>

namespace orvelin {

// Every failure the program can report, numbered once here. The numbers follow
// the classic BASIC run-time numbering that users of the original tool know;
// our own failures use the 1000 range.
enum class ErrorNumber : int {
    InvalidArgument = 5,
    Overflow = 6,
    OutOfMemory = 7,
    BadFileName = 52,
    FileNotFound = 53,
    DeviceIoError = 57,
    FileAlreadyExists = 58,
    DiskFull = 61,
    TooManyFiles = 67,
    PermissionDenied = 70,
    PathFileAccessError = 75,
    PathNotFound = 76,
    NotAnOrdinaryFile = 1001,
    FileManagerNotStarted = 1002,
};

// The readable description that goes with a number.
std::string_view DescriptionOf(ErrorNumber number);

}  // namespace orvelin
