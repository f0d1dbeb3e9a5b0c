#pragma once

#include <string_view>

namespace orvelin {

// Every failure the program can report, numbered once here. Numbers below
// 1000 are the classic BASIC run-time error numbers for the same conditions;
// failures that numbering has no word for use the 1000 range.
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
    FileSizeLimit = 1003,
    CalendarStructure = 1004,
    WouldReplaceInput = 1005,
};

// The readable description that goes with a number.
std::string_view DescriptionOf(ErrorNumber number);

}  // namespace orvelin
