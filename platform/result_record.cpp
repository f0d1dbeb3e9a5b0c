#include "platform/result_record.h"

#include "platform/os_error.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstring>
#include <optional>
#include <unordered_map>

namespace orvelin::platform {
namespace {

// A record larger than this is no record of ours.
constexpr std::uint64_t kLargestRecord = 256 * 1024 * 1024;
constexpr std::string_view kOwnFolder = "folder ";

// A number at the start of text ended by the character end (by the text's
// end when end is 0), which text then goes past.
template <typename Number>
bool ReadNumber(std::string_view& text, Number& number, char end = ' ', int base = 10)
{
    const char* const stop = text.data() + text.size();
    const auto [after, error] = std::from_chars(text.data(), stop, number, base);
    if (error != std::errc() || (end == '\0' ? after != stop : after == stop || *after != end))
        return false;
    text.remove_prefix(static_cast<std::size_t>(after - text.data()) + (end == '\0' ? 0 : 1));
    return true;
}

// "modified:hash " or, written before hashes were, "modified ".
bool ReadModifiedAndHash(std::string_view& line, RecordedFile& file)
{
    std::string_view hashed = line;
    if (ReadNumber(hashed, file.modified, ':') && ReadNumber(hashed, file.hash, ' ', 16)) {
        line = hashed;
        return true;
    }
    file.hash = 0;
    return ReadNumber(line, file.modified);
}

// A record's text: the files it lists, and the folder it says a run made; a
// line that cannot be read is passed over.
struct Record {
    std::vector<RecordedFile> files;
    std::optional<FileIdentity> ownFolder;
};

Record ParseRecord(std::string_view text)
{
    Record record;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        FileIdentity folder;
        RecordedFile file;
        if (line.starts_with(kOwnFolder)) {
            line.remove_prefix(kOwnFolder.size());
            if (ReadNumber(line, folder.volume) && ReadNumber(line, folder.file, '\0'))
                record.ownFolder = folder;
        } else if (ReadNumber(line, file.size) && ReadModifiedAndHash(line, file) && !line.empty()) {
            file.name = line;
            record.files.push_back(std::move(file));
        }
    }
    return record;
}

// The whole file at path, or "" when it cannot be read; its facts.
std::string ReadSmallFile(FilePrimitives& os, const std::string& path, FileFacts& facts)
{
    NativeFile file = kNoFile;
    if (os.OpenForReading(path, file) != 0)
        return {};
    std::string text;
    if (os.Inspect(file, facts) == 0 && facts.ordinary && facts.size <= kLargestRecord) {
        text.resize(static_cast<std::size_t>(facts.size));
        ReadInto(os, file, text);
    }
    os.Close(file, false);
    return text;
}

}  // namespace

bool ReadInto(FilePrimitives& os, NativeFile file, std::string& text)
{
    std::size_t filled = 0;
    for (std::size_t got = 1; filled < text.size() && got != 0; filled += got) {
        if (os.ReadSome(file, text.data() + filled, text.size() - filled, got) != 0) {
            text.resize(filled);
            return false;
        }
    }
    text.resize(filled);
    return true;
}

std::string_view OwnFolderLine(const FileIdentity& folder, char (&buffer)[64]) noexcept
{
    char* at = std::copy(kOwnFolder.begin(), kOwnFolder.end(), buffer);
    at = std::to_chars(at, std::end(buffer), folder.volume).ptr;
    *at++ = ' ';
    at = std::to_chars(at, std::end(buffer), folder.file).ptr;
    *at++ = '\n';
    return {buffer, static_cast<std::size_t>(at - buffer)};
}

std::vector<RecordedFile> RecordedFiles(std::string_view text)
{
    return ParseRecord(text).files;
}

void AppendRecordLine(std::string& record, std::string_view name, const FileFacts& facts, std::uint64_t hash)
{
    record += std::to_string(facts.size);
    record += ' ';
    record += std::to_string(facts.modified);
    if (hash != 0) {
        char hex[16];
        record += ':';
        record.append(hex, std::to_chars(hex, std::end(hex), hash, 16).ptr);
    }
    record += ' ';
    record += name;
    record += '\n';
}

// Word by word, each step a bijection of the state (so that one changed word
// always changes it), then mixed with the length.
std::uint64_t ContentHash(std::string_view bytes) noexcept
{
    std::uint64_t hash = 0x9e3779b97f4a7c15ULL;
    std::size_t at = 0;
    const auto step = [&hash](std::uint64_t word) { hash = std::rotl((hash ^ word) * 0x9e3779b97f4a7c15ULL, 31); };
    for (; at + 8 <= bytes.size(); at += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, bytes.data() + at, 8);
        step(word);
    }
    std::uint64_t tail = 0;
    if (at < bytes.size())
        std::memcpy(&tail, bytes.data() + at, bytes.size() - at);
    step(tail);
    hash ^= bytes.size();
    hash ^= hash >> 33;
    hash *= 0xff51afd7ed558ccdULL;
    hash ^= hash >> 33;
    return hash == 0 ? 1 : hash;
}

std::string RecordIn(FilePrimitives& os, const std::string& folder)
{
    FileFacts facts;
    return ReadSmallFile(os, folder + std::string(kResultRecordName), facts);
}

bool AsRecorded(const FileFacts& facts, const RecordedFile& recorded)
{
    return facts.ordinary && facts.size == recorded.size && facts.modified == recorded.modified;
}

EarlierResult ReadEarlierResult(FilePrimitives& os, const std::string& folder)
{
    EarlierResult result;
    std::vector<std::string> names;
    // A folder that is there but cannot be read may hold anything: nothing
    // is written into it blind.
    if (const OsCode code = os.ListFolder(folder, "", names); code != 0) {
        const OsErrorKind kind = KindOfOsError(code);
        if (kind == OsErrorKind::NotFound || kind == OsErrorKind::PathNotFound)
            return result;
        throw FailureFromOsError(code);
    }
    FileFacts recordFacts;
    if (std::find(names.begin(), names.end(), kResultRecordName) != names.end())
        result.record = ReadSmallFile(os, folder + std::string(kResultRecordName), recordFacts);
    const Record record = ParseRecord(result.record);
    // A name may be listed twice: before and after a run that stopped half-way replaced it.
    std::unordered_multimap<std::string_view, const RecordedFile*> byName;
    for (const RecordedFile& file : record.files)
        byName.emplace(file.name, &file);
    for (std::string& name : names) {
        if (name == kResultRecordName)
            continue;
        const auto [first, last] = byName.equal_range(name);
        FileFacts facts;
        const RecordedFile* found = nullptr;
        if (first != last && os.InspectAt(folder + name, facts) == 0) {
            for (auto at = first; at != last && !found; ++at)
                found = AsRecorded(facts, *at->second) ? at->second : nullptr;
        }
        if (found) {
            result.files.push_back(*found);
            // The record is written after the run's last step on its files;
            // a tie of coarse clocks is no proof.
            result.files.back().untouched = facts.changed != 0 && facts.changed < recordFacts.modified;
        } else
            result.others.push_back(std::move(name));
    }
    FileIdentity identity;
    result.ownFolderOnly = result.others.empty() && record.ownFolder &&
        os.IdentityAt(folder.substr(0, folder.size() - 1), identity) == 0 && identity == *record.ownFolder;
    return result;
}

}  // namespace orvelin::platform
