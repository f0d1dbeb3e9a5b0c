#pragma once

#include "engine/text.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace orvelin {

// Streams and files hold 8-bit text: bytes pass unchanged in both directions,
// with no code-page conversion, no byte-order mark and no line-ending translation.

class InputTextStream {
public:
    virtual ~InputTextStream() = default;
    // The whole remaining text; an empty file gives an empty text.
    virtual Text ReadAll() = 0;
    virtual void Close() = 0;
};

class OutputTextStream {
public:
    // A stream destroyed before a successful Close leaves no file behind.
    virtual ~OutputTextStream() = default;
    virtual void Write(std::string_view text) = 0;
    // The text followed by CR LF.
    virtual void WriteLine(std::string_view text) = 0;
    // Completes the file: from here on it counts as written. A stream whose
    // Write or Close fails removes its incomplete file before it reports the
    // failure.
    virtual void Close() = 0;
};

enum class IOMode { ForReading = 1 };

// The file-system service. Every operation but FileExists may throw Failure.
class FileSystem {
public:
    virtual ~FileSystem() = default;
    // True for an existing file that is not a folder; a missing file is no failure.
    virtual bool FileExists(const std::string& path) = 0;
    virtual std::unique_ptr<InputTextStream> OpenTextFile(const std::string& path, IOMode mode) = 0;
    // overwrite: an existing file of that name is replaced.
    virtual std::unique_ptr<OutputTextStream> CreateTextFile(const std::string& path, bool overwrite) = 0;
    // Every file completed so far is under its name and on stable storage
    // when this returns; a service may hold completed files back until then.
    // Fails when that cannot be done for one of them.
    virtual void Commit() = 0;
    // The names in folder under which one of files is found: the same file
    // (or, for a link among files, what it leads to), however either is
    // spelled; none when folder is missing.
    virtual std::vector<std::string> NamesOf(const std::vector<std::string>& files, const std::string& folder) = 0;
    // Whether the two paths name one and the same file (links not followed).
    virtual bool SameFile(const std::string& a, const std::string& b) = 0;
};

}  // namespace orvelin
