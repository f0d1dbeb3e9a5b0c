#pragma once

#include "calendar/transcoder.h"
#include "engine/text.h"

#include <cstdint>

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

// What an output folder holds before a run writes into it.
struct FolderContents {
    // The files of an earlier standalone run there that Orvelin's record
    // lists, as they were written: a later standalone run replaces them.
    std::vector<std::string> earlierResult;
    // Every other name in the folder: a standalone run never replaces these.
    std::vector<std::string> others;
};

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

    // The folder services (HostServices) and what a window asks of folders.
    // The name of the first ordinary file in folder (not hidden, not a
    // folder), or "" when there is none or the folder is missing.
    virtual std::string FirstFileIn(const std::string& folder) = 0;
    // Creates folder, and the folders above it that are missing; fails when
    // it exists or cannot be made.
    virtual void MakeFolder(const std::string& folder) = 0;
    // Whether path names a folder (links followed).
    virtual bool IsFolder(const std::string& path) = 0;
    // Makes folder the current directory and reads it back (without a
    // trailing separator).
    virtual std::string EnterFolder(const std::string& folder) = 0;
    // path in full, where it is given relative to the current directory.
    virtual std::string FullPath(const std::string& path) = 0;

    // What reading a calendar as iCalendar 2.0 needs of the system.
    // When the file at path last changed, in seconds since 1970 (UTC); 0 when
    // that cannot be told.
    virtual std::int64_t ModifiedAt(const std::string& path) = 0;
    // The system's tables of the character sets text comes in.
    virtual const calendar::Transcoder& Charsets() = 0;

    // What folder (ending in a separator) holds; nothing when it is missing.
    // The names kept (the files being split) are among the others, never
    // removed, whatever a record says of them.
    virtual FolderContents ReadFolder(const std::string& folder, const std::vector<std::string>& kept) = 0;
    // The files written into folder from now on are a standalone run's
    // result, recorded with them at Commit. Unless continuing, the result
    // replaces the earlier one there: its files that were not written again
    // are then removed, each only if it is still as it was written.
    // Continuing, they join it instead.
    virtual void RecordResultIn(const std::string& folder, bool continuing) = 0;
    // Fails as making files in folder would fail for the folder itself (no
    // permission, a read-only file system, a file in the way), making
    // nothing: what a dry run can know beforehand.
    virtual void CheckCanWriteInto(const std::string& folder) = 0;
    // The same text for two paths exactly when they name the same folder,
    // whether it exists yet or not, as things stand when it is asked.
    virtual std::string FolderKey(const std::string& folder) = 0;
};

}  // namespace orvelin
