#pragma once

#include "engine/file_system.h"

namespace orvelin::platform {

// The file-system service on the local disk: files are bytes, passed unchanged.
class LocalFileSystem final : public FileSystem {
public:
    bool FileExists(const std::string& path) override;
    // Only ordinary files can be opened: a folder, FIFO or device fails at once
    // instead of blocking or never ending.
    std::unique_ptr<InputTextStream> OpenTextFile(const std::string& path, IOMode mode) override;
    std::unique_ptr<OutputTextStream> CreateTextFile(const std::string& path, bool overwrite) override;
};

// Makes a write beyond the process's file-size limit fail, so that it is
// reported and the incomplete file removed, instead of the limit's signal
// killing the program half-way through a file. Call once at start-up.
void ReportFileSizeLimitAsWriteFailure();

}  // namespace orvelin::platform
