#pragma once

#include "platform/file_primitives.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orvelin::platform {

// A standalone run leaves beside its files a small hidden file that lists
// them, each with its size and modification time. The next run into the
// folder learns from it which files are an earlier result as it was written
// (its own to replace or remove), and which are not Orvelin's, or were
// changed since (never touched).
inline constexpr std::string_view kResultRecordName = ".orvelin-result";

struct RecordedFile {
    std::string name;
    std::uint64_t size = 0;
    std::int64_t modified = 0;
    std::uint64_t hash = 0;  // of its bytes (ContentHash); 0 when not known
    // Read from the folder, not recorded: nothing about the file changed
    // since its record was written, so it holds the bytes hashed.
    bool untouched = false;
};

// What an output folder holds before a run writes into it.
struct EarlierResult {
    std::vector<RecordedFile> files;  // listed in the record, and as written
    std::vector<std::string> others;  // every other name in the folder, the record's aside
    // The folder is one a run made (its staging folder, which took the
    // folder's place) and holds nothing but that run's result: a new result
    // may take its place in turn.
    bool ownFolderOnly = false;
    std::string record;  // the record's text as read
};

// The record's first line, which says what the file is to anyone who opens it.
inline constexpr std::string_view kRecordHeader =
    "# The files Orvelin wrote here: size, modification time (ns)[:hash of the bytes], name\n";

// The line that says the folder holding the record is the one a run made,
// written into buffer; allocates nothing.
std::string_view OwnFolderLine(const FileIdentity& folder, char (&buffer)[64]) noexcept;
// The files the lines of a record's text list; a line that cannot be read is passed over.
std::vector<RecordedFile> RecordedFiles(std::string_view text);
// Adds the line of one file to a record's text; a hash of 0 is left out.
void AppendRecordLine(std::string& record, std::string_view name, const FileFacts& facts, std::uint64_t hash = 0);
// A 64-bit hash of a file's bytes, which with its size tells a file written
// again with the same bytes; never 0.
std::uint64_t ContentHash(std::string_view bytes) noexcept;

// Reads folder (ending in a separator): its names, its record and the facts
// of the files the record lists. A folder that is missing holds nothing;
// one that cannot be read fails.
EarlierResult ReadEarlierResult(FilePrimitives& os, const std::string& folder);

// Reads file into text, as far as its size or the file's end, where text
// is then cut; false, with what was read, when a read fails.
bool ReadInto(FilePrimitives& os, NativeFile file, std::string& text);

// The text of the record in folder now (another run may have written it
// since this one read the folder); "" when there is none.
std::string RecordIn(FilePrimitives& os, const std::string& folder);

// Whether a file's facts are those it was recorded with.
bool AsRecorded(const FileFacts& facts, const RecordedFile& recorded);

}  // namespace orvelin::platform
