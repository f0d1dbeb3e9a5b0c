#pragma once

#include <string>
#include <string_view>

namespace orvelin::platform {

// Paths and texts are UTF-8 inside the program and UTF-16 at the Windows API.
std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view wide);

// The form of a UTF-8 path that the wide file API takes at any length: made
// absolute, with separators as backslashes, and with the \\?\ prefix that
// lifts the MAX_PATH limit. A trailing separator is kept.
std::wstring OsPath(const std::string& utf8Path);

}  // namespace orvelin::platform
