#pragma once

// What each OS's file services provide to the shared ones (local_file_system.cpp).

#include "engine/file_system.h"

#include <memory>
#include <string>

namespace orvelin::platform {

// True for a folder on a file system kept in memory (tmpfs, a RAM disk):
// nothing there survives a power cut, so nothing needs flushing to a disk.
bool IsInMemory(const std::string& folder);

// How many temporary names an event file tries before it gives up.
inline constexpr int kTemporaryNameTries = 100;

// The temporary name of try attempt for the file at target, beside it:
// hidden (".N.vcs.PID-K.tmp"), so that it never counts as a file of the
// folder, and unique to this process.
std::string TemporaryNameFor(const std::string& target, unsigned long processId, int attempt);

// Opens path for a new event file (see LocalFileSystem::CreateTextFile).
// durable: the contents reach the disk before Close returns.
// expectTakenName: in, the last name was taken, so this one is written under a
// temporary name straight away; out, whether this one was taken.
std::unique_ptr<OutputTextStream> OpenEventFile(const std::string& path, bool overwrite, bool durable,
                                                bool& expectTakenName);

}  // namespace orvelin::platform
