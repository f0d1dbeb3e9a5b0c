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
    // The file appears whole or not at all, and nothing but its own name is
    // ever written: never through a link, never into an existing file.
    std::unique_ptr<OutputTextStream> CreateTextFile(const std::string& path, bool overwrite) override;

    // What one run learns about where it writes, so that each file costs as
    // little as the guarantees allow.
    struct WriteHints {
        // The last name was taken (a rerun): the next one likely is too.
        bool expectTakenName = false;
        // Files in durableFolder must reach the disk before they count; a
        // file system in memory loses everything in a power cut anyway.
        std::string knownFolder;
        bool durableFolder = true;
    };

private:
    WriteHints hints_;
};

// Makes a write beyond the process's file-size limit fail, so that it is
// reported and the incomplete file removed, instead of the limit's signal
// killing the program half-way through a file. Call once at start-up.
void ReportFileSizeLimitAsWriteFailure();

}  // namespace orvelin::platform
