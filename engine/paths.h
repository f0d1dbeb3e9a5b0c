#pragma once

#include "engine/unicode_text.h"

#include <string>
#include <string_view>

// Paths as text, the same on every OS but for what ends a folder's name.
namespace orvelin {

// What ends a folder's name in a path on this OS: "/", and on Windows "\\"
// too, which is then the one a folder's path is given.
#ifdef _WIN32
inline constexpr std::string_view kPathSeparators = "/\\";
#else
inline constexpr std::string_view kPathSeparators = "/";
#endif

// Whether this OS takes two names that differ in letter case only for one.
#ifdef _WIN32
inline constexpr bool kCaseInsensitiveNames = true;
#else
inline constexpr bool kCaseInsensitiveNames = false;
#endif

// A name as this OS tells names apart: on Windows, letter case aside.
inline std::string NameAsTheOsCompares(std::string_view name)
{
    return kCaseInsensitiveNames ? UpperCaseForNames(name) : std::string(name);
}

// The name a file takes when its own is taken: "stem (again)extension".
inline std::string NameAgain(std::string_view stem, int again, std::string_view extension)
{
    return std::string(stem) + " (" + std::to_string(again) + ")" + std::string(extension);
}

// Where the last name in path starts.
inline std::size_t NameStart(std::string_view path)
{
    const std::size_t separator = path.find_last_of(kPathSeparators);
    return separator == std::string_view::npos ? 0 : separator + 1;
}

// folder as the path of a folder: ending in a separator, the one it ends in
// already or else this OS's own.
inline std::string WithFinalSeparator(std::string folder)
{
    if (folder.empty() || kPathSeparators.find(folder.back()) == std::string_view::npos)
        folder += kPathSeparators.back();
    return folder;
}

// path without the separators it ends in (a root keeps its one).
inline std::string WithoutFinalSeparators(std::string path)
{
    while (path.size() > 1 && kPathSeparators.find(path.back()) != std::string_view::npos)
        path.pop_back();
    return path;
}

}  // namespace orvelin
