#include "engine/error_number.h"

namespace orvelin {

std::string_view DescriptionOf(ErrorNumber number)
{
    switch (number) {
    case ErrorNumber::InvalidArgument: return "Invalid procedure call or argument";
    case ErrorNumber::Overflow: return "Overflow";
    case ErrorNumber::OutOfMemory: return "Out of memory";
    case ErrorNumber::BadFileName: return "Bad file name or number";
    case ErrorNumber::FileNotFound: return "File not found";
    case ErrorNumber::DeviceIoError: return "Device I/O error";
    case ErrorNumber::FileAlreadyExists: return "File already exists";
    case ErrorNumber::DiskFull: return "Disk full";
    case ErrorNumber::TooManyFiles: return "Too many files";
    case ErrorNumber::PermissionDenied: return "Permission denied";
    case ErrorNumber::PathFileAccessError: return "Path/File access error";
    case ErrorNumber::PathNotFound: return "Path not found";
    case ErrorNumber::NotAnOrdinaryFile: return "Not an ordinary file";
    case ErrorNumber::FileManagerNotStarted: return "The file manager could not be started";
    case ErrorNumber::FileSizeLimit: return "File too large for the file-size limit";
    case ErrorNumber::CalendarStructure: return "The calendar's structure is not clear";
    case ErrorNumber::WouldReplaceInput: return "An event file would replace a file being split";
    }
    return "Unknown error";
}

}  // namespace orvelin
