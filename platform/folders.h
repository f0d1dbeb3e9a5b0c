#pragma once

#include "engine/paths.h"

#include <memory>
#include <string>
#include <string_view>

namespace orvelin::platform {

// Name of the first ordinary file in folder, or "" when there is none or the
// folder cannot be read. Names starting with "." count as hidden.
std::string FirstFileIn(const std::string& folder);

// Whether path names a folder (links followed).
bool IsFolder(const std::string& path);

// Creates folder, and the folders above it that are missing; fails when it
// exists or cannot be made.
void MakeFolder(const std::string& folder);
// This OS's step of it: creates folder in one that exists.
void MakeOneFolder(const std::string& folder);

// Whether MakeFolder made folder in this process and it is still that
// folder: a folder nobody else can have made their own yet, which a folder
// of event files may therefore take the place of while it is empty.
bool MadeByThisProcess(const std::string& folder) noexcept;

// Changes the process's current directory and reads it back (no trailing separator).
std::string ChangeDirectory(const std::string& folder);

// While one lives, relative paths keep meaning what they meant when it was
// made: it goes back to that current directory when it ends, even one too
// deep to name by an absolute path.
class CurrentDirectoryKept {
public:
    CurrentDirectoryKept();
    ~CurrentDirectoryKept();
    CurrentDirectoryKept(const CurrentDirectoryKept&) = delete;
    CurrentDirectoryKept& operator=(const CurrentDirectoryKept&) = delete;

private:
    struct Saved;
    std::unique_ptr<Saved> saved_;
};

}  // namespace orvelin::platform
