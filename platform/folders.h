#pragma once

#include <string>

namespace orvelin::platform {

// Name of the first ordinary file in folder, or "" when there is none or the
// folder cannot be read. Names starting with "." count as hidden.
std::string FirstFileIn(const std::string& folder);

// Creates folder; fails when it exists or cannot be made.
void MakeFolder(const std::string& folder);

// Changes the process's current directory and reads it back (no trailing separator).
std::string ChangeDirectory(const std::string& folder);

}  // namespace orvelin::platform
