#pragma once

#include "engine/run_state.h"
#include "engine/split_run.h"
#include "tests/support/event_file.h"
#include "tests/support/memory_file_system.h"
#include "tests/support/recording_host.h"

#include <map>
#include <memory>
#include <string>

namespace orvelin::testing {

// A window's worth of run state on an in-memory disk, with the calendar at
// kInputPath in an existing folder.
struct MemoryRun {
    static constexpr const char* kInputPath = "/cal/export.vcs";
    static constexpr const char* kOutputFolder = "/cal/VCS folder/";

    MemoryRun();

    // Runs Generate on content; true when the program ended.
    bool Run(const std::string& content);
    // Contents of output file n, or "<missing>".
    std::string File(int number) const;
    std::size_t OutputFileCount() const;
    // The output files by name, and their contents.
    std::map<std::string, std::string> OutputFiles() const;

    std::shared_ptr<MemoryFileSystem::Disk> disk = std::make_shared<MemoryFileSystem::Disk>();
    RecordingHost host{"export.vcs"};
    RunState state;
    SplitOptions options;
    RunOutcome outcome;  // of the last run
};

}  // namespace orvelin::testing
